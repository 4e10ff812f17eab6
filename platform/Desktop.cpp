#include "platform/Desktop.h"

#include <QDesktopServices>
#include <QDir>
#include <QRegularExpression>

namespace platform {

namespace {

// Trims as the original link component did: every character up to and including the blank
// counts as white space, so a target of only tabs or line breaks is blank too.
std::string Trimmed(const std::string& text) {
    auto isSpace = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && isSpace(text[first])) {
        ++first;
    }
    while (last > first && isSpace(text[last - 1])) {
        --last;
    }
    return text.substr(first, last - first);
}

class RealDesktop : public DesktopSeam {
  public:
    bool Open(const QUrl& address) override { return QDesktopServices::openUrl(address); }
};

DesktopSeam* installed = nullptr;

}  // namespace

QUrl DesktopAddressFor(const std::string& target) {
    const QString text = QString::fromStdString(Trimmed(target));
    if (text.isEmpty()) {
        return {};
    }
    // A scheme is a letter followed by letters, digits, "+", "-" or "." and a colon. One letter
    // before the colon would be a drive, which this desktop does not have, so it needs two.
    static const QRegularExpression scheme("^[A-Za-z][A-Za-z0-9+.-]+:");
    if (scheme.match(text).hasMatch()) {
        return QUrl(text, QUrl::TolerantMode);
    }
    if (QDir::isAbsolutePath(text)) {
        return QUrl::fromLocalFile(text);
    }
    return QUrl::fromUserInput(text);
}

DesktopSeam& Desktop() {
    static RealDesktop real;
    return installed != nullptr ? *installed : real;
}

void InstallDesktopSeam(DesktopSeam* seam) {
    installed = seam;
}

ScopedDesktopSeam::ScopedDesktopSeam(DesktopSeam& seam) : previous_(installed) {
    installed = &seam;
}

ScopedDesktopSeam::~ScopedDesktopSeam() {
    installed = previous_;
}

bool OpenWithDesktop(const std::string& target) {
    const QUrl address = DesktopAddressFor(target);
    if (address.isEmpty() || !address.isValid()) {
        return false;
    }
    return Desktop().Open(address);
}

bool ScriptedDesktop::Open(const QUrl& address) {
    opened.push_back(address);
    if (answers.empty()) {
        return defaultAnswer;
    }
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
}

}  // namespace platform
