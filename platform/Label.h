#pragma once

#include <string>

#include <QLabel>

namespace platform {

// A static text, top-left aligned, that never takes the focus. Its caption may hold line
// breaks written as a carriage return, a line feed or both; each starts a new line, as the
// desktop's text drawing does. With auto-size on (the default) the label takes the size of its
// text whenever the caption or the font changes; off, it keeps the size it is given.
class TLabel : public QLabel {
    Q_OBJECT
  public:
    explicit TLabel(QWidget* parent = nullptr);

    void SetCaption(const std::string& caption);
    std::string Caption() const { return caption_; }
    void SetAutoSize(bool autoSize);
    bool AutoSize() const { return autoSize_; }

    // The caption as drawn: every line break as a single line feed.
    static QString DisplayText(const std::string& caption);

  protected:
    void changeEvent(QEvent* event) override;

  private:
    void FitToText();

    std::string caption_;
    bool autoSize_ = true;
};

}  // namespace platform
