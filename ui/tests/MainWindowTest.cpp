#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFontInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/Application.h"
#include "platform/DialogSeam.h"
#include "platform/FileFaults.h"
#include "platform/FileRoutines.h"
#include "ui/HelpSupport.h"
#include "ui/Unit1.h"

using platform::Application;
using testing::ElementsAre;

namespace {

// A container of the given streams, each "SCHl" + filler + "SCEl" 0x08, after a lead-in.
std::string Container(const std::vector<int>& fillerSizes, int leadIn = 16) {
    std::string bytes(static_cast<std::size_t>(leadIn), '\0');
    for (int filler : fillerSizes) {
        bytes += "SCHl" + std::string(static_cast<std::size_t>(filler), 'x') + "SCEl\x08";
    }
    return bytes;
}

class MainWindowTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(directory.isValid());
        Application().Initialize();
        Catalogue = StreamCatalogue{};
        Application().CreateForm(Form1);
        platform::SetProgramDirectoryForTesting(Path(""));
    }

    void TearDown() override {
        Application().DestroyForms();
        platform::SetProgramDirectoryForTesting("");
    }

    std::string Path(const std::string& name) const {
        return directory.path().toStdString() + "/" + name;
    }

    std::string Write(const std::string& name, const std::string& bytes) const {
        QFile file(QString::fromStdString(Path(name)));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes.data(), static_cast<qint64>(bytes.size()));
        return Path(name);
    }

    // "Open File" clicked, with the dialog answered by path (or cancelled).
    void OpenFile(std::optional<std::string> path) {
        dialogs.openAnswers.push_back(std::move(path));
        Form1->Button1->click();
    }

    void ShowAndFocus() {
        Form1->show();
        QApplication::setActiveWindow(Form1);
        ASSERT_TRUE(QTest::qWaitForWindowActive(Form1));
    }

    std::vector<std::string> Rows() const {
        std::vector<std::string> rows;
        for (int i = 0; i < Form1->ListBox1->Count(); ++i) {
            rows.push_back(Form1->ListBox1->Item(i));
        }
        return rows;
    }

    QTemporaryDir directory;
    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogSeam seam{dialogs};
};

