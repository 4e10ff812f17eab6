#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QSignalSpy>
#include <QStringList>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Application.h"
#include "platform/Controls.h"
#include "platform/DialogSeam.h"
#include "platform/Errors.h"
#include "platform/Form.h"
#include "platform/OpenDialog.h"

using platform::Application;

namespace {

class FormTest : public testing::Test {
  protected:
    void SetUp() override { Application().Initialize(); }
    void TearDown() override { Application().DestroyForms(); }

    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogSeam seam{dialogs};
};

TEST_F(FormTest, HasAFixedBorderWithCloseAndMinimiseButNoMaximiseOrHelp) {
    platform::TForm form;
    form.SetClientSize(314, 210);
    const Qt::WindowFlags flags = form.windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::Window));
    EXPECT_TRUE(flags.testFlag(Qt::WindowSystemMenuHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowContextHelpButtonHint));
    EXPECT_EQ(form.minimumSize(), QSize(314, 210));
    EXPECT_EQ(form.maximumSize(), QSize(314, 210));
    EXPECT_EQ(form.backgroundRole(), QPalette::Button);
    EXPECT_TRUE(form.autoFillBackground());
}

TEST_F(FormTest, OuterPositionAndSizeAreKept) {
    platform::TForm form;
    form.SetClientSize(249, 312);
    form.SetOuterPosition(553, 90);
    form.show();
    EXPECT_EQ(form.OuterBounds().topLeft(), QPoint(553, 90));
    EXPECT_EQ(form.geometry().size(), QSize(249, 312));
    EXPECT_GE(form.OuterBounds().width(), 249);
}

TEST_F(FormTest, TheWindowFontHasTheDesignedTextHeight) {
    const QFont font = platform::WindowFont(11);
    EXPECT_EQ(QFontInfo(font).family(), "DejaVu Sans");
    EXPECT_EQ(QFontMetrics(font).height(), 13);

    platform::TForm form;
    EXPECT_EQ(form.font().pixelSize(), 11);
    form.SetFontCharacterHeight(10);
    EXPECT_EQ(form.font().pixelSize(), 10);
}

