#pragma once

#include <string>

#include <QLineEdit>

namespace platform {

// A one-line box whose text the user can select and copy but not change. Its background is the
// scroll-bar colour whether or not it has the focus. Tabbing into it selects the whole text
// (QLineEdit's own way); clicking into it places the caret, which is drawn although the text
// cannot be edited. Enter is taken by the box, so it does not reach a dialog's buttons.
class TReadOnlyEdit : public QLineEdit {
    Q_OBJECT
  public:
    explicit TReadOnlyEdit(QWidget* parent = nullptr);

    void SetText(const std::string& text);
    std::string Text() const;

    // The colour of the desktop's scroll-bar track, which Qt's palette has no role for: a step
    // darker than the button face, as the classic desktop schemes have it.
    static QColor ScrollBarColor(const QPalette& palette);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void ApplyColors();

    bool applyingColors_ = false;
};

}  // namespace platform
