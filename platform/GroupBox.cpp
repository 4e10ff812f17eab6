#include "platform/GroupBox.h"

namespace platform {

TGroupBox::TGroupBox(QWidget* parent) : QGroupBox(parent) {
    setFocusPolicy(Qt::NoFocus);
    setFlat(false);
    setCheckable(false);
}

void TGroupBox::SetCaption(const std::string& caption) {
    caption_ = caption;
    setTitle(QString::fromLocal8Bit(caption));
}

}  // namespace platform
