#pragma once

// Where the stream's bytes come from: a file or memory, read front to back in pieces of any size.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <span>

namespace sx {

class ByteSource {
  public:
    virtual ~ByteSource() = default;
    // Reads up to `size` bytes into `dst` and returns how many it read; 0 means the end of the
    // input or a read failure (then failed() is true). It may return fewer bytes than asked
    // before the end.
    virtual std::size_t read(std::uint8_t* dst, std::size_t size) = 0;
    virtual bool failed() const { return false; }
};

// Reads until `size` bytes are in or the source has no more; returns how many it read.
std::size_t readFully(ByteSource& source, std::uint8_t* dst, std::size_t size);

// Bytes in memory, handed out at most `chunk` bytes per read.
class MemorySource : public ByteSource {
  public:
    explicit MemorySource(std::span<const std::uint8_t> bytes, std::size_t chunk = SIZE_MAX)
        : bytes_(bytes), chunk_(chunk == 0 ? 1 : chunk) {}
    std::size_t read(std::uint8_t* dst, std::size_t size) override;

  private:
    std::span<const std::uint8_t> bytes_;
    std::size_t chunk_;
    std::size_t pos_ = 0;
};

// An input file, opened for reading on construction.
class FileSource : public ByteSource {
  public:
    explicit FileSource(const std::filesystem::path& path);
    ~FileSource() override;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    bool isOpen() const { return file_ != nullptr; }
    // The system's reason when the file did not open.
    int openError() const { return openError_; }
    std::size_t read(std::uint8_t* dst, std::size_t size) override;
    bool failed() const override;

  private:
    std::FILE* file_ = nullptr;
    int openError_ = 0;
};

}  // namespace sx
