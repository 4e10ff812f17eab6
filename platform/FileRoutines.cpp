#include "platform/FileRoutines.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/Errors.h"

namespace platform {
namespace {

std::string& ProgramDirectoryOverride() {
    static std::string dir;
    return dir;
}

}  // namespace

bool FileExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool DeleteFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

std::string ExtractFileName(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ExtractFilePath(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string ApplicationExeName() {
    // The link's target can be of any length; grow the buffer until it fits with room to spare,
    // since readlink truncates silently.
    std::vector<char> buffer(256);
    for (;;) {
        const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) {
            throw Error("Cannot find the running program's path. " + SystemReason(errno));
        }
        if (static_cast<std::size_t>(length) < buffer.size()) {
            return std::string(buffer.data(), static_cast<std::size_t>(length));
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::string ProgramDirectory() {
    const std::string& override = ProgramDirectoryOverride();
    return override.empty() ? ExtractFilePath(ApplicationExeName()) : override;
}

void SetProgramDirectoryForTesting(const std::string& dir) {
    ProgramDirectoryOverride() = dir;
}

}  // namespace platform
