#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QIcon>
#include <QImageReader>
#include <QPointer>
#include <QTimer>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Application.h"
#include "platform/Controls.h"
#include "platform/DialogSeam.h"
#include "platform/Errors.h"
#include "platform/Form.h"

using platform::Application;
using testing::ElementsAre;

namespace {

struct TextCase {
    const char* name;
    std::string input;
    std::string expected;
};

std::string CaseName(const testing::TestParamInfo<TextCase>& info) {
    return info.param.name;
}

class FailureReportTextTest : public testing::TestWithParam<TextCase> {};

TEST_P(FailureReportTextTest, AppendsAFullStopOnlyAfterCharactersThatSortAboveIt) {
    EXPECT_EQ(platform::FailureReportText(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rule, FailureReportTextTest,
    testing::Values(TextCase{"Letter", "abc", "abc."}, TextCase{"Digit", "error 5", "error 5."},
                    TextCase{"Colon", "x:", "x:."}, TextCase{"FullStop", "x.", "x."},
                    TextCase{"Parenthesis", "x)", "x)"}, TextCase{"Exclamation", "x!", "x!"},
                    TextCase{"DoubleQuote", "open \"a\"", "open \"a\""},
                    TextCase{"SingleQuote", "x'", "x'"}, TextCase{"Blank", "x ", "x "},
                    TextCase{"Slash", "dir/", "dir/."}, TextCase{"Empty", "", ""},
                    TextCase{"NonAsciiLastByte", "caf\xc3\xa9", "caf\xc3\xa9."},
                    TextCase{"RangeFailure", "TProgressBar property out of range",
                             "TProgressBar property out of range."}),
    CaseName);

class TitleTest : public testing::TestWithParam<TextCase> {};

TEST_P(TitleTest, IsTheFileNameUpToItsFirstDotWithOnlyTheFirstLetterUpperCase) {
    EXPECT_EQ(platform::TitleFromExecutable(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rule, TitleTest,
    testing::Values(TextCase{"BuiltPlayer", "/work/build/bin/kestrin", "Kestrin"},
                    TextCase{"UpperCaseWithExtension", "C:/Games/KESTRIN.EXE", "Kestrin"},
                    TextCase{"EverythingFromTheFirstDot", "/opt/my.player.bin", "My"},
                    TextCase{"DotInDirectoryOnly", "/opt/v1.2/kestrin", "Kestrin"},
                    TextCase{"MixedCase", "/bin/KeStRiN-Player", "Kestrin-player"},
                    TextCase{"NoDirectory", "kestrin", "Kestrin"},
                    TextCase{"DigitFirst", "/bin/7ZIP", "7zip"},
                    TextCase{"LeadingDot", "/bin/.hidden", ""}),
    CaseName);

class ApplicationTest : public testing::Test {
  protected:
    void SetUp() override { Application().Initialize(); }
    void TearDown() override { Application().DestroyForms(); }

    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogSeam seam{dialogs};
};

TEST_F(ApplicationTest, AnErrorEscapingAHandlerIsReportedWithTheStopIconAndTheTitle) {
    bool after = false;
    platform::RunHandler([] { throw platform::PropertyOutOfRangeError("TProgressBar"); });
    platform::RunHandler([] { throw platform::FileOpenError("/x/a.dat", ENOENT); });
    platform::RunHandler([&] { after = true; });

    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0].text, "TProgressBar property out of range.");
    EXPECT_EQ(dialogs.messages[1].text,
              "Cannot open file \"/x/a.dat\". No such file or directory.");
    for (const auto& message : dialogs.messages) {
        EXPECT_EQ(message.caption, Application().Title());
        EXPECT_EQ(message.flags, platform::MB_ICONSTOP);
    }
    EXPECT_TRUE(after);
}

TEST_F(ApplicationTest, TheTitleComesFromTheRunningExecutable) {
    EXPECT_EQ(Application().Title(), "Platform_application_test");
}

TEST_F(ApplicationTest, TheFirstFormCreatedIsTheMainFormAndAllAreDestroyedAtTheEnd) {
    platform::TForm* first = Application().CreateForm<platform::TForm>();
    platform::TForm* second = Application().CreateForm<platform::TForm>();
    QPointer<platform::TForm> firstAlive(first);
    QPointer<platform::TForm> secondAlive(second);
    EXPECT_EQ(Application().MainForm(), first);

    Application().ReleaseForm(second);
    EXPECT_TRUE(secondAlive.isNull());
    EXPECT_EQ(Application().MainForm(), first);

    Application().DestroyForms();
    EXPECT_TRUE(firstAlive.isNull());
    EXPECT_EQ(Application().MainForm(), nullptr);
}

TEST_F(ApplicationTest, ClosingTheMainFormEndsRunAndDestroysTheForms) {
    platform::TForm* form = Application().CreateForm<platform::TForm>();
    QPointer<platform::TForm> alive(form);
    QTimer::singleShot(0, form, [form] { form->Close(); });

    Application().Run();

    EXPECT_TRUE(alive.isNull());
}

// A close request served while a handler pumps events lets the handler run to its end, its
// final message box included; only then does Run return.
TEST_F(ApplicationTest, ACloseRequestDuringAPumpingHandlerEndsTheProgramAfterTheHandler) {
    std::vector<std::string> log;
    platform::TForm* form = Application().CreateForm<platform::TForm>();
    auto* button = new platform::TButton(form);
    button->OnClick = [&] {
        QCoreApplication::postEvent(form, new QCloseEvent);
        Application().ProcessMessages();
        log.push_back(Application().Terminated() ? "pumped, end requested" : "pumped");
        Application().MessageBox("done", "Information", platform::MB_ICONINFORMATION);
        log.push_back("handler returns");
    };
    dialogs.onMessage = [&](const auto& message) {
        log.push_back("box " + message.text + (form->isVisible() ? ", window up" : ""));
    };
    QTimer::singleShot(0, button, [button] { button->click(); });

    Application().Run();
    log.push_back("run returned");

    EXPECT_THAT(log, ElementsAre("pumped, end requested", "box done, window up", "handler returns",
                                 "run returned"));
}

TEST_F(ApplicationTest, MessageBoxGoesThroughTheSeamWithTextCaptionAndFlags) {
    EXPECT_EQ(Application().MessageBox("Founded *.asf: 3", "Information", 64), platform::IDOK);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Founded *.asf: 3");
    EXPECT_EQ(dialogs.messages[0].caption, "Information");
    EXPECT_EQ(dialogs.messages[0].flags, 64);
}

struct IconEntry {
    int size;
    int bitsPerPixel;
    bool operator==(const IconEntry&) const = default;
};

std::ostream& operator<<(std::ostream& out, const IconEntry& entry) {
    return out << entry.size << "px/" << entry.bitsPerPixel << "bpp";
}

// Reads the icon's directory: six entries of 16 bytes after a 6-byte header.
std::vector<IconEntry> IconDirectory(const QByteArray& data) {
    std::vector<IconEntry> entries;
    if (data.size() < 6) {
        return entries;
    }
    const auto byte = [&](qsizetype at) { return static_cast<std::uint8_t>(data[at]); };
    const int count = byte(4) | byte(5) << 8;
    for (int i = 0; i < count && 6 + 16 * (i + 1) <= data.size(); ++i) {
        const qsizetype at = 6 + 16 * i;
        entries.push_back({byte(at), byte(at + 6) | byte(at + 7) << 8});
    }
    return entries;
}

TEST_F(ApplicationTest, TheApplicationIconCarriesSixImagesThatQtCanDecode) {
    QFile file(QStringLiteral(":/icons/MAINICON.ico"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_THAT(IconDirectory(file.readAll()),
                ElementsAre(IconEntry{48, 8}, IconEntry{48, 32}, IconEntry{32, 8},
                            IconEntry{32, 32}, IconEntry{16, 8}, IconEntry{16, 32}));

    QImageReader reader(QStringLiteral(":/icons/MAINICON.ico"));
    ASSERT_EQ(reader.imageCount(), 6);
    for (int i = 0; i < 6; ++i) {
        ASSERT_TRUE(reader.jumpToImage(i));
        const QImage image = reader.read();
        ASSERT_FALSE(image.isNull()) << "image " << i;
        EXPECT_TRUE(image.hasAlphaChannel()) << "image " << i;
        // The corners are transparent in every image, the centre is not.
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << "image " << i;
        EXPECT_EQ(qAlpha(image.pixel(image.width() / 2, image.height() / 2)), 255) << "image " << i;
    }
    EXPECT_FALSE(platform::ApplicationIcon().isNull());
}

}  // namespace
