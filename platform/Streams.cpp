#include "platform/Streams.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <limits>
#include <new>

#include "platform/Errors.h"
#include "platform/FileFaults.h"
#include "platform/FileHandle.h"

namespace platform {
namespace {

// Opens path for reading; a directory is refused as the system refuses to read one.
FileHandle OpenForReading(const std::string& path) {
    if (const int injected = faults::OpenErrorFor(path)) {
        throw FileOpenError(path, injected);
    }
    FileHandle file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.Get() < 0) {
        throw FileOpenError(path, errno);
    }
    struct stat info {};
    if (::fstat(file.Get(), &info) != 0) {
        throw FileOpenError(path, errno);
    }
    if (S_ISDIR(info.st_mode)) {
        throw FileOpenError(path, EISDIR);
    }
    return file;
}

// Moves length bytes in calls of transfer(done, ask), each of which moves up to ask bytes from
// position done and returns what the system call returned. False when the bytes fall short: a
// call that fails, one that moves nothing, or the fault table's limit (negative: none) reached.
template <typename Transfer>
bool TransferAll(std::int64_t length, std::int64_t limit, Transfer transfer) {
    constexpr std::int64_t kMostBytesPerCall = 1 << 30;
    std::int64_t done = 0;
    while (done < length) {
        std::int64_t ask = std::min(length - done, kMostBytesPerCall);
        if (limit >= 0) {
            ask = std::min(ask, limit - done);
            if (ask <= 0) {
                return false;
            }
        }
        const ssize_t moved = transfer(done, static_cast<std::size_t>(ask));
        if (moved < 0 && errno == EINTR) {
            continue;
        }
        if (moved <= 0) {
            return false;
        }
        done += moved;
    }
    return true;
}

// Reads exactly length bytes at offset into destination, or throws StreamReadError.
void ReadExactly(const std::string& path, int fd, std::uint8_t* destination, std::int64_t offset,
                 std::int64_t length) {
    const bool complete =
        TransferAll(length, faults::ReadLimitFor(path), [&](std::int64_t done, std::size_t ask) {
            return ::pread(fd, destination + done, ask, offset + done);
        });
    if (!complete) {
        throw StreamReadError();
    }
}

}  // namespace

void MemoryStream::SetSize(std::int64_t size) {
    Clear();
    if (size < 0 || static_cast<std::uint64_t>(size) > std::numeric_limits<std::size_t>::max()) {
        throw OutOfMemoryError();
    }
    if (size == 0) {
        return;
    }
    // Default-initialised on purpose: see the class comment.
    data_.reset(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(size)]);
    if (!data_) {
        throw OutOfMemoryError();
    }
    size_ = size;
}

void MemoryStream::Clear() {
    data_.reset();
    size_ = 0;
}

std::int64_t FileSizeOf(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return -1;
    }
    return static_cast<std::int64_t>(info.st_size);
}

void MemoryStream::LoadFromFile(const std::string& path) {
    FileHandle file = OpenForReading(path);
    struct stat info {};
    if (::fstat(file.Get(), &info) != 0) {
        throw StreamReadError();
    }
    // Load into a fresh stream first, so that a failure leaves this one as it was.
    MemoryStream loaded;
    loaded.SetSize(static_cast<std::int64_t>(info.st_size));
    ReadExactly(path, file.Get(), loaded.Data(), 0, loaded.Size());
    *this = std::move(loaded);
}

void MemoryStream::LoadRangeFromFile(const std::string& path, std::int64_t offset,
                                     std::int64_t length) {
    FileHandle file = OpenForReading(path);
    if (offset < 0 || length < 0) {
        throw StreamReadError();
    }
    MemoryStream loaded;
    loaded.SetSize(length);
    ReadExactly(path, file.Get(), loaded.Data(), offset, length);
    *this = std::move(loaded);
}

void MemoryStream::SaveToFile(const std::string& path) const {
    if (const int injected = faults::OpenErrorFor(path)) {
        throw FileCreateError(path, injected);
    }
    FileHandle file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (file.Get() < 0) {
        throw FileCreateError(path, errno);
    }
    const bool complete =
        TransferAll(size_, faults::WriteLimitFor(path), [&](std::int64_t done, std::size_t ask) {
            return ::write(file.Get(), data_.get() + done, ask);
        });
    if (!complete) {
        throw StreamWriteError();
    }
    if (!file.Close()) {
        throw StreamWriteError();
    }
}

}  // namespace platform
