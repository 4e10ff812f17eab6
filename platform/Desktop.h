#pragma once

#include <deque>
#include <string>
#include <vector>

#include <QUrl>

namespace platform {

// The address under which the desktop's default handler opens a link target. A target with a
// scheme ("MailTo:someone@example.org", "https://...") keeps it, the scheme in lower case; a
// bare web address ("www.example.org/kestrin") becomes an http address, since the desktop
// services need a scheme where the original shell guessed one; an absolute path becomes a file
// address. Leading and trailing blanks and control characters are dropped. An empty address
// comes back for a blank target.
QUrl DesktopAddressFor(const std::string& target);

// The one way by which a target reaches the desktop's default handler. The real seam asks the
// desktop services; tests install a ScriptedDesktop so that no test starts a browser.
class DesktopSeam {
  public:
    virtual ~DesktopSeam() = default;

    // Asks the desktop to open the address with its default action, without an owner window
    // and without any error dialog of the desktop's own. True when the request was accepted.
    virtual bool Open(const QUrl& address) = 0;
};

// The seam in force: the installed one, else the real desktop.
DesktopSeam& Desktop();

// Makes seam answer every open request from now on; nullptr puts the real desktop back.
void InstallDesktopSeam(DesktopSeam* seam);

// Installs a seam for the lifetime of this object and restores the previous one afterwards.
class ScopedDesktopSeam {
  public:
    explicit ScopedDesktopSeam(DesktopSeam& seam);
    ~ScopedDesktopSeam();
    ScopedDesktopSeam(const ScopedDesktopSeam&) = delete;
    ScopedDesktopSeam& operator=(const ScopedDesktopSeam&) = delete;

  private:
    DesktopSeam* previous_;
};

// Opens target (a link's target or caption) through the seam in force. A blank target opens
// nothing and gives false.
bool OpenWithDesktop(const std::string& target);

// A seam for tests: records every address it is asked to open and answers from a queue, or
// with defaultAnswer once the queue is empty.
class ScriptedDesktop : public DesktopSeam {
  public:
    bool Open(const QUrl& address) override;

    std::vector<QUrl> opened;
    std::deque<bool> answers;
    bool defaultAnswer = true;
};

}  // namespace platform
