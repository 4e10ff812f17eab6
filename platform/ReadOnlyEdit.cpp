#include "platform/ReadOnlyEdit.h"

#include <QEvent>
#include <QKeyEvent>
#include <QPainter>

namespace platform {

TReadOnlyEdit::TReadOnlyEdit(QWidget* parent) : QLineEdit(parent) {
    setReadOnly(true);
    setFrame(true);
    setFocusPolicy(Qt::StrongFocus);
    // Dropped text would be an edit too; read-only already refuses it, this also keeps the
    // drop cursor away.
    setAcceptDrops(false);
    ApplyColors();
}

void TReadOnlyEdit::SetText(const std::string& text) {
    setText(QString::fromStdString(text));
    setCursorPosition(0);
}

std::string TReadOnlyEdit::Text() const {
    return text().toStdString();
}

QColor TReadOnlyEdit::ScrollBarColor(const QPalette& palette) {
    return palette.color(QPalette::Active, QPalette::Button).darker(120);
}

void TReadOnlyEdit::keyPressEvent(QKeyEvent* event) {
    QLineEdit::keyPressEvent(event);
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // QLineEdit passes Enter on to the window, where a dialog would click a button with it.
        event->accept();
    }
}

// A read-only QLineEdit hides its caret; the box still shows where a selection made with the
// keyboard will start.
void TReadOnlyEdit::paintEvent(QPaintEvent* event) {
    QLineEdit::paintEvent(event);
    if (!hasFocus() || hasSelectedText()) {
        return;
    }
    const QRect caret = cursorRect();
    QPainter painter(this);
    const int x = caret.center().x();
    painter.setPen(palette().color(QPalette::Text));
    painter.drawLine(x, caret.top(), x, caret.bottom());
}

void TReadOnlyEdit::changeEvent(QEvent* event) {
    QLineEdit::changeEvent(event);
    if (!applyingColors_ && event->type() == QEvent::PaletteChange) {
        ApplyColors();
    }
}

void TReadOnlyEdit::ApplyColors() {
    applyingColors_ = true;
    QPalette colours = palette();
    const QColor background = ScrollBarColor(colours);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        colours.setColor(group, QPalette::Base, background);
    }
    setPalette(colours);
    applyingColors_ = false;
}

}  // namespace platform
