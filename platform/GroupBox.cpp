#include "platform/GroupBox.h"

namespace platform {

TGroupBox::TGroupBox(QWidget* parent) : QGroupBox(parent) {
    setFocusPolicy(Qt::NoFocus);
    setFlat(false);
    setCheckable(false);
}

void TGroupBox::SetCaption(const std::string& caption) {
    caption_ = caption;
    // A '&' would make Qt underline the next letter and bind Alt+letter to the box.
    QString title = QString::fromStdString(caption);
    title.replace('&', QStringLiteral("&&"));
    setTitle(title);
}

}  // namespace platform
