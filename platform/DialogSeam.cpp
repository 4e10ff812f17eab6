#include "platform/DialogSeam.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

namespace platform {

namespace {

QMessageBox::Icon IconFor(int flags) {
    // The icon is the flags' second hex digit; the button bits below it are always "OK only".
    switch (flags & 0xF0) {
        case MB_ICONSTOP:
            return QMessageBox::Critical;
        case MB_ICONQUESTION:
            return QMessageBox::Question;
        case MB_ICONEXCLAMATION:
            return QMessageBox::Warning;
        case MB_ICONINFORMATION:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

}  // namespace

// Patterns are separated by ';' in the filter text and by blanks in Qt's. "*.*" means every
// file there, while Qt would take it literally and hide the files without a dot, so it becomes
// "*".
QStringList QtNameFilters(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split('|');
    QStringList result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(';', Qt::SkipEmptyParts);
        for (QString& pattern : patterns) {
            pattern = pattern.trimmed();
            if (pattern == "*.*") {
                pattern = "*";
            }
        }
        result << parts[i] + " (" + patterns.join(' ') + ")";
    }
    if (result.isEmpty()) {
        result << "(*)";
    }
    return result;
}

namespace {

class QtDialogs : public DialogSeam {
  public:
    int ShowMessageBox(QWidget* owner, const std::string& text, const std::string& caption,
                       int flags) override {
        QMessageBox box(IconFor(flags), QString::fromStdString(caption),
                        QString::fromStdString(text), QMessageBox::Ok, owner);
        box.setTextFormat(Qt::PlainText);
        box.setWindowModality(Qt::ApplicationModal);
        box.exec();
        return IDOK;
    }

    std::optional<std::string> ShowOpenDialog(QWidget* owner,
                                              const OpenDialogRequest& request) override {
        QFileDialog dialog(owner);
        // Qt's own dialog behaves the same on every desktop and under a bare X server.
        dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setWindowModality(Qt::ApplicationModal);
        dialog.setNameFilters(QtNameFilters(request.filter));
        if (!request.fileName.empty()) {
            dialog.selectFile(QString::fromStdString(request.fileName));
        }
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
            return std::nullopt;
        }
        return dialog.selectedFiles().first().toStdString();
    }
};

DialogSeam* installed = nullptr;

}  // namespace

DialogSeam& Dialogs() {
    static QtDialogs real;
    return installed != nullptr ? *installed : real;
}

void InstallDialogSeam(DialogSeam* seam) {
    installed = seam;
}

ScopedDialogSeam::ScopedDialogSeam(DialogSeam& seam) : previous_(installed) {
    installed = &seam;
}

ScopedDialogSeam::~ScopedDialogSeam() {
    installed = previous_;
}

int ScriptedDialogs::ShowMessageBox(QWidget*, const std::string& text, const std::string& caption,
                                    int flags) {
    messages.push_back({text, caption, flags});
    if (onMessage) {
        onMessage(messages.back());
    }
    return IDOK;
}

std::optional<std::string> ScriptedDialogs::ShowOpenDialog(QWidget*,
                                                           const OpenDialogRequest& request) {
    openRequests.push_back(request);
    if (onOpenDialog) {
        onOpenDialog(request);
    }
    if (openAnswers.empty()) {
        return std::nullopt;
    }
    std::optional<std::string> answer = openAnswers.front();
    openAnswers.pop_front();
    return answer;
}

}  // namespace platform
