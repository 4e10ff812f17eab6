#include "platform/Errors.h"

#include <cstring>

namespace platform {

std::string SystemReason(int errnum) {
    std::string reason = std::strerror(errnum);
    while (!reason.empty() && (reason.back() == ' ' || reason.back() == '.')) {
        reason.pop_back();
    }
    return reason;
}

FileOpenError::FileOpenError(const std::string& path, int errnum)
    : Error("Cannot open file \"" + path + "\". " + SystemReason(errnum)) {}

FileCreateError::FileCreateError(const std::string& path, int errnum)
    : Error("Cannot create file \"" + path + "\". " + SystemReason(errnum)) {}

StreamReadError::StreamReadError() : Error("Stream read error") {}

StreamWriteError::StreamWriteError() : Error("Stream write error") {}

OutOfMemoryError::OutOfMemoryError() : Error("Out of memory while expanding memory stream") {}

PropertyOutOfRangeError::PropertyOutOfRangeError(const std::string& className)
    : Error(className + " property out of range") {}

}  // namespace platform
