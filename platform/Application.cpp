#include "platform/Application.h"

#include <QApplication>
#include <QEvent>
#include <QIcon>
#include <QWidget>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "platform/DialogSeam.h"
#include "platform/Form.h"

namespace platform {

namespace {

std::string ExecutablePath() {
    std::error_code error;
    const std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : path.string();
}

// The Qt application keeps references to argc and argv for its whole life. It gets the
// program's own path only: the player reads no command-line arguments, Qt's included.
int qtArgc = 1;
std::string qtProgramName;
char* qtArgv[] = {nullptr, nullptr};

}  // namespace

TApplication::TApplication() = default;

TApplication::~TApplication() = default;

void TApplication::Initialize() {
    if (QApplication::instance() == nullptr) {
        qtProgramName = ExecutablePath();
        if (qtProgramName.empty()) {
            qtProgramName = "kestrin";
        }
        qtArgv[0] = qtProgramName.data();
        new QApplication(qtArgc, qtArgv);  // lives until the process ends
    }
    QApplication::setApplicationName(QString::fromStdString(Title()));
    // The end of the program is decided by Run and Terminate, not by windows closing.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(ApplicationIcon());
}

void TApplication::Adopt(std::unique_ptr<TForm> form) {
    if (mainForm_ == nullptr) {
        mainForm_ = form.get();
    }
    forms_.push_back(std::move(form));
}

void TApplication::ReleaseForm(TForm* form) {
    const auto found = std::find_if(forms_.begin(), forms_.end(),
                                    [form](const auto& owned) { return owned.get() == form; });
    if (found == forms_.end()) {
        return;
    }
    if (mainForm_ == form) {
        mainForm_ = nullptr;
    }
    std::unique_ptr<TForm> released = std::move(*found);
    forms_.erase(found);
}

void TApplication::DestroyForms() {
    mainForm_ = nullptr;
    while (!forms_.empty()) {
        std::unique_ptr<TForm> last = std::move(forms_.back());
        forms_.pop_back();
    }
    terminated_ = false;
}

void TApplication::Run() {
    if (mainForm_ == nullptr) {
        return;
    }
    mainForm_->show();
    // Each round handles whatever is pending (waiting for it when nothing is), so the end is
    // noticed only here, at the outermost level, after the handler that asked for it returned.
    while (!terminated_) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        // Objects queued for deletion are deleted only when asked for outside QEventLoop::exec.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    DestroyForms();
}

void TApplication::Terminate() {
    terminated_ = true;
    // Wakes the outermost loop if it is waiting, so that it sees the flag.
    QCoreApplication::postEvent(QCoreApplication::instance(), new QEvent(QEvent::None));
}

void TApplication::ProcessMessages() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

QWidget* TApplication::DialogOwner() const {
    QWidget* active = QApplication::activeWindow();
    return active != nullptr ? active : mainForm_;
}

int TApplication::MessageBox(const std::string& text, const std::string& caption, int flags) {
    return Dialogs().ShowMessageBox(DialogOwner(), text, caption, flags);
}

std::string TApplication::Title() const {
    return TitleFromExecutable(ExecutablePath());
}

void TApplication::ShowException(const std::exception& error) {
    MessageBox(FailureReportText(error.what()), Title(), MB_OK | MB_ICONSTOP);
}

TApplication& Application() {
    static TApplication application;
    return application;
}

QIcon ApplicationIcon() {
    return QIcon(QStringLiteral(":/icons/MAINICON.ico"));
}

std::string TitleFromExecutable(const std::string& exePath) {
    std::string title = exePath.substr(exePath.find_last_of('/') + 1);
    title = title.substr(0, title.find('.'));
    for (std::size_t i = 0; i < title.size(); ++i) {
        const auto c = static_cast<unsigned char>(title[i]);
        title[i] = static_cast<char>(i == 0 ? std::toupper(c) : std::tolower(c));
    }
    return title;
}

std::string FailureReportText(const std::string& message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') {
        return message + ".";
    }
    return message;
}

}  // namespace platform
