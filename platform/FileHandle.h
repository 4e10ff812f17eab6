#pragma once

#include <unistd.h>

namespace platform {

// An open file descriptor that closes itself when it goes out of scope. A negative descriptor
// (a failed open) holds nothing.
class FileHandle {
  public:
    explicit FileHandle(int fd) : fd_(fd) {}
    ~FileHandle() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FileHandle(FileHandle&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    FileHandle& operator=(FileHandle&&) = delete;

    int Get() const { return fd_; }

    // Closes now and says whether the system accepted it: a failed close of a file that was
    // written can mean lost data, so a writer checks it.
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return fd < 0 || ::close(fd) == 0;
    }

  private:
    int fd_;
};

}  // namespace platform
