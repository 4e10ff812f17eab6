#include "platform/Controls.h"

#include <QKeyEvent>
#include <QStyledItemDelegate>

#include "platform/Application.h"
#include "platform/Form.h"

namespace platform {

// Gives every row of a list the same fixed height.
class FixedRowHeight : public QStyledItemDelegate {
  public:
    FixedRowHeight(QObject* parent, int height) : QStyledItemDelegate(parent), height_(height) {}

    void SetHeight(int height) { height_ = height; }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(height_);
        return size;
    }

  private:
    int height_;
};

namespace {

bool IsEnter(const QKeyEvent& event) {
    return event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter;
}

constexpr int kRawTextRole = Qt::UserRole;

}  // namespace

void PlaceControl(QWidget& control, int left, int top, int width, int height) {
    control.setGeometry(left, top, width, height);
}

TButton::TButton(QWidget* parent) : QPushButton(parent) {
    setAutoDefault(false);
    setDefault(false);
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QPushButton::clicked, this, [this] {
        if (OnClick) {
            RunHandler(OnClick);
        }
    });
}

void TButton::SetCaption(const std::string& caption) {
    // A '&' would make Qt underline the next letter and bind Alt+letter to the button.
    QString text = QString::fromStdString(caption);
    text.replace('&', QStringLiteral("&&"));
    setText(text);
}

std::string TButton::Caption() const {
    QString text = this->text();
    text.replace(QStringLiteral("&&"), QStringLiteral("&"));
    return text.toStdString();
}

void TButton::keyPressEvent(QKeyEvent* event) {
    // Outside a dialog a Qt push button ignores Enter; here Enter clicks the focused button,
    // as Space does.
    if (IsEnter(*event) && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        event->accept();
        if (!event->isAutoRepeat()) {
            click();
        }
        return;
    }
    QPushButton::keyPressEvent(event);
}

TListBox::TListBox(QWidget* parent)
    : QListWidget(parent), rowHeight_(new FixedRowHeight(this, 13)) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSortingEnabled(false);
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setItemDelegate(rowHeight_);
}

void TListBox::Clear() {
    clear();
}

void TListBox::Add(const std::string& text) {
    auto* row = new QListWidgetItem(QString::fromStdString(text));
    row->setData(kRawTextRole, QByteArray::fromStdString(text));
    addItem(row);
}

std::string TListBox::Item(std::int32_t index) const {
    const QListWidgetItem* row = item(index);
    return row != nullptr ? row->data(kRawTextRole).toByteArray().toStdString() : std::string();
}

std::int32_t TListBox::Count() const {
    return count();
}

std::int32_t TListBox::ItemIndex() const {
    const QList<QListWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? -1 : row(selected.first());
}

void TListBox::SetItemIndex(std::int32_t index) {
    if (index < 0 || index >= count()) {
        clearSelection();
        return;
    }
    setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
}

void TListBox::SetItemHeight(int pixels) {
    rowHeight_->SetHeight(pixels);
    doItemsLayout();
}

void TListBox::keyPressEvent(QKeyEvent* event) {
    char key = 0;
    if (IsEnter(*event)) {
        key = 13;
    } else if (event->text().size() == 1 && event->text()[0].unicode() < 256) {
        key = static_cast<char>(event->text()[0].unicode());
    }
    if (key != 0 && OnKeyPress) {
        RunHandler([&] { OnKeyPress(key); });
        if (key == 0) {
            event->accept();
            return;
        }
    }
    QListWidget::keyPressEvent(event);
}

void TListBox::mouseDoubleClickEvent(QMouseEvent* event) {
    QListWidget::mouseDoubleClickEvent(event);
    if (OnDblClick) {
        RunHandler(OnDblClick);
    }
}

TProgressBar::TProgressBar(QWidget* parent) : QProgressBar(parent), model_("TProgressBar") {
    setOrientation(Qt::Horizontal);
    setTextVisible(false);
    setFocusPolicy(Qt::NoFocus);
    Show();
}

void TProgressBar::SetMin(std::int32_t value) {
    model_.SetMin(value);
    Show();
}

void TProgressBar::SetMax(std::int32_t value) {
    model_.SetMax(value);
    Show();
}

void TProgressBar::SetPosition(std::int32_t value) {
    model_.SetPosition(value);
    Show();
}

void TProgressBar::Show() {
    if (model_.Min() == model_.Max()) {
        // Qt would draw an equal minimum and maximum as a busy animation; an empty range
        // shows an empty bar.
        setRange(0, 1);
        setValue(0);
        return;
    }
    setRange(model_.Min(), model_.Max());
    setValue(model_.ShownPosition());
}

TStatusBar::TStatusBar(QWidget* parent) : QStatusBar(parent), panel_(new QLabel(this)) {
    setSizeGripEnabled(false);
    setFont(StatusBarFont());
    setFocusPolicy(Qt::NoFocus);
    panel_->setObjectName(QStringLiteral("Panel0"));
    panel_->setTextFormat(Qt::PlainText);
    // The last panel takes the bar's whole width, however long its text.
    panel_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    addWidget(panel_, 1);
}

void TStatusBar::SetPanelText(const std::string& text) {
    text_ = text;
    panel_->setText(QString::fromStdString(text));
}

std::string TStatusBar::PanelText() const {
    return text_;
}

}  // namespace platform