TEST_F(MainWindowTest, TheWindowHasItsDesignedCaptionSizePositionAndBorder) {
    EXPECT_EQ(Form1, Application().MainForm());
    EXPECT_FALSE(Form1->isVisible());
    EXPECT_EQ(Form1->Caption(), "Kestrin ASF Player");
    EXPECT_EQ(Form1->size(), QSize(314, 210));
    EXPECT_EQ(Form1->minimumSize(), Form1->maximumSize());
    EXPECT_EQ(Form1->pos(), QPoint(553, 90));
    EXPECT_FALSE(Form1->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(Form1->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_EQ(QFontInfo(Form1->Button1->font()).pixelSize(), 11);
    EXPECT_EQ(QFontInfo(Form1->ListBox1->font()).pixelSize(), 11);
    EXPECT_NE(Form1->StatusBar1->font(), Form1->font());
}

struct ControlCase {
    const char* name;
    const char* className;
    QRect geometry;
    std::string caption;
    bool tabStop;
};

class MainWindowLayoutTest : public MainWindowTest,
                             public testing::WithParamInterface<ControlCase> {};

TEST_P(MainWindowLayoutTest, ControlHasItsDesignedKindPlaceCaptionAndTabStop) {
    const ControlCase& expected = GetParam();
    const auto* control = Form1->findChild<QWidget*>(expected.name);
    ASSERT_NE(control, nullptr);
    EXPECT_STREQ(control->metaObject()->className(), expected.className);
    EXPECT_EQ(control->geometry(), expected.geometry);
    if (const auto* button = qobject_cast<const platform::TButton*>(control)) {
        EXPECT_EQ(button->Caption(), expected.caption);
        EXPECT_FALSE(button->isDefault());
        EXPECT_FALSE(button->autoDefault());
    }
    EXPECT_EQ((control->focusPolicy() & Qt::TabFocus) != 0, expected.tabStop);
    EXPECT_TRUE(control->toolTip().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Controls, MainWindowLayoutTest,
    testing::Values(
        ControlCase{"ListBox1", "platform::TListBox", QRect(8, 8, 169, 161), "", true},
        ControlCase{"Button1", "platform::TButton", QRect(184, 8, 121, 25), "Open File", true},
        ControlCase{"Button3", "platform::TButton", QRect(184, 40, 121, 25), "Play", true},
        ControlCase{"Button2", "platform::TButton", QRect(184, 72, 121, 25), "Stop", true},
        ControlCase{"Button5", "platform::TButton", QRect(184, 104, 121, 25), "Convert to Wav",
                    true},
        ControlCase{"Button4", "platform::TButton", QRect(184, 136, 121, 25), "Help / Support ",
                    true},
        ControlCase{"ProgressBar1", "platform::TProgressBar", QRect(8, 176, 297, 9), "", false},
        ControlCase{"StatusBar1", "platform::TStatusBar", QRect(0, 188, 314, 22), "", false}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(MainWindowTest, StartsEmptyWithTheFocusOnOpenFile) {
    ShowAndFocus();
    EXPECT_EQ(QApplication::focusWidget(), Form1->Button1);
    EXPECT_EQ(Form1->ListBox1->Count(), 0);
    EXPECT_EQ(Form1->ListBox1->ItemIndex(), -1);
    EXPECT_EQ(Form1->ProgressBar1->Min(), 0);
    EXPECT_EQ(Form1->ProgressBar1->Max(), 100);
    EXPECT_EQ(Form1->ProgressBar1->Position(), 0);
    EXPECT_EQ(Form1->StatusBar1->PanelText(), "");
    EXPECT_EQ(Catalogue.StreamCount, 0);
    EXPECT_EQ(Catalogue.ContainerPath, "");
}

TEST_F(MainWindowTest, TabVisitsTheControlsInTheirTabOrderAndWraps) {
    ShowAndFocus();
    std::vector<std::string> visited;
    for (int i = 0; i < 6; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.push_back(QApplication::focusWidget()->objectName().toStdString());
    }
    EXPECT_THAT(visited,
                ElementsAre("ListBox1", "Button2", "Button3", "Button5", "Button4", "Button1"));
}

TEST_F(MainWindowTest, EnterAndSpaceOnAFocusedButtonClickIt) {
    ShowAndFocus();
    QTest::keyClick(Form1->Button1, Qt::Key_Return);
    QTest::keyClick(Form1->Button1, Qt::Key_Space);
    EXPECT_EQ(dialogs.openRequests.size(), 2u);
}

TEST_F(MainWindowTest, EscapeDoesNothingAnywhere) {
    OpenFile(Write("one.dat", Container({4})));
    dialogs.messages.clear();
    ShowAndFocus();
    for (QWidget* control : std::vector<QWidget*>{Form1->Button1, Form1->ListBox1, Form1->Button2,
                                                  Form1->Button3, Form1->Button5, Form1->Button4}) {
        control->setFocus();
        QTest::keyClick(control, Qt::Key_Escape);
    }
    QTest::keyClick(Form1, Qt::Key_Escape);
    EXPECT_TRUE(Form1->isVisible());
    EXPECT_FALSE(Application().Terminated());
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(dialogs.openRequests.size(), 1u);
    EXPECT_EQ(Rows(), std::vector<std::string>{"one.dat1.asf"});
}

TEST_F(MainWindowTest, OpenFileScansIntoTheRealControls) {
    const std::string container = Container({10, 200000, 3});
    const std::string path = Write("music.dat", container);
    std::vector<std::string> rowsAtBox;
    dialogs.onMessage = [&](const auto&) { rowsAtBox = Rows(); };

    OpenFile(path);

    ASSERT_EQ(dialogs.openRequests.size(), 1u);
    EXPECT_EQ(dialogs.openRequests[0].filter, "*.*|*.*");
    EXPECT_EQ(dialogs.openRequests[0].fileName, "");
    const std::vector<std::string> rows = {"music.dat1.asf", "music.dat2.asf", "music.dat3.asf"};
    EXPECT_EQ(Rows(), rows);
    EXPECT_EQ(rowsAtBox, rows);
    EXPECT_EQ(Form1->ListBox1->ItemIndex(), -1);
    EXPECT_EQ(Form1->StatusBar1->PanelText(), "music.dat");
    EXPECT_EQ(Form1->ProgressBar1->Min(), 1);
    EXPECT_EQ(Form1->ProgressBar1->Max(), static_cast<std::int32_t>(container.size()));
    EXPECT_EQ(Form1->ProgressBar1->Position(), 1);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Founded *.asf: 3");
    EXPECT_EQ(dialogs.messages[0].caption, "Information");
    EXPECT_EQ(dialogs.messages[0].flags, 64);
    EXPECT_EQ(Catalogue.ContainerPath, path);
    EXPECT_EQ(Catalogue.StreamCount, 3);
    EXPECT_EQ(Catalogue.EndCount, 3);
}

TEST_F(MainWindowTest, CancellingTheDialogChangesNothing) {
    const std::string path = Write("music.dat", Container({10, 20}));
    OpenFile(path);
    Form1->ListBox1->SetItemIndex(1);
    const StreamCatalogue before = Catalogue;

    OpenFile(std::nullopt);

    ASSERT_EQ(dialogs.openRequests.size(), 2u);
    EXPECT_EQ(dialogs.openRequests[1].fileName, path);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"music.dat1.asf", "music.dat2.asf"}));
    EXPECT_EQ(Form1->ListBox1->ItemIndex(), 1);
    EXPECT_EQ(Form1->StatusBar1->PanelText(), "music.dat");
    EXPECT_EQ(Form1->ProgressBar1->Position(), 1);
    EXPECT_EQ(Catalogue.ContainerPath, before.ContainerPath);
    EXPECT_EQ(Catalogue.StreamStarts, before.StreamStarts);
    EXPECT_EQ(Catalogue.StreamEnds, before.StreamEnds);
    EXPECT_EQ(Catalogue.StreamCount, 2);
    EXPECT_EQ(dialogs.messages.size(), 1u);
}

TEST_F(MainWindowTest, AFailingScanIsReportedAndTheWindowStaysUsable) {
    platform::faults::ScopedClear clearFaults;
    const std::string path = Write("locked.dat", Container({10}));
    platform::faults::FailOpen(path, EACCES);

    OpenFile(path);

    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Cannot open file \"" + path + "\". Permission denied.");
    EXPECT_EQ(dialogs.messages[0].caption, Application().Title());
    EXPECT_EQ(dialogs.messages[0].flags, platform::MB_ICONSTOP);
    EXPECT_EQ(Form1->ListBox1->Count(), 0);
    EXPECT_EQ(Form1->StatusBar1->PanelText(), "locked.dat");
    EXPECT_FALSE(Application().Terminated());

    platform::faults::ClearAll();
    OpenFile(path);
    EXPECT_EQ(Rows(), std::vector<std::string>{"locked.dat1.asf"});
}

// Play, double-click, Enter in the list and Convert act on the selected row only. With no
// converter beside the program, each of them extracts the stream and then says so.
struct TriggerCase {
    const char* name;
    std::function<void(TForm1&, bool rowSelected)> trigger;
    const char* extractedFile;  // nullptr when the trigger starts no command
};

class MainWindowTriggerTest : public MainWindowTest,
                              public testing::WithParamInterface<TriggerCase> {
  protected:
    void Check(bool rowSelected) {
        OpenFile(Write("music.dat", Container({10, 20})));
        dialogs.messages.clear();
        ShowAndFocus();
        if (rowSelected) {
            Form1->ListBox1->SetItemIndex(1);
        }

        GetParam().trigger(*Form1, rowSelected);

        const bool commandRan = rowSelected && GetParam().extractedFile != nullptr;
        if (commandRan) {
            ASSERT_EQ(dialogs.messages.size(), 1u);
            EXPECT_EQ(dialogs.messages[0].text, "Can not find sx.exe");
            EXPECT_EQ(dialogs.messages[0].caption, "Error");
            EXPECT_EQ(dialogs.messages[0].flags, 48);
        } else {
            EXPECT_TRUE(dialogs.messages.empty());
        }
        for (const char* file : {"temp.asf", "toconvert.asf"}) {
            const bool expected = commandRan && std::string(file) == GetParam().extractedFile;
            EXPECT_EQ(platform::FileExists(Path(file)), expected) << file;
        }
    }
};

TEST_P(MainWindowTriggerTest, RunsItsCommandOnTheSelectedRow) {
    Check(true);
}

TEST_P(MainWindowTriggerTest, DoesNothingWithoutASelectedRow) {
    Check(false);
}

void DoubleClickList(TForm1& form, bool rowSelected) {
    platform::TListBox& list = *form.ListBox1;
    // On the selected row, or on the empty space below the rows.
    const QPoint at = rowSelected ? list.visualItemRect(list.item(list.ItemIndex())).center()
                                  : QPoint(20, list.viewport()->height() - 5);
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, at);
}

