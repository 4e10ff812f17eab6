#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/Application.h"
#include "platform/Controls.h"
#include "platform/Desktop.h"
#include "platform/DialogSeam.h"
#include "platform/IconFile.h"
#include "ui/HelpSupport.h"

namespace {

struct RowName {
    template <class Case>
    std::string operator()(const ::testing::TestParamInfo<Case>& row) const {
        return row.param.name;
    }
};

QWidget* Find(QWidget& window, const char* name) {
    return window.findChild<QWidget*>(QString::fromLatin1(name));
}

// Whether the widget, as drawn now, has a pixel of exactly this colour (a link's underline
// is a solid line of its text colour).
bool DrawsInColour(QWidget& widget, const QColor& colour) {
    const QImage image = widget.grab().toImage();
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y).rgb() == colour.rgb()) {
                return true;
            }
        }
    }
    return false;
}

// ---- The window as designed ----------------------------------------------------------------

struct PlacementCase {
    const char* name;
    const char* parent;  // object name of the parent: the window or a group box
    QRect bounds;        // an empty size: sized to its text
    friend void PrintTo(const PlacementCase& row, std::ostream* out) { *out << row.name; }
};

class HelpSupportPlacementTest : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(HelpSupportPlacementTest, ControlSitsWhereDesigned) {
    THelpSupport window;
    QWidget* control = Find(window, GetParam().name);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->parentWidget()->objectName(), GetParam().parent);
    EXPECT_EQ(control->pos(), GetParam().bounds.topLeft());
    if (GetParam().bounds.size().isEmpty()) {
        EXPECT_EQ(control->size(), control->sizeHint());
    } else {
        EXPECT_EQ(control->size(), GetParam().bounds.size());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Controls, HelpSupportPlacementTest,
    ::testing::Values(PlacementCase{"Image1", "HelpSupport", {8, 0, 32, 32}},
                      PlacementCase{"Label1", "HelpSupport", {49, 10, 0, 0}},
                      PlacementCase{"GroupBox1", "HelpSupport", {7, 33, 234, 59}},
                      PlacementCase{"GroupBox2", "HelpSupport", {7, 98, 234, 182}},
                      PlacementCase{"Button1", "HelpSupport", {88, 287, 65, 19}},
                      PlacementCase{"RzURLLabel1", "GroupBox1", {11, 14, 0, 0}},
                      PlacementCase{"RzURLLabel2", "GroupBox1", {11, 33, 0, 0}},
                      PlacementCase{"RzLabel1", "GroupBox2", {7, 20, 0, 0}},
                      PlacementCase{"RzEdit5", "GroupBox2", {7, 52, 221, 24}},
                      PlacementCase{"RzEdit6", "GroupBox2", {7, 78, 221, 24}},
                      PlacementCase{"RzLabel2", "GroupBox2", {7, 105, 0, 0}},
                      PlacementCase{"RzEdit1", "GroupBox2", {7, 124, 104, 24}},
                      PlacementCase{"RzEdit2", "GroupBox2", {124, 124, 104, 24}},
                      PlacementCase{"RzEdit4", "GroupBox2", {7, 150, 104, 24}},
                      PlacementCase{"RzEdit3", "GroupBox2", {124, 150, 104, 24}}),
    RowName());

TEST(HelpSupportDesignTest, WindowCaptionSizeBorderAndFonts) {
    THelpSupport window;
    EXPECT_EQ(window.Caption(), "Help / Support");
    EXPECT_EQ(window.size(), QSize(249, 312));
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    const Qt::WindowFlags flags = window.windowFlags();
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowContextHelpButtonHint);

    EXPECT_EQ(window.font().pixelSize(), 10);
    EXPECT_EQ(window.Button1->font().pixelSize(), 10);
    EXPECT_EQ(window.RzEdit1->font().pixelSize(), 10);
    EXPECT_EQ(window.Label1->font().pixelSize(), 19);
    EXPECT_TRUE(window.Label1->font().bold());
    for (const platform::TLinkLabel* link : {window.RzURLLabel1, window.RzURLLabel2}) {
        EXPECT_EQ(link->font().pixelSize(), 12);
        EXPECT_TRUE(link->font().underline());
        EXPECT_EQ(link->TextColor(), window.palette().color(QPalette::Active, QPalette::Highlight));
    }
}

