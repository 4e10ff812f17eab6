#include "platform/Form.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QPalette>

#include "platform/Application.h"

namespace platform {

QFont WindowFont(int characterHeight) {
    // DejaVu Sans (fonts-dejavu-core) has the proportions the layout was designed for: at
    // character height 11 its text height is 13 pixels, ascent 10 and descent 3, as with
    // MS Sans Serif 8 pt. Liberation Sans, the other candidate, comes out at 12.
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(characterHeight);
    font.setWeight(QFont::Normal);
    return font;
}

QFont StatusBarFont() {
    const QFont system = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    // A font built field by field counts as set in full, so the status bar does not inherit
    // the form's font.
    QFont font(system.family());
    if (system.pointSizeF() > 0) {
        font.setPointSizeF(system.pointSizeF());
    } else {
        font.setPixelSize(system.pixelSize());
    }
    return font;
}

TForm::TForm() : QWidget(nullptr) {
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    SetFontCharacterHeight(11);
    setWindowIcon(ApplicationIcon());
}

TForm::~TForm() {
    if (modalLoop_ != nullptr) {
        modalLoop_->exit();
    }
}

void TForm::SetCaption(const std::string& caption) {
    setWindowTitle(QString::fromStdString(caption));
}

std::string TForm::Caption() const {
    return windowTitle().toStdString();
}

void TForm::SetClientSize(int width, int height) {
    setFixedSize(width, height);
}

void TForm::SetOuterPosition(int left, int top) {
    move(left, top);
}

QRect TForm::OuterBounds() const {
    return frameGeometry();
}

void TForm::SetFontCharacterHeight(int characterHeight) {
    setFont(WindowFont(characterHeight));
}

void TForm::Repaint() {
    repaint();
}

int TForm::ShowModal() {
    modalResult_ = mrNone;
    setWindowModality(Qt::ApplicationModal);
    show();
    raise();
    activateWindow();
    QEventLoop loop;
    modalLoop_ = &loop;
    if (modalResult_ == mrNone && isVisible()) {
        loop.exec(QEventLoop::DialogExec);
    }
    modalLoop_ = nullptr;
    hide();
    setWindowModality(Qt::NonModal);
    return modalResult_;
}

void TForm::SetModalResult(int result) {
    modalResult_ = result;
    if (result != mrNone && modalLoop_ != nullptr) {
        modalLoop_->exit();
    }
}

void TForm::Close() {
    close();
}

void TForm::closeEvent(QCloseEvent* event) {
    if (modalLoop_ == nullptr && Application().MainForm() == this) {
        // The main window stays up until the outermost event loop has ended, so a command
        // that is still running finishes in front of the user.
        event->ignore();
        Application().Terminate();
        return;
    }
    event->accept();
    if (modalLoop_ != nullptr) {
        SetModalResult(modalResult_ != mrNone ? modalResult_ : mrCancel);
    }
}

void TForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();  // Escape closes nothing and cancels nothing.
        return;
    }
    // Alt+F4 normally never gets here: the window manager takes it and sends a close request.
    // Without one (a bare X server, a kiosk session) the form answers it the same way.
    if (event->key() == Qt::Key_F4 && event->modifiers() == Qt::AltModifier) {
        event->accept();
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace platform