INSTANTIATE_TEST_SUITE_P(
    Triggers, MainWindowTriggerTest,
    testing::Values(
        TriggerCase{"PlayButton", [](TForm1& form, bool) { form.Button3->click(); }, "temp.asf"},
        TriggerCase{"DoubleClickInList", DoubleClickList, "temp.asf"},
        TriggerCase{"EnterInList",
                    [](TForm1& form, bool) {
                        form.ListBox1->setFocus();
                        QTest::keyClick(form.ListBox1, Qt::Key_Return);
                    },
                    "temp.asf"},
        TriggerCase{"OtherKeyInList",
                    [](TForm1& form, bool) {
                        form.ListBox1->setFocus();
                        QTest::keyClick(form.ListBox1, Qt::Key_P);
                    },
                    nullptr},
        TriggerCase{"ConvertButton", [](TForm1& form, bool) { form.Button5->click(); },
                    "toconvert.asf"},
        TriggerCase{"StopButton", [](TForm1& form, bool) { form.Button2->click(); }, nullptr}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(MainWindowTest, HelpSupportOpensTheHelpWindowModally) {
    bool wasModal = false;
    QTimer::singleShot(0, Form1, [&] {
        wasModal = HelpSupport != nullptr && QApplication::activeModalWidget() == HelpSupport;
        if (HelpSupport != nullptr) {
            HelpSupport->Close();
        }
    });
    Form1->show();
    Form1->Button4->click();
    EXPECT_TRUE(wasModal);
    EXPECT_TRUE(dialogs.messages.empty());
}

// A close request served at one of the scan's pumps lets the scan finish, its count message
// included, with the window still up; the program ends when control is back in the loop.
TEST_F(MainWindowTest, ClosingDuringAScanEndsTheProgramOnlyAfterTheScansMessageBox) {
    const std::string path = Write("big.dat", Container({300000, 300000}));
    std::vector<std::string> log;
    TForm1* form = Form1;
    dialogs.openAnswers.push_back(path);
    dialogs.onOpenDialog = [&](const auto&) { QCoreApplication::postEvent(form, new QCloseEvent); };
    dialogs.onMessage = [&](const auto& message) {
        log.push_back(message.text + (Application().Terminated() ? ", end requested" : "") +
                      (form->isVisible() ? ", window up" : ""));
        log.push_back(std::to_string(form->ListBox1->Count()) + " rows");
    };
    QTimer::singleShot(0, form, [form] { form->Button1->click(); });

    Application().Run();
    log.push_back("run returned");

    EXPECT_THAT(
        log, ElementsAre("Founded *.asf: 2, end requested, window up", "2 rows", "run returned"));
    EXPECT_EQ(Form1, nullptr);
}

}  // namespace
