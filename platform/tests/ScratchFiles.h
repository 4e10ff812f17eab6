#pragma once

// Small helpers for tests that work with real files and processes: a scratch directory of
// their own, whole-file reads and writes, a file held open by another process, and a bounded
// wait for something that another process does.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <stdexcept>
#include <string>
#include <thread>

namespace scratch {

// A fresh directory under the temporary directory, removed with everything in it at the end.
// Its path ends in '/', as the program directory does.
class Directory {
  public:
    Directory() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kestrin-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot create a scratch directory");
        }
        path_ = pattern + "/";
    }
    ~Directory() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    Directory(const Directory&) = delete;
    Directory& operator=(const Directory&) = delete;

    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + name; }

  private:
    std::string path_;
};

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out.flush()) {
        throw std::runtime_error("cannot write " + path);
    }
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline bool Exists(const std::string& path) {
    return ::access(path.c_str(), F_OK) == 0;
}

// Polls condition until it holds or a generous deadline has passed; true when it held. The
// deadline only bounds a test that has already failed, it is no timing assumption.
inline bool WaitUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds deadline = std::chrono::seconds(20)) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// Another process that opens path with the given flags and keeps it open until this object
// is destroyed. The constructor returns once the file is open there.
class HeldByOtherProcess {
  public:
    HeldByOtherProcess(const std::string& path, int flags) {
        int ready[2];
        int release[2];
        if (::pipe(ready) != 0 || ::pipe(release) != 0) {
            throw std::runtime_error("pipe");
        }
        pid_ = ::fork();
        if (pid_ == 0) {
            // Only async-signal-safe calls in the child of a possibly threaded process.
            ::close(ready[0]);
            ::close(release[1]);
            const int fd = ::open(path.c_str(), flags, 0666);
            const char opened = fd >= 0 ? 1 : 0;
            [[maybe_unused]] ssize_t ignored = ::write(ready[1], &opened, 1);
            char any;
            ignored = ::read(release[0], &any, 1);
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(release[0]);
        release_ = release[1];
        char opened = 0;
        const bool answered = ::read(ready[0], &opened, 1) == 1;
        ::close(ready[0]);
        if (!answered || opened != 1) {
            Release();
            throw std::runtime_error("the other process cannot open " + path);
        }
    }
    ~HeldByOtherProcess() { Release(); }
    HeldByOtherProcess(const HeldByOtherProcess&) = delete;
    HeldByOtherProcess& operator=(const HeldByOtherProcess&) = delete;

    // Closes the file in the other process and waits for that process to end.
    void Release() {
        if (release_ >= 0) {
            ::close(release_);
            release_ = -1;
            ::waitpid(pid_, nullptr, 0);
        }
    }

  private:
    pid_t pid_ = -1;
    int release_ = -1;
};

}  // namespace scratch
