#pragma once

#include <string>

#include <QGroupBox>

namespace platform {

// A framed box with a caption that groups other controls. The caption sits on the frame's top
// edge, 8 pixels in, as on the classic desktop (Qt's styles may put it above the frame, where
// controls placed for the classic look would cover the frame). The controls inside are placed
// relative to its top-left corner. It never takes the focus itself; tabbing passes through it
// to the controls it holds.
class TGroupBox : public QGroupBox {
    Q_OBJECT
  public:
    explicit TGroupBox(QWidget* parent = nullptr);

    void SetCaption(const std::string& caption);
    std::string Caption() const { return caption_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::string caption_;
};

}  // namespace platform