TEST_F(FormTest, ShowModalBlocksOtherWindowsUntilClosedAndEscapeDoesNotEndIt) {
    platform::TForm owner;
    owner.show();
    platform::TForm form;
    std::vector<std::string> seen;
    QTimer::singleShot(0, &form, [&] {
        seen.push_back(QApplication::activeModalWidget() == &form ? "modal" : "not modal");
        QTest::keyClick(&form, Qt::Key_Escape);
        seen.push_back(form.isVisible() ? "open after Escape" : "closed by Escape");
        form.Close();
    });

    const int result = form.ShowModal();

    EXPECT_EQ(result, platform::mrCancel);
    EXPECT_EQ(seen, (std::vector<std::string>{"modal", "open after Escape"}));
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(FormTest, AltF4OnAFocusedControlEndsTheModalShowingLikeTheCloseBox) {
    platform::TForm form;
    auto* button = new platform::TButton(&form);
    int clicks = 0;
    button->OnClick = [&] { ++clicks; };
    bool closedByTheKey = false;
    QTimer::singleShot(0, &form, [&] {
        button->setFocus();
        QTest::keyClick(button, Qt::Key_F4, Qt::AltModifier);
        closedByTheKey = !form.isVisible();
        form.Close();
    });

    EXPECT_EQ(form.ShowModal(), platform::mrCancel);
    EXPECT_TRUE(closedByTheKey);
    EXPECT_EQ(clicks, 0);
}

TEST_F(FormTest, SettingAModalResultEndsTheModalShowing) {
    platform::TForm form;
    QTimer::singleShot(0, &form, [&] { form.SetModalResult(platform::mrOk); });
    EXPECT_EQ(form.ShowModal(), platform::mrOk);
    EXPECT_FALSE(form.isVisible());
}

// Keys on a focused button: which ones click it.
struct ButtonKeyCase {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    int clicks;
};

class ButtonKeyTest : public testing::TestWithParam<ButtonKeyCase> {};

TEST_P(ButtonKeyTest, ClicksOnlyOnEnterAndSpace) {
    Application().Initialize();
    platform::TForm form;
    auto* button = new platform::TButton(&form);
    int clicks = 0;
    button->OnClick = [&] { ++clicks; };
    form.show();
    button->setFocus();

    QTest::keyClick(button, GetParam().key, GetParam().modifiers);

    EXPECT_EQ(clicks, GetParam().clicks);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, ButtonKeyTest,
    testing::Values(ButtonKeyCase{"Return", Qt::Key_Return, Qt::NoModifier, 1},
                    ButtonKeyCase{"KeypadEnter", Qt::Key_Enter, Qt::KeypadModifier, 1},
                    ButtonKeyCase{"Space", Qt::Key_Space, Qt::NoModifier, 1},
                    ButtonKeyCase{"Escape", Qt::Key_Escape, Qt::NoModifier, 0},
                    ButtonKeyCase{"Letter", Qt::Key_O, Qt::NoModifier, 0},
                    ButtonKeyCase{"AltReturn", Qt::Key_Return, Qt::AltModifier, 0}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(FormTest, AButtonCaptionIsShownAsWrittenWithoutAccelerator) {
    platform::TForm form;
    platform::TButton button(&form);
    button.SetCaption("Save & Go ");
    EXPECT_EQ(button.Caption(), "Save & Go ");
    EXPECT_EQ(button.text(), "Save && Go ");
}

TEST_F(FormTest, AFailingButtonHandlerIsReportedAndTheButtonStaysUsable) {
    platform::TForm form;
    platform::TButton button(&form);
    int calls = 0;
    button.OnClick = [&] {
        if (++calls == 1) {
            throw platform::StreamReadError();
        }
    };
    button.click();
    button.click();
    EXPECT_EQ(calls, 2);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Stream read error.");
    EXPECT_EQ(dialogs.messages[0].flags, platform::MB_ICONSTOP);
}

class ListBoxTest : public FormTest {
  protected:
    void SetUp() override {
        FormTest::SetUp();
        list = new platform::TListBox(&form);
        platform::PlaceControl(*list, 8, 8, 169, 161);
        form.show();
        list->setFocus();
    }

    platform::TForm form;
    platform::TListBox* list = nullptr;
};

TEST_F(ListBoxTest, KeepsRowsInOrderWithTheirExactBytesAndThirteenPixelRows) {
    const std::vector<std::string> rows = {"b.dat1.asf", "a.dat2.asf", "\xff\xfe odd.dat3.asf"};
    for (const std::string& row : rows) {
        list->Add(row);
    }
    ASSERT_EQ(list->Count(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(list->Item(i), rows[i]);
        EXPECT_EQ(list->visualItemRect(list->item(i)).height(), 13);
    }
    EXPECT_EQ(list->ItemIndex(), -1);
    EXPECT_EQ(list->Item(3), "");

    list->SetItemIndex(1);
    EXPECT_EQ(list->ItemIndex(), 1);
    list->Clear();
    EXPECT_EQ(list->Count(), 0);
    EXPECT_EQ(list->ItemIndex(), -1);
}

TEST_F(ListBoxTest, TheKeyPressHandlerSeesEveryCharacterFirstAndTheListStillActsOnIt) {
    for (const char* row : {"alpha", "beta", "gamma"}) {
        list->Add(row);
    }
    std::vector<std::pair<int, int>> seen;  // the character, and the selected row at that time
    list->OnKeyPress = [&](char& key) { seen.emplace_back(key, list->ItemIndex()); };

    QTest::keyClick(list, Qt::Key_G);       // typed prefix selects "gamma"
    QTest::keyClick(list, Qt::Key_Up);      // arrow moves to "beta"; no character
    QTest::keyClick(list, Qt::Key_Return);  // Enter reaches the handler as 13

    EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{'g', -1}, {13, 1}}));
    EXPECT_EQ(list->ItemIndex(), 1);
}

TEST_F(ListBoxTest, AHandlerThatClearsTheKeySwallowsIt) {
    for (const char* row : {"alpha", "beta"}) {
        list->Add(row);
    }
    list->OnKeyPress = [](char& key) { key = 0; };
    QTest::keyClick(list, Qt::Key_B);
    EXPECT_EQ(list->ItemIndex(), -1);
}

TEST_F(ListBoxTest, ADoubleClickRunsTheHandlerWithTheClickedRowSelected) {
    list->Add("first");
    list->Add("second");
    int selectedAtDoubleClick = -2;
    list->OnDblClick = [&] { selectedAtDoubleClick = list->ItemIndex(); };
    const QPoint second = list->visualItemRect(list->item(1)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, second);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, second);
    EXPECT_EQ(selectedAtDoubleClick, 1);
}

