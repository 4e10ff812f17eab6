#pragma once

#include <QStringList>

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace platform {

// Message-box flag values and the button they give back, as the desktop defines them.
inline constexpr int MB_OK = 0;
inline constexpr int MB_ICONSTOP = 16;
inline constexpr int MB_ICONQUESTION = 32;
inline constexpr int MB_ICONEXCLAMATION = 48;
inline constexpr int MB_ICONINFORMATION = 64;
inline constexpr int IDOK = 1;

// What an open-file dialog is asked to show.
struct OpenDialogRequest {
    std::string filter;    // "description|pattern|description|pattern..."
    std::string fileName;  // filled into the name field when the dialog opens
};

// The one way by which modal message boxes and the file dialog reach the screen. The real seam
// shows Qt dialogs; tests install a ScriptedDialogs so that no test ever waits on a window.
class DialogSeam {
  public:
    virtual ~DialogSeam() = default;

    // Shows a modal box with an OK button and the icon that flags names; returns IDOK.
    virtual int ShowMessageBox(QWidget* owner, const std::string& text, const std::string& caption,
                               int flags) = 0;

    // Shows the modal open dialog; the chosen file's full path, or nothing when cancelled.
    virtual std::optional<std::string> ShowOpenDialog(QWidget* owner,
                                                      const OpenDialogRequest& request) = 0;
};

// A filter in the form "description|pattern|..." as Qt's name filters ("description (pattern)").
// "*.*" stands for every file, also those without a dot in their name.
QStringList QtNameFilters(const std::string& filter);

// The seam in force: the installed one, else the real Qt dialogs.
DialogSeam& Dialogs();

// Makes seam answer every dialog from now on; nullptr puts the real dialogs back.
void InstallDialogSeam(DialogSeam* seam);

// Installs a seam for the lifetime of this object and restores the previous one afterwards.
class ScopedDialogSeam {
  public:
    explicit ScopedDialogSeam(DialogSeam& seam);
    ~ScopedDialogSeam();
    ScopedDialogSeam(const ScopedDialogSeam&) = delete;
    ScopedDialogSeam& operator=(const ScopedDialogSeam&) = delete;

  private:
    DialogSeam* previous_;
};

// A seam for tests: records every message box and answers open dialogs from a queue (an empty
// queue, or a queued nothing, means the user cancelled). The hooks run while the "dialog" is
// up, where a real dialog would be running its own event loop.
class ScriptedDialogs : public DialogSeam {
  public:
    struct Message {
        std::string text;
        std::string caption;
        int flags = 0;
    };

    int ShowMessageBox(QWidget* owner, const std::string& text, const std::string& caption,
                       int flags) override;
    std::optional<std::string> ShowOpenDialog(QWidget* owner,
                                              const OpenDialogRequest& request) override;

    std::vector<Message> messages;
    std::vector<OpenDialogRequest> openRequests;
    std::deque<std::optional<std::string>> openAnswers;
    std::function<void(const Message&)> onMessage;
    std::function<void(const OpenDialogRequest&)> onOpenDialog;
};

}  // namespace platform
