#include "platform/Label.h"

#include <QEvent>

namespace platform {

TLabel::TLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setFocusPolicy(Qt::NoFocus);
    setMargin(0);
    setIndent(0);
    setWordWrap(false);
}

void TLabel::SetCaption(const std::string& caption) {
    caption_ = caption;
    setText(DisplayText(caption));
    FitToText();
}

void TLabel::SetAutoSize(bool autoSize) {
    autoSize_ = autoSize;
    FitToText();
}

QString TLabel::DisplayText(const std::string& caption) {
    QString text = QString::fromStdString(caption);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

void TLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        FitToText();
    }
}

void TLabel::FitToText() {
    if (autoSize_) {
        resize(sizeHint());
    }
}

}  // namespace platform
