#include "sx/OutputFile.h"

#include <cerrno>
#include <random>
#include <string>

namespace sx {
namespace {

// Attempts at a free temporary name before giving up; a clash needs another converter writing
// the same output at the same moment.
constexpr int kNameAttempts = 100;

}  // namespace

OutputFile::OutputFile(std::filesystem::path target) : target_(std::move(target)) {
    std::random_device random;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::filesystem::path candidate = target_;
        candidate.replace_filename("." + target_.filename().string() + ".sx-" +
                                   std::to_string(random()) + ".tmp");
        errno = 0;
        // "x": create the file, failing if the name is taken, so that no other file is touched.
        file_ = std::fopen(candidate.c_str(), "wbx");
        if (file_ != nullptr) {
            temporary_ = candidate;
            return;
        }
        error_ = errno;
        if (error_ != EEXIST) {
            return;
        }
    }
}

OutputFile::~OutputFile() {
    discard();
}

bool OutputFile::write(std::span<const std::uint8_t> bytes) {
    if (file_ == nullptr) {
        return false;
    }
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
        return fail();
    }
    return true;
}

bool OutputFile::rewriteStart(std::span<const std::uint8_t> bytes) {
    if (file_ == nullptr) {
        return false;
    }
    if (std::fseek(file_, 0, SEEK_SET) != 0 ||
        std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
        return fail();
    }
    return true;
}

bool OutputFile::commit() {
    if (file_ == nullptr) {
        return false;
    }
    errno = 0;
    const int closed = std::fclose(file_);
    file_ = nullptr;
    if (closed != 0) {
        error_ = errno;
        discard();
        return false;
    }
    std::error_code renameError;
    std::filesystem::rename(temporary_, target_, renameError);
    if (renameError) {
        error_ = renameError.value();
        discard();
        return false;
    }
    temporary_.clear();
    return true;
}

void OutputFile::discard() {
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
    if (!temporary_.empty()) {
        std::error_code ignored;  // nothing more can be done about a file that will not go
        std::filesystem::remove(temporary_, ignored);
        temporary_.clear();
    }
}

bool OutputFile::fail() {
    error_ = errno != 0 ? errno : EIO;
    return false;
}

}  // namespace sx
