#include "platform/GroupBox.h"

#include <qdrawutil.h>
#include <QPainter>
#include <QStyle>

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

void TGroupBox::paintEvent(QPaintEvent*) {
    constexpr int kCaptionIndent = 8;
    constexpr int kCaptionPadding = 2;
    QPainter painter(this);
    const QFontMetrics metrics = fontMetrics();

    // An etched line, as the classic desktop draws it. The styles' own group-box frame would
    // leave room for a caption above it.
    qDrawShadeRect(&painter, rect().adjusted(0, metrics.height() / 2, 0, 0), palette(), true, 1, 0);

    if (title().isEmpty()) {
        return;
    }
    const QString shown =
        metrics.elidedText(title(), Qt::ElideRight,
                           width() - 2 * (kCaptionIndent + kCaptionPadding), Qt::TextShowMnemonic);
    QRect caption(kCaptionIndent, 0, metrics.horizontalAdvance(shown) + 2 * kCaptionPadding,
                  metrics.height());
    // The caption interrupts the frame line: paint the background behind it first.
    const QWidget* background = parentWidget() != nullptr ? parentWidget() : this;
    painter.fillRect(caption, background->palette().brush(background->backgroundRole()));
    style()->drawItemText(&painter, caption.adjusted(kCaptionPadding, 0, 0, 0),
                          Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic, palette(),
                          isEnabled(), shown, QPalette::WindowText);
}

}  // namespace platform
