#pragma once

#include <string>

#include <QLabel>

namespace platform {

// A label that opens a target through the desktop when clicked. It sizes itself to its
// caption, is drawn underlined in the palette's highlight colour and shows a hand over it;
// hovering changes nothing. A click opens the target, or the caption when the target is blank.
// Once the desktop has accepted a request the link is drawn in the visited colour for the rest
// of its life; a refused request changes nothing that can be seen.
class TLinkLabel : public QLabel {
    Q_OBJECT
  public:
    // Purple, red 128, green 0, blue 128.
    static const QColor kVisitedColor;

    explicit TLinkLabel(QWidget* parent = nullptr);

    void SetCaption(const std::string& caption);
    std::string Caption() const { return caption_; }
    void SetTarget(const std::string& target);
    std::string Target() const { return target_; }
    bool Visited() const { return visited_; }
    // The colour in which the caption is drawn now.
    QColor TextColor() const;

    // What a click does: opens the target (or caption) and marks the link visited on success.
    void Click();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void ApplyLook();

    std::string caption_;
    std::string target_;
    bool visited_ = false;
    bool pressed_ = false;
    bool applyingLook_ = false;
};

}  // namespace platform
