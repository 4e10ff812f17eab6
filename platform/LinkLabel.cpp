#include "platform/LinkLabel.h"

#include <QEvent>
#include <QMouseEvent>

#include "platform/Desktop.h"

namespace platform {

const QColor TLinkLabel::kVisitedColor(128, 0, 128);

TLinkLabel::TLinkLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    // Without a role of its own the label would draw in the text colour that goes with its
    // parent's background role (button text on a form).
    setForegroundRole(QPalette::WindowText);
    setMargin(0);
    setIndent(0);
    ApplyLook();
}

void TLinkLabel::SetCaption(const std::string& caption) {
    caption_ = caption;
    setText(QString::fromStdString(caption));
    adjustSize();
}

void TLinkLabel::SetTarget(const std::string& target) {
    target_ = target;
}

QColor TLinkLabel::TextColor() const {
    return palette().color(foregroundRole());
}

void TLinkLabel::Click() {
    const bool blankTarget = DesktopAddressFor(target_).isEmpty();
    if (OpenWithDesktop(blankTarget ? caption_ : target_)) {
        visited_ = true;
        ApplyLook();
    }
}

void TLinkLabel::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    event->accept();
}

// A click is a press and a release of the left button, both over the link.
void TLinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = pressed_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    pressed_ = false;
    event->accept();
    if (click) {
        Click();
    }
}

// The underline and the colours are the link's own, so a font or palette that the parent
// passes down later must not take them away.
void TLinkLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (!applyingLook_ &&
        (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange)) {
        ApplyLook();
    }
}

void TLinkLabel::ApplyLook() {
    applyingLook_ = true;
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    QPalette colours = palette();
    const QColor text =
        visited_ ? kVisitedColor : colours.color(QPalette::Active, QPalette::Highlight);
    // A disabled link keeps the palette's disabled look.
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        colours.setColor(group, QPalette::WindowText, text);
    }
    setPalette(colours);
    adjustSize();
    applyingLook_ = false;
}

}  // namespace platform
