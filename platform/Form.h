#pragma once

#include <QRect>
#include <QWidget>

#include <string>

class QEventLoop;

namespace platform {

// Results of a modal showing.
inline constexpr int mrNone = 0;
inline constexpr int mrOk = 1;
inline constexpr int mrCancel = 2;

// The window font: the nearest installed equivalent of MS Sans Serif, at the given character
// height in pixels (11 is 8 points at 96 dpi, whose text height is 13 pixels).
QFont WindowFont(int characterHeight);

// The font status bars use: the desktop's own general font.
QFont StatusBarFont();

// A top-level window with a single, fixed border: a system menu with close and minimise boxes,
// no maximise box, no help button. Button-face background, the window font (character height
// 11) and the application icon. Escape does nothing on it.
class TForm : public QWidget {
    Q_OBJECT
  public:
    TForm();
    ~TForm() override;

    void SetCaption(const std::string& caption);
    std::string Caption() const;

    // The size of the client area; the window cannot be resized by the user.
    void SetClientSize(int width, int height);

    // Moves the outer frame's top-left corner to (left, top) on the screen.
    void SetOuterPosition(int left, int top);
    // The outer frame's position and size (the client area when no frame has been added yet).
    QRect OuterBounds() const;

    // The font of the form and every control that does not set its own.
    void SetFontCharacterHeight(int characterHeight);

    // Paints the whole window at once, without waiting for the event loop.
    void Repaint();

    // Shows the form modally: every other window is disabled until it closes. Returns the
    // modal result (mrCancel when closed through its close box or Close()).
    int ShowModal();
    void SetModalResult(int result);
    int ModalResult() const { return modalResult_; }

    // Asks the form to close, as its close box does. Closing the application's main form
    // ends the application (see TApplication::Run); closing another form hides it.
    void Close();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QEventLoop* modalLoop_ = nullptr;
    int modalResult_ = mrNone;
};

}  // namespace platform
