#include "sx/ByteSource.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace sx {

std::size_t readFully(ByteSource& source, std::uint8_t* dst, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const std::size_t got = source.read(dst + done, size - done);
        if (got == 0) {
            break;
        }
        done += got;
    }
    return done;
}

std::size_t MemorySource::read(std::uint8_t* dst, std::size_t size) {
    const std::size_t take = std::min({size, chunk_, bytes_.size() - pos_});
    std::copy_n(bytes_.data() + pos_, take, dst);
    pos_ += take;
    return take;
}

FileSource::FileSource(const std::filesystem::path& path) {
    errno = 0;
    file_ = std::fopen(path.c_str(), "rb");
    if (file_ == nullptr) {
        openError_ = errno;
        return;
    }
    // A directory opens for reading but fails on the first read; say so at the open instead.
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        std::fclose(file_);
        file_ = nullptr;
        openError_ = EISDIR;
    }
}

FileSource::~FileSource() {
    if (file_ != nullptr) {
        std::fclose(file_);
    }
}

std::size_t FileSource::read(std::uint8_t* dst, std::size_t size) {
    return file_ == nullptr ? 0 : std::fread(dst, 1, size, file_);
}

bool FileSource::failed() const {
    return file_ == nullptr || std::ferror(file_) != 0;
}

}  // namespace sx
