#pragma once

#include <stdexcept>
#include <string>

namespace platform {

// Every failure that the player does not handle itself travels as one of these exceptions up
// to the window's event dispatch, where the standard failure report shows what() as it stands.
// The texts are fixed: users and scripts see them verbatim.
class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// "Cannot open file "<path>". <reason>"
class FileOpenError : public Error {
public:
    FileOpenError(const std::string& path, int errnum);
};

// "Cannot create file "<path>". <reason>"
class FileCreateError : public Error {
public:
    FileCreateError(const std::string& path, int errnum);
};

// "Stream read error": a read delivered fewer bytes than asked for.
class StreamReadError : public Error {
public:
    StreamReadError();
};

// "Stream write error": a write took fewer bytes than it was given.
class StreamWriteError : public Error {
public:
    StreamWriteError();
};

// "Out of memory while expanding memory stream"
class OutOfMemoryError : public Error {
public:
    OutOfMemoryError();
};

// "<ClassName> property out of range", e.g. a progress bar given a minimum above its maximum.
class PropertyOutOfRangeError : public Error {
public:
    explicit PropertyOutOfRangeError(const std::string& className);
};

// The system's message for errnum with trailing blanks and full stops removed, the form in
// which it follows the path in the open and create failure texts.
std::string SystemReason(int errnum);

}  // namespace platform
