#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QTest>
#include <QWidget>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "platform/Desktop.h"
#include "platform/Errors.h"
#include "platform/IconFile.h"
#include "platform/Image.h"
#include "platform/Label.h"
#include "platform/LinkLabel.h"
#include "platform/ReadOnlyEdit.h"

namespace {

// Names each row of a case table after its name field.
struct RowName {
    template <class Case>
    std::string operator()(const ::testing::TestParamInfo<Case>& row) const {
        return row.param.name;
    }
};

// ---- Desktop addresses ---------------------------------------------------------------------

struct AddressCase {
    const char* name;
    friend void PrintTo(const AddressCase& row, std::ostream* out) { *out << row.name; }
    std::string target;
    QString address;  // empty: nothing to open
};

class DesktopAddressTest : public ::testing::TestWithParam<AddressCase> {};

TEST_P(DesktopAddressTest, TargetBecomesTheAddressTheDesktopOpens) {
    EXPECT_EQ(platform::DesktopAddressFor(GetParam().target).toString(), GetParam().address);
}

INSTANTIATE_TEST_SUITE_P(
    Targets, DesktopAddressTest,
    ::testing::Values(
        AddressCase{"MailLink", "MailTo:kestrin@example.org", "mailto:kestrin@example.org"},
        AddressCase{"BareWebAddress", "www.example.org/kestrin", "http://www.example.org/kestrin"},
        AddressCase{"BareDomain", "example.org", "http://example.org"},
        AddressCase{"WebAddressWithScheme", "https://example.org/a?b=c",
                    "https://example.org/a?b=c"},
        AddressCase{"SurroundingBlanks", "  \twww.example.org \r\n", "http://www.example.org"},
        AddressCase{"AbsolutePath", "/tmp/read me.txt", "file:///tmp/read me.txt"},
        AddressCase{"Empty", "", ""}, AddressCase{"OnlyBlanks", "   ", ""},
        AddressCase{"OnlyControlCharacters", "\t\r\n", ""}),
    RowName());

TEST(OpenWithDesktopTest, BlankTargetNeverReachesTheDesktop) {
    platform::ScriptedDesktop desktop;
    platform::ScopedDesktopSeam seam(desktop);
    EXPECT_FALSE(platform::OpenWithDesktop(" "));
    EXPECT_TRUE(desktop.opened.empty());
}

TEST(OpenWithDesktopTest, GivesTheDesktopsAnswer) {
    platform::ScriptedDesktop desktop;
    platform::ScopedDesktopSeam seam(desktop);
    desktop.answers = {true, false};
    EXPECT_TRUE(platform::OpenWithDesktop("www.example.org"));
    EXPECT_FALSE(platform::OpenWithDesktop("www.example.org"));
    EXPECT_EQ(desktop.opened.size(), 2u);
}

// ---- Link labels ---------------------------------------------------------------------------

class LinkLabelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        link_ = new platform::TLinkLabel(&window_);
        link_->SetCaption("kestrin@example.org");
        link_->SetTarget("MailTo:kestrin@example.org");
        window_.show();
    }

    QColor Highlight() const {
        return link_->palette().color(QPalette::Active, QPalette::Highlight);
    }

    platform::ScriptedDesktop desktop_;
    platform::ScopedDesktopSeam seam_{desktop_};
    QWidget window_;
    platform::TLinkLabel* link_ = nullptr;
};