TEST(HelpSupportDesignTest, Captions) {
    THelpSupport window;
    EXPECT_EQ(window.Button1->Caption(), "OK");
    EXPECT_EQ(window.GroupBox1->Caption(), "Contact Info: ");
    EXPECT_EQ(window.GroupBox2->Caption(), "Financially support of Author: ");
    EXPECT_EQ(window.RzLabel1->Caption(), "You can support Author financially\rBank Numbers:");
    EXPECT_EQ(window.RzLabel2->Caption(), "WebMoney purses:");
    EXPECT_EQ(window.Label1->Caption().rfind("Author: ", 0), 0u);
    EXPECT_EQ(window.RzEdit5->Text().rfind("USD number: ", 0), 0u);
    EXPECT_EQ(window.RzEdit6->Text().rfind("Rubles number: ", 0), 0u);
    // The mail link's target is "MailTo:" and its caption; the web link's is its caption, bare.
    EXPECT_EQ(window.RzURLLabel1->Target(), "MailTo:" + window.RzURLLabel1->Caption());
    EXPECT_EQ(window.RzURLLabel2->Target(), window.RzURLLabel2->Caption());
    EXPECT_EQ(window.RzURLLabel2->Target().find("://"), std::string::npos);
    for (const platform::TReadOnlyEdit* edit : {window.RzEdit1, window.RzEdit2, window.RzEdit3,
                                                window.RzEdit4, window.RzEdit5, window.RzEdit6}) {
        EXPECT_TRUE(edit->isReadOnly());
        EXPECT_FALSE(edit->Text().empty());
    }
}

TEST(HelpSupportDesignTest, PictureIsTheDeepest32PixelImageOfTheHelpIcon) {
    QFile file(QStringLiteral(":/help/HelpPicture.ico"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    std::vector<std::vector<int>> listed;
    for (const platform::IconImageInfo& image :
         platform::ReadIconDirectory(std::string_view(bytes.constData(), bytes.size()))) {
        listed.push_back({image.width, image.height, image.bitsPerPixel});
    }
    const std::vector<std::vector<int>> designed = {
        {32, 32, 4},  {16, 16, 4},    {48, 48, 8},  {32, 32, 8},  {24, 24, 8},
        {16, 16, 8},  {128, 128, 32}, {96, 96, 32}, {72, 72, 32}, {64, 64, 32},
        {48, 48, 32}, {32, 32, 32},   {24, 24, 32}, {16, 16, 32}};
    EXPECT_EQ(listed, designed);

    THelpSupport window;
    QImageReader reader(QStringLiteral(":/help/HelpPicture.ico"));
    ASSERT_TRUE(reader.jumpToImage(11));  // 32 by 32 at 32 bits per pixel
    const QImage expected = reader.read().convertToFormat(QImage::Format_ARGB32);
    const QImage shown = window.Image1->pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(shown.size(), QSize(32, 32));
    EXPECT_EQ(shown, expected);
}

// ---- Keyboard and mouse on a window shown without modality --------------------------------

class HelpSupportInputTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window_.show();
        window_.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
    }

    std::string FocusName() const {
        QWidget* focus = QApplication::focusWidget();
        return focus != nullptr ? focus->objectName().toStdString() : std::string("(none)");
    }

    platform::ScriptedDesktop desktop_;
    platform::ScopedDesktopSeam desktopSeam_{desktop_};
    platform::ScriptedDialogs dialogs_;
    platform::ScopedDialogSeam dialogSeam_{dialogs_};
    THelpSupport window_;
};

TEST_F(HelpSupportInputTest, TabCyclesFromOkThroughThePursesAndTheBankNumbers) {
    ASSERT_EQ(FocusName(), "Button1");
    std::vector<std::string> visited;
    for (int i = 0; i < 7; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.push_back(FocusName());
        if (auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget())) {
            EXPECT_EQ(edit->selectedText(), edit->text()) << visited.back();
        }
    }
    EXPECT_EQ(visited, (std::vector<std::string>{"RzEdit1", "RzEdit2", "RzEdit3", "RzEdit4",
                                                 "RzEdit5", "RzEdit6", "Button1"}));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(FocusName(), "RzEdit6");
}

TEST_F(HelpSupportInputTest, TypingIntoAnEditBoxLeavesItsTextUnchanged) {
    const std::string before = window_.RzEdit5->Text();
    window_.RzEdit5->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(window_.RzEdit5, "123");
    QTest::keyClick(window_.RzEdit5, Qt::Key_Backspace);
    QTest::keyClick(window_.RzEdit5, Qt::Key_Return);
    EXPECT_EQ(window_.RzEdit5->Text(), before);
    EXPECT_TRUE(window_.isVisible());
}

