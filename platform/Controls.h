#pragma once

#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>

#include <cstdint>
#include <functional>
#include <string>

#include "platform/ProgressModel.h"

namespace platform {

class FixedRowHeight;

// Every control is placed at a fixed position in pixels, relative to its parent's client area.
void PlaceControl(QWidget& control, int left, int top, int width, int height);

// A push button. A click, Space, or Enter while it has the focus runs OnClick. It is never a
// default button and its caption carries no accelerator.
class TButton : public QPushButton {
    Q_OBJECT
  public:
    explicit TButton(QWidget* parent);

    void SetCaption(const std::string& caption);
    std::string Caption() const;

    std::function<void()> OnClick;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// A single-selection, unsorted list of text rows. OnKeyPress sees every typed character
// (Enter as 13) before the list's own keyboard handling; setting it to 0 swallows the key.
class TListBox : public QListWidget {
    Q_OBJECT
  public:
    explicit TListBox(QWidget* parent);

    void Clear();
    void Add(const std::string& text);
    // The row's text exactly as it was added, byte for byte.
    std::string Item(std::int32_t index) const;
    std::int32_t Count() const;
    // The selected row, -1 when none is selected.
    std::int32_t ItemIndex() const;
    void SetItemIndex(std::int32_t index);
    void SetItemHeight(int pixels);

    std::function<void()> OnDblClick;
    std::function<void(char& key)> OnKeyPress;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    FixedRowHeight* rowHeight_;  // owned by the list, as its item delegate
};

// A smooth horizontal progress bar over a ProgressModel: a minimum above the maximum is
// refused with "TProgressBar property out of range" and changes nothing.
class TProgressBar : public QProgressBar {
    Q_OBJECT
  public:
    explicit TProgressBar(QWidget* parent);

    void SetMin(std::int32_t value);
    void SetMax(std::int32_t value);
    void SetPosition(std::int32_t value);
    std::int32_t Min() const { return model_.Min(); }
    std::int32_t Max() const { return model_.Max(); }
    std::int32_t Position() const { return model_.Position(); }

  private:
    void Show();

    ProgressModel model_;
};

// A status bar with one text panel that reaches the right edge, and no size grip. It uses the
// desktop's status-bar font rather than the form's.
class TStatusBar : public QStatusBar {
    Q_OBJECT
  public:
    explicit TStatusBar(QWidget* parent);

    void SetPanelText(const std::string& text);
    std::string PanelText() const;

  private:
    QLabel* panel_;
    std::string text_;
};

}  // namespace platform
