#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "platform/DialogSeam.h"

namespace {

// Runs inspect on the modal widget that the real seam puts up, from inside its event loop.
template <class Dialog>
void WhenShown(std::function<void(Dialog&)> inspect) {
    QTimer::singleShot(0, [inspect] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        inspect(*dialog);
    });
}

struct IconCase {
    const char* name;
    int flags;
    QMessageBox::Icon icon;
};

class RealMessageBoxTest : public testing::TestWithParam<IconCase> {};

TEST_P(RealMessageBoxTest, ShowsTheTextAsWrittenUnderItsCaptionWithOnlyAnOkButton) {
    bool inspected = false;
    WhenShown<QMessageBox>([&](QMessageBox& box) {
        EXPECT_EQ(box.windowTitle(), "Information");
        EXPECT_EQ(box.text(), "Founded *.asf: <3> & more");
        EXPECT_EQ(box.textFormat(), Qt::PlainText);
        EXPECT_EQ(box.icon(), GetParam().icon);
        EXPECT_EQ(box.standardButtons(), QMessageBox::Ok);
        EXPECT_EQ(box.windowModality(), Qt::ApplicationModal);
        inspected = true;
        box.button(QMessageBox::Ok)->click();
    });

    const int result = platform::Dialogs().ShowMessageBox(nullptr, "Founded *.asf: <3> & more",
                                                          "Information", GetParam().flags);

    EXPECT_TRUE(inspected);
    EXPECT_EQ(result, platform::IDOK);
}

INSTANTIATE_TEST_SUITE_P(
    Flags, RealMessageBoxTest,
    testing::Values(IconCase{"OkOnly", platform::MB_OK, QMessageBox::NoIcon},
                    IconCase{"Stop", platform::MB_ICONSTOP, QMessageBox::Critical},
                    IconCase{"Question", platform::MB_ICONQUESTION, QMessageBox::Question},
                    IconCase{"Exclamation", platform::MB_ICONEXCLAMATION, QMessageBox::Warning},
                    IconCase{"Information", platform::MB_ICONINFORMATION,
                             QMessageBox::Information}),
    [](const auto& row) { return std::string(row.param.name); });

class RealOpenDialogTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(directory.isValid());
        QFile file(directory.filePath("noextension"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        existing = file.fileName().toStdString();
    }

    QTemporaryDir directory;
    std::string existing;
};

TEST_F(RealOpenDialogTest, OpensOnTheGivenFileAcceptsOnlyExistingFilesAndGivesItsFullPath) {
    WhenShown<QFileDialog>([&](QFileDialog& dialog) {
        EXPECT_TRUE(dialog.testOption(QFileDialog::DontUseNativeDialog));
        EXPECT_EQ(dialog.fileMode(), QFileDialog::ExistingFile);
        EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptOpen);
        EXPECT_EQ(dialog.nameFilters(), QStringList{"*.* (*)"});
        EXPECT_EQ(dialog.selectedFiles(), QStringList{QString::fromStdString(existing)});
        // QFileDialog's own accept checks that the chosen file exists.
        static_cast<QDialog&>(dialog).accept();
    });

    const std::optional<std::string> chosen =
        platform::Dialogs().ShowOpenDialog(nullptr, {"*.*|*.*", existing});

    EXPECT_EQ(chosen, existing);
}

TEST_F(RealOpenDialogTest, CancellingGivesNothing) {
    WhenShown<QFileDialog>([](QFileDialog& dialog) { dialog.reject(); });
    EXPECT_EQ(platform::Dialogs().ShowOpenDialog(nullptr, {"*.*|*.*", existing}), std::nullopt);
}

}  // namespace