TEST_F(FormTest, AProgressBarRefusesAMinimumAboveItsMaximumAndClampsItsPosition) {
    platform::TForm form;
    platform::TProgressBar bar(&form);
    EXPECT_EQ(bar.Min(), 0);
    EXPECT_EQ(bar.Max(), 100);
    EXPECT_EQ(bar.Position(), 0);
    EXPECT_FALSE(bar.isTextVisible());

    bar.SetMin(1);
    try {
        bar.SetMax(0);
        FAIL() << "a maximum below the minimum was accepted";
    } catch (const platform::Error& error) {
        EXPECT_STREQ(error.what(), "TProgressBar property out of range");
    }
    EXPECT_EQ(bar.Min(), 1);
    EXPECT_EQ(bar.Max(), 100);

    bar.SetMax(1000);
    bar.SetPosition(5000);
    EXPECT_EQ(bar.Position(), 5000);
    EXPECT_EQ(bar.value(), 1000);
    bar.SetPosition(0);
    EXPECT_EQ(bar.value(), 1);
}

TEST_F(FormTest, AProgressBarWithAnEmptyRangeShowsNoBusyAnimation) {
    platform::TForm form;
    platform::TProgressBar bar(&form);
    bar.SetMin(1);
    bar.SetMax(1);
    bar.SetPosition(1);
    // Qt animates a bar whose minimum equals its maximum.
    EXPECT_LT(bar.minimum(), bar.maximum());
}

TEST_F(FormTest, AStatusBarHasOnePanelAcrossItsWholeWidthAndNoSizeGrip) {
    platform::TForm form;
    form.SetClientSize(314, 210);
    auto* bar = new platform::TStatusBar(&form);
    platform::PlaceControl(*bar, 0, 188, 314, 22);
    const std::string longName(200, 'n');
    bar->SetPanelText(longName + ".dat");
    form.show();
    QApplication::processEvents();

    EXPECT_FALSE(bar->isSizeGripEnabled());
    EXPECT_EQ(bar->PanelText(), longName + ".dat");
    const auto* panel = bar->findChild<QLabel*>("Panel0");
    ASSERT_NE(panel, nullptr);
    EXPECT_GT(panel->width(), 314 - 20);
    EXPECT_NE(bar->font(), form.font());
}

TEST_F(FormTest, TheOpenDialogOpensWithTheLastChosenPathAndKeepsItOnCancel) {
    platform::TOpenDialog dialog(nullptr);
    dialog.SetFilter("*.*|*.*");
    dialogs.openAnswers = {std::string("/data/a.big"), std::nullopt};

    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.FileName(), "/data/a.big");
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(dialog.FileName(), "/data/a.big");

    ASSERT_EQ(dialogs.openRequests.size(), 2u);
    EXPECT_EQ(dialogs.openRequests[0].fileName, "");
    EXPECT_EQ(dialogs.openRequests[0].filter, "*.*|*.*");
    EXPECT_EQ(dialogs.openRequests[1].fileName, "/data/a.big");
}

TEST(NameFilters, BecomeQtFiltersWhereStarDotStarMeansEveryFile) {
    EXPECT_EQ(platform::QtNameFilters("*.*|*.*"), QStringList{"*.* (*)"});
    EXPECT_EQ(platform::QtNameFilters("Containers|*.big;*.viv|All|*.*"),
              (QStringList{"Containers (*.big *.viv)", "All (*)"}));
    EXPECT_EQ(platform::QtNameFilters(""), QStringList{"(*)"});
}

}  // namespace