TEST_F(HelpSupportInputTest, AcceptedLinkClickTurnsOnlyThatLinkPurple) {
    QTest::mouseClick(window_.RzURLLabel1, Qt::LeftButton);
    ASSERT_EQ(desktop_.opened.size(), 1u);
    EXPECT_EQ(desktop_.opened[0].toString(),
              QString::fromStdString("mailto:" + window_.RzURLLabel1->Caption()));
    const QColor highlight = window_.palette().color(QPalette::Active, QPalette::Highlight);
    EXPECT_EQ(window_.RzURLLabel1->TextColor(), QColor(128, 0, 128));
    EXPECT_EQ(window_.RzURLLabel2->TextColor(), highlight);
    EXPECT_TRUE(DrawsInColour(*window_.RzURLLabel1, QColor(128, 0, 128)));
    EXPECT_FALSE(DrawsInColour(*window_.RzURLLabel1, highlight));
    EXPECT_TRUE(DrawsInColour(*window_.RzURLLabel2, highlight));
}

TEST_F(HelpSupportInputTest, RefusedLinkClickChangesNothingAndSaysNothing) {
    desktop_.defaultAnswer = false;
    const QColor before = window_.RzURLLabel2->TextColor();
    QTest::mouseClick(window_.RzURLLabel2, Qt::LeftButton);
    ASSERT_EQ(desktop_.opened.size(), 1u);
    EXPECT_EQ(desktop_.opened[0].toString(),
              QString::fromStdString("http://" + window_.RzURLLabel2->Caption()));
    EXPECT_EQ(window_.RzURLLabel2->TextColor(), before);
    EXPECT_FALSE(window_.RzURLLabel2->Visited());
    EXPECT_TRUE(dialogs_.messages.empty());
}

// ---- The modal showing over a main window --------------------------------------------------

class ShowHelpSupportTest : public ::testing::Test {
  protected:
    void SetUp() override {
        main_ = platform::Application().CreateForm<platform::TForm>();
        main_->SetClientSize(314, 210);
        main_->SetOuterPosition(553, 90);
        mainButton_ = new platform::TButton(main_);
        mainButton_->OnClick = [this] { ++mainClicks_; };
        main_->show();
        main_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(main_));
    }

    void TearDown() override { platform::Application().DestroyForms(); }

    // Runs body while the help window is up, then makes sure that it is closed, so that a
    // failing check cannot leave the test waiting on the modal window.
    void WhileShown(const std::function<void(THelpSupport&)>& body) {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            ran = true;
            THelpSupport* window = HelpSupport;
            if (QTest::qWaitForWindowActive(window)) {
                body(*window);
            } else {
                ADD_FAILURE() << "the help window never became active";
            }
            if (window->isVisible()) {
                window->SetModalResult(platform::mrCancel);
            }
        });
        ShowHelpSupport();
        EXPECT_TRUE(ran);
    }

    // Sends the click through the window system, where modal blocking applies, rather than
    // straight to the widget.
    void ClickMainButtonAsTheDesktopWould() {
        QTest::mouseClick(main_->windowHandle(), Qt::LeftButton, {},
                          mainButton_->geometry().center());
    }

    // The help window's outer top-left corner as the centring rule puts it.
    static QPoint CentredOver(const QRect& main, const QSize& help) {
        return {main.left() + (main.width() - help.width()) / 2,
                main.top() + (main.height() - help.height()) / 2};
    }

    platform::ScriptedDesktop desktop_;
    platform::ScopedDesktopSeam desktopSeam_{desktop_};
    platform::ScriptedDialogs dialogs_;
    platform::ScopedDialogSeam dialogSeam_{dialogs_};
    platform::TForm* main_ = nullptr;
    platform::TButton* mainButton_ = nullptr;
    int mainClicks_ = 0;
};

