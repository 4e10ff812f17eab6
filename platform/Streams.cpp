#include "platform/Streams.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

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

// Reads exactly length bytes at offset into destination, or throws StreamReadError. limit is
// how many more bytes the fault table lets this open deliver (negative: no limit).
void ReadExactly(int fd, std::uint8_t* destination, std::int64_t offset, std::int64_t length,
                 std::int64_t limit) {
    const bool complete = TransferAll(length, limit, [&](std::int64_t done, std::size_t ask) {
        return ::pread(fd, destination + done, ask, offset + done);
    });
    if (!complete) {
        throw StreamReadError();
    }
}

// Large blocks sit on 2 MiB boundaries and ask for huge pages: a container is read once and
// then searched from end to end, and with small pages every one of its 4 KiB pages costs a
// fault and a TLB miss of its own. The storage stays uninitialised (see the class comment).
std::uint8_t* AllocateBlock(std::size_t size) {
    constexpr std::size_t kHugePageBytes = 2 * 1024 * 1024;
    if (size < kHugePageBytes) {
        return static_cast<std::uint8_t*>(std::malloc(size));
    }
    const std::size_t rounded = (size + kHugePageBytes - 1) / kHugePageBytes * kHugePageBytes;
    void* block = std::aligned_alloc(kHugePageBytes, rounded);
    if (block != nullptr) {
        // Only a hint: where the system has no huge pages the block works as it is.
        ::madvise(block, rounded, MADV_HUGEPAGE);
    }
    return static_cast<std::uint8_t*>(block);
}

}  // namespace

void MemoryStream::FreeBlock::operator()(std::uint8_t* block) const {
    std::free(block);
}

void MemoryStream::SetSize(std::int64_t size) {
    Clear();
    // No machine this runs on holds a terabyte in memory; asking the allocator for more is
    // refused here, since some allocators (the sanitizers') abort on such a request rather than
    // fail it.
    constexpr std::int64_t kLargestBlockBytes = std::int64_t{1} << 40;
    if (size < 0 || size > kLargestBlockBytes) {
        throw OutOfMemoryError();
    }
    if (size == 0) {
        return;
    }
    data_.reset(AllocateBlock(static_cast<std::size_t>(size)));
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
    LoadFromFile(path, nullptr);
}

void MemoryStream::LoadFromFile(const std::string& path, const LoadObserver& onLoaded) {
    FileHandle file = OpenForReading(path);
    struct stat info {};
    if (::fstat(file.Get(), &info) != 0) {
        throw StreamReadError();
    }
    // Load into a fresh stream first, so that a failure leaves this one as it was.
    MemoryStream loaded;
    loaded.SetSize(static_cast<std::int64_t>(info.st_size));
    const std::int64_t limit = faults::ReadLimitFor(path);
    if (!onLoaded) {
        ReadExactly(file.Get(), loaded.Data(), 0, loaded.Size(), limit);
    } else {
        // In blocks that fit the processor's cache, so that the observer finds them there.
        constexpr std::int64_t kObservedBlockBytes = 256 * 1024;
        for (std::int64_t done = 0; done < loaded.Size();) {
            const std::int64_t length = std::min(kObservedBlockBytes, loaded.Size() - done);
            ReadExactly(file.Get(), loaded.Data() + done, done, length,
                        limit < 0 ? -1 : std::max<std::int64_t>(limit - done, 0));
            done += length;
            onLoaded(std::span<const std::uint8_t>(loaded.Data(), static_cast<std::size_t>(done)));
        }
    }
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
    ReadExactly(file.Get(), loaded.Data(), offset, length, faults::ReadLimitFor(path));
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