TEST_F(LinkLabelTest, StartsUnderlinedInTheHighlightColourWithAHandCursor) {
    EXPECT_TRUE(link_->font().underline());
    EXPECT_EQ(link_->TextColor(), Highlight());
    EXPECT_EQ(link_->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(link_->focusPolicy(), Qt::NoFocus);
    EXPECT_FALSE(link_->Visited());
}

TEST_F(LinkLabelTest, KeepsItsLookWhenTheParentChangesFontAndColours) {
    QFont bigger = window_.font();
    bigger.setPixelSize(17);
    window_.setFont(bigger);
    QPalette colours = window_.palette();
    colours.setColor(QPalette::WindowText, Qt::darkGreen);
    window_.setPalette(colours);
    EXPECT_TRUE(link_->font().underline());
    EXPECT_EQ(link_->font().pixelSize(), 17);
    EXPECT_EQ(link_->TextColor(), Highlight());
}

TEST_F(LinkLabelTest, AcceptedClickOpensTheTargetAndTurnsTheLinkPurple) {
    QTest::mouseClick(link_, Qt::LeftButton);
    ASSERT_EQ(desktop_.opened.size(), 1u);
    EXPECT_EQ(desktop_.opened[0].toString(), "mailto:kestrin@example.org");
    EXPECT_TRUE(link_->Visited());
    EXPECT_EQ(link_->TextColor(), QColor(128, 0, 128));
    // A second accepted or refused click leaves it visited.
    desktop_.answers = {false};
    QTest::mouseClick(link_, Qt::LeftButton);
    EXPECT_EQ(link_->TextColor(), QColor(128, 0, 128));
}

TEST_F(LinkLabelTest, RefusedClickChangesNothing) {
    desktop_.defaultAnswer = false;
    const QSize size = link_->size();
    QTest::mouseClick(link_, Qt::LeftButton);
    EXPECT_EQ(desktop_.opened.size(), 1u);
    EXPECT_FALSE(link_->Visited());
    EXPECT_EQ(link_->TextColor(), Highlight());
    EXPECT_EQ(link_->size(), size);
}

TEST_F(LinkLabelTest, BlankTargetOpensTheCaption) {
    link_->SetTarget("  ");
    link_->SetCaption("www.example.org");
    link_->Click();
    ASSERT_EQ(desktop_.opened.size(), 1u);
    EXPECT_EQ(desktop_.opened[0].toString(), "http://www.example.org");
}

TEST_F(LinkLabelTest, BlankTargetAndCaptionOpenNothing) {
    link_->SetTarget("");
    link_->SetCaption(" ");
    link_->Click();
    EXPECT_TRUE(desktop_.opened.empty());
    EXPECT_FALSE(link_->Visited());
}

TEST_F(LinkLabelTest, OnlyALeftPressAndReleaseOverTheLinkIsAClick) {
    QTest::mouseClick(link_, Qt::RightButton);
    QTest::mousePress(link_, Qt::LeftButton);
    QTest::mouseRelease(link_, Qt::LeftButton, {}, QPoint(link_->width() + 5, 1));
    QTest::mouseRelease(link_, Qt::LeftButton);  // a release without a press of its own
    EXPECT_TRUE(desktop_.opened.empty());
}

// ---- Read-only edit boxes ------------------------------------------------------------------

class ReadOnlyEditTest : public ::testing::Test {
  protected:
    void SetUp() override {
        before_ = new QLineEdit(&window_);
        edit_ = new platform::TReadOnlyEdit(&window_);
        edit_->move(0, 30);
        edit_->resize(200, 24);
        edit_->SetText("USD number: 0000-0000");
        window_.show();
        window_.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
    }

    // Records the keys that reach the window, i.e. that the box passed on.
    class KeyRecorder : public QWidget {
      public:
        std::vector<int> keys;

      protected:
        void keyPressEvent(QKeyEvent* event) override { keys.push_back(event->key()); }
    };

    KeyRecorder window_;
    QLineEdit* before_ = nullptr;
    platform::TReadOnlyEdit* edit_ = nullptr;
};

TEST_F(ReadOnlyEditTest, EditingKeysLeaveTheTextAsItWas) {
    QApplication::clipboard()->setText("pasted");
    edit_->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(edit_, "typed");
    edit_->setCursorPosition(3);
    QTest::keyClick(edit_, Qt::Key_Backspace);
    QTest::keyClick(edit_, Qt::Key_Delete);
    QTest::keyClick(edit_, Qt::Key_V, Qt::ControlModifier);
    edit_->selectAll();
    QTest::keyClick(edit_, Qt::Key_X, Qt::ControlModifier);
    QTest::keyClick(edit_, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(edit_->Text(), "USD number: 0000-0000");
}

TEST_F(ReadOnlyEditTest, SelectedTextCanBeCopied) {
    edit_->setFocus(Qt::MouseFocusReason);
    edit_->setSelection(12, 4);
    QTest::keyClick(edit_, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "0000");
}

TEST_F(ReadOnlyEditTest, TabbingInSelectsTheWholeTextEvenAfterAPartialSelection) {
    edit_->setFocus(Qt::TabFocusReason);
    edit_->setSelection(0, 3);
    before_->setFocus(Qt::TabFocusReason);
    edit_->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(edit_->selectedText(), "USD number: 0000-0000");
    before_->setFocus(Qt::TabFocusReason);
    edit_->setFocus(Qt::BacktabFocusReason);
    EXPECT_EQ(edit_->selectedText(), "USD number: 0000-0000");
}

TEST_F(ReadOnlyEditTest, ClickingInPlacesTheCaretWithoutSelecting) {
    before_->setFocus(Qt::TabFocusReason);
    QTest::mouseClick(edit_, Qt::LeftButton, {}, QPoint(edit_->width() / 2, edit_->height() / 2));
    EXPECT_TRUE(edit_->hasFocus());
    EXPECT_FALSE(edit_->hasSelectedText());
    EXPECT_GT(edit_->cursorPosition(), 0);
}

TEST_F(ReadOnlyEditTest, EnterStaysInTheBoxWhileEscapeGoesOn) {
    edit_->setFocus(Qt::TabFocusReason);
    QTest::keyClick(edit_, Qt::Key_Return);
    QTest::keyClick(edit_, Qt::Key_Enter, Qt::KeypadModifier);
    QTest::keyClick(edit_, Qt::Key_Escape);
    EXPECT_EQ(window_.keys, std::vector<int>{Qt::Key_Escape});
}

TEST_F(ReadOnlyEditTest, BackgroundIsTheScrollBarColourWithAndWithoutFocus) {
    const QColor scrollBar = platform::TReadOnlyEdit::ScrollBarColor(window_.palette());
    EXPECT_EQ(edit_->palette().color(QPalette::Active, QPalette::Base), scrollBar);
    EXPECT_EQ(edit_->palette().color(QPalette::Inactive, QPalette::Base), scrollBar);
    edit_->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(edit_->palette().color(QPalette::Active, QPalette::Base), scrollBar);
    EXPECT_NE(scrollBar, window_.palette().color(QPalette::Base));
}

// ---- Labels --------------------------------------------------------------------------------

struct LineBreakCase {
    const char* name;
    friend void PrintTo(const LineBreakCase& row, std::ostream* out) { *out << row.name; }
    std::string caption;
    QString shown;
};

class LabelLineBreakTest : public ::testing::TestWithParam<LineBreakCase> {};

TEST_P(LabelLineBreakTest, EveryLineBreakStartsOneNewLine) {
    platform::TLabel label;
    label.SetCaption(GetParam().caption);
    EXPECT_EQ(label.text(), GetParam().shown);
    EXPECT_EQ(label.Caption(), GetParam().caption);
    const int lines = static_cast<int>(GetParam().shown.count('\n')) + 1;
    EXPECT_GE(label.height(), lines * label.fontMetrics().height());
    EXPECT_LT(label.height(), (lines + 1) * label.fontMetrics().height());
}

INSTANTIATE_TEST_SUITE_P(
    Captions, LabelLineBreakTest,
    ::testing::Values(LineBreakCase{"CarriageReturnAlone", "one\rtwo", "one\ntwo"},
                      LineBreakCase{"LineFeedAlone", "one\ntwo", "one\ntwo"},
                      LineBreakCase{"BothTogether", "one\r\ntwo", "one\ntwo"},
                      LineBreakCase{"TwoCarriageReturns", "one\r\rtwo", "one\n\ntwo"},
                      LineBreakCase{"NoBreak", "one two", "one two"}),
    RowName());

TEST(LabelTest, KeepsItsSizeWithAutoSizeOff) {
    platform::TLabel label;
    label.SetAutoSize(false);
    label.resize(92, 13);
    label.SetCaption("a caption much wider than ninety-two pixels");
    EXPECT_EQ(label.size(), QSize(92, 13));
}

// ---- Icon files ----------------------------------------------------------------------------

// An icon file's header and directory for the given images; the image data is not included
// unless data is given, placed right after the directory.
std::string IconBytes(const std::vector<std::vector<int>>& entries, const std::string& data = {}) {
    auto put16 = [](std::string& out, int value) {
        out += static_cast<char>(value & 0xFF);
        out += static_cast<char>((value >> 8) & 0xFF);
    };
    std::string out;
    put16(out, 0);
    put16(out, 1);
    put16(out, static_cast<int>(entries.size()));
    const int offset = 6 + 16 * static_cast<int>(entries.size());
    for (const std::vector<int>& e : entries) {  // width byte, height byte, bits per pixel
        out += static_cast<char>(e[0]);
        out += static_cast<char>(e[1]);
        out += '\0';
        out += '\0';
        put16(out, 1);
        put16(out, e[2]);
        put16(out, static_cast<int>(data.size()));
        put16(out, 0);
        put16(out, offset);
        put16(out, 0);
    }
    return out + data;
}

struct DirectoryCase {
    const char* name;
    friend void PrintTo(const DirectoryCase& row, std::ostream* out) { *out << row.name; }
    std::string bytes;
    std::vector<std::vector<int>> expected;  // width, height, bits per pixel
};

class IconDirectoryTest : public ::testing::TestWithParam<DirectoryCase> {};

TEST_P(IconDirectoryTest, ListsTheImagesOrNothing) {
    std::vector<std::vector<int>> listed;
    for (const platform::IconImageInfo& image : platform::ReadIconDirectory(GetParam().bytes)) {
        listed.push_back({image.width, image.height, image.bitsPerPixel});
    }
    EXPECT_EQ(listed, GetParam().expected);
}

std::string BitmapHeaderWithBitCount(int bits) {
    std::string header(40, '\0');
    header[14] = static_cast<char>(bits);
    return header;
}

INSTANTIATE_TEST_SUITE_P(
    Files, IconDirectoryTest,
    ::testing::Values(
        DirectoryCase{
            "TwoImages", IconBytes({{32, 32, 4}, {16, 16, 32}}), {{32, 32, 4}, {16, 16, 32}}},
        DirectoryCase{"ZeroSideMeans256", IconBytes({{0, 0, 32}}), {{256, 256, 32}}},
        DirectoryCase{"BitCountFromTheBitmapHeader",
                      IconBytes({{48, 48, 0}}, BitmapHeaderWithBitCount(8)),
                      {{48, 48, 8}}},
        DirectoryCase{"BitmapHeaderMissing", IconBytes({{48, 48, 0}}), {{48, 48, 0}}},
        DirectoryCase{"Empty", "", {}},
        DirectoryCase{"HeaderCutShort", IconBytes({{32, 32, 4}}).substr(0, 5), {}},
        DirectoryCase{"DirectoryCutShort", IconBytes({{32, 32, 4}, {16, 16, 4}}).substr(0, 30), {}},
        DirectoryCase{"CursorFile",
                      [] {
                          std::string bytes = IconBytes({{32, 32, 4}});
                          bytes[2] = 2;
                          return bytes;
                      }(),
                      {}},
        DirectoryCase{"RandomBytes", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), {}}),
    RowName());

TEST(BestIconImageTest, PicksTheDeepestImageOfTheSizeAndTheFirstOfEquals) {
    const std::vector<platform::IconImageInfo> images = {{32, 32, 4},  {16, 16, 32}, {32, 32, 32},
                                                         {32, 16, 32}, {32, 32, 8},  {32, 32, 32}};
    EXPECT_EQ(platform::BestIconImage(images, 32), 2);
    EXPECT_EQ(platform::BestIconImage(images, 16), 1);
    EXPECT_EQ(platform::BestIconImage(images, 48), -1);
    EXPECT_EQ(platform::BestIconImage({}, 32), -1);
}

TEST(ImageTest, MissingOrUnreadablePictureIsAnError) {
    platform::TImage image;
    EXPECT_THROW(image.LoadIcon(QStringLiteral(":/no/such/picture.ico")), platform::Error);
}

}  // namespace