TEST_F(ShowHelpSupportTest, OpensModallyWithTheFocusOnOkAndBlocksTheMainWindow) {
    WhileShown([&](THelpSupport& window) {
        EXPECT_EQ(HelpSupport, &window);
        EXPECT_EQ(QApplication::activeModalWidget(), &window);
        EXPECT_EQ(QApplication::focusWidget(), window.Button1);
        ClickMainButtonAsTheDesktopWould();
        EXPECT_EQ(mainClicks_, 0);
        for (platform::TReadOnlyEdit* edit : {window.RzEdit1, window.RzEdit5}) {
            EXPECT_FALSE(edit->hasSelectedText());
        }
    });
    EXPECT_FALSE(HelpSupport->isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(QTest::qWaitForWindowActive(main_));
    ClickMainButtonAsTheDesktopWould();
    EXPECT_EQ(mainClicks_, 1);
}

struct DismissCase {
    const char* name;
    std::function<void(THelpSupport&)> act;
    bool closes;
    friend void PrintTo(const DismissCase& row, std::ostream* out) { *out << row.name; }
};

class ShowHelpSupportDismissTest : public ShowHelpSupportTest,
                                   public ::testing::WithParamInterface<DismissCase> {};

TEST_P(ShowHelpSupportDismissTest, EndsTheModalShowingOnlyTheWaysItShould) {
    bool closedByAct = false;
    WhileShown([&](THelpSupport& window) {
        GetParam().act(window);
        closedByAct = !window.isVisible();
    });
    EXPECT_EQ(closedByAct, GetParam().closes);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, ShowHelpSupportDismissTest,
    ::testing::Values(
        DismissCase{"OkClicked",
                    [](THelpSupport& w) { QTest::mouseClick(w.Button1, Qt::LeftButton); }, true},
        DismissCase{"EnterOnOk",
                    [](THelpSupport& w) { QTest::keyClick(w.Button1, Qt::Key_Return); }, true},
        DismissCase{"SpaceOnOk", [](THelpSupport& w) { QTest::keyClick(w.Button1, Qt::Key_Space); },
                    true},
        // The close box, Close in the system menu and Alt+F4 all reach the program as the
        // desktop's request to close the window.
        DismissCase{"DesktopCloseRequest", [](THelpSupport& w) { w.windowHandle()->close(); },
                    true},
        DismissCase{"EscapeOnOk",
                    [](THelpSupport& w) { QTest::keyClick(w.Button1, Qt::Key_Escape); }, false},
        DismissCase{"EscapeInEditBox",
                    [](THelpSupport& w) {
                        w.RzEdit3->setFocus(Qt::TabFocusReason);
                        QTest::keyClick(w.RzEdit3, Qt::Key_Escape);
                    },
                    false},
        DismissCase{"EnterInEditBox",
                    [](THelpSupport& w) {
                        w.RzEdit6->setFocus(Qt::TabFocusReason);
                        QTest::keyClick(w.RzEdit6, Qt::Key_Return);
                    },
                    false}),
    RowName());

TEST_F(ShowHelpSupportTest, EveryOpeningIsAFreshWindowCentredOverTheMainWindowAsItIsNow) {
    WhileShown([&](THelpSupport& window) {
        EXPECT_EQ(window.OuterBounds().topLeft(),
                  CentredOver(main_->OuterBounds(), window.OuterBounds().size()));
        QTest::mouseClick(window.RzURLLabel1, Qt::LeftButton);
        EXPECT_TRUE(window.RzURLLabel1->Visited());
        QTest::mouseClick(window.Button1, Qt::LeftButton);
    });

    main_->SetOuterPosition(40, 7);
    WhileShown([&](THelpSupport& window) {
        EXPECT_EQ(window.OuterBounds().topLeft(),
                  CentredOver(main_->OuterBounds(), window.OuterBounds().size()));
        // The help window is taller than the main window, so it starts above it.
        EXPECT_LT(window.OuterBounds().top(), main_->OuterBounds().top());
        EXPECT_FALSE(window.RzURLLabel1->Visited());
        EXPECT_FALSE(window.RzURLLabel2->Visited());
        QTest::mouseClick(window.Button1, Qt::LeftButton);
    });
}

TEST_F(ShowHelpSupportTest, OnlyTheLatestWindowIsKeptAndTheReferenceNeverDangles) {
    QPointer<THelpSupport> first;
    WhileShown([&](THelpSupport& window) {
        first = &window;
        QTest::mouseClick(window.Button1, Qt::LeftButton);
    });
    EXPECT_EQ(HelpSupport, first.data());
    WhileShown([&](THelpSupport& window) {
        EXPECT_TRUE(first.isNull());
        EXPECT_EQ(HelpSupport, &window);
        QTest::mouseClick(window.Button1, Qt::LeftButton);
    });
    platform::Application().DestroyForms();
    EXPECT_EQ(HelpSupport, nullptr);
}

TEST_F(ShowHelpSupportTest, CentringTruncatesAnOddNegativeDifferenceTowardsZero) {
    // One pixel taller makes the difference in height odd and negative: -101 / 2 is -50.
    main_->SetClientSize(315, 211);
    WhileShown([&](THelpSupport& window) {
        const QRect main = main_->OuterBounds();
        const QRect help = window.OuterBounds();
        ASSERT_EQ(main.height() - help.height(), -101);
        EXPECT_EQ(help.top(), main.top() - 50);
        EXPECT_EQ(help.left(), main.left() + (main.width() - help.width()) / 2);
        QTest::mouseClick(window.Button1, Qt::LeftButton);
    });
}

}  // namespace
