#pragma once

#include <exception>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class QIcon;
class QWidget;

namespace platform {

class TForm;

// The application object: creates the Qt application, owns the forms, runs the event loop and
// shows message boxes. One instance, reached through Application().
class TApplication {
  public:
    TApplication();
    ~TApplication();
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;

    // Creates the Qt application unless one exists already (test programs bring their own),
    // and sets the application icon. Reads no command-line arguments.
    void Initialize();

    // Creates a form owned by the application. The first form created becomes the main form.
    template <class FormClass>
    FormClass* CreateForm() {
        auto form = std::make_unique<FormClass>();
        FormClass* created = form.get();
        Adopt(std::move(form));
        return created;
    }
    template <class FormClass>
    void CreateForm(FormClass*& reference) {
        reference = CreateForm<FormClass>();
    }

    // Destroys one form created through CreateForm, at once.
    void ReleaseForm(TForm* form);

    // Destroys every form, newest first, and forgets the main form and a finished Terminate.
    void DestroyForms();

    // Shows the main form and handles events until Terminate has been called and control is
    // back here, so that a command running when the end was asked for still runs to its end.
    // Then destroys the forms.
    void Run();

    // Asks the event loop to end. Closing the main form calls it.
    void Terminate();
    bool Terminated() const { return terminated_; }

    // Handles every pending event, then returns.
    void ProcessMessages();

    // A modal message box with an OK button over the active window; flags as in DialogSeam.h.
    int MessageBox(const std::string& text, const std::string& caption, int flags);

    // The executable's name as described at TitleFromExecutable.
    std::string Title() const;

    TForm* MainForm() const { return mainForm_; }

    // The standard failure report: a stop box with the error's message, captioned with Title().
    void ShowException(const std::exception& error);

  private:
    void Adopt(std::unique_ptr<TForm> form);
    QWidget* DialogOwner() const;

    std::vector<std::unique_ptr<TForm>> forms_;
    TForm* mainForm_ = nullptr;
    bool terminated_ = false;
};

// The one application object.
TApplication& Application();

// The application icon MAINICON (48, 32 and 16 pixels, at 8 and 32 bits per pixel).
QIcon ApplicationIcon();

// Runs one event handler. An error that escapes it is shown by the standard failure report;
// the handler's work ends there and the event loop goes on. Every control event of a form
// reaches its handler through here.
template <class Handler>
void RunHandler(Handler&& handler) {
    try {
        std::forward<Handler>(handler)();
    } catch (const std::exception& error) {
        Application().ShowException(error);
    }
}

// The title a program gets from its executable's full path: the file name without the
// directory and without everything from its first dot on, first letter upper case and every
// letter after it lower case ("/opt/KESTRIN.EXE" and "build/bin/kestrin" give "Kestrin").
std::string TitleFromExecutable(const std::string& exePath);

// The failure report's text: the message, with a full stop appended when its last character
// sorts above "." (after a letter, digit or colon; not after ".", ")", a quote, "!" or a blank).
std::string FailureReportText(const std::string& message);

}  // namespace platform
