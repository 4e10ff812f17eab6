#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

namespace platform {

// A block of bytes read from or to be written to a file. Tests can make its opens, reads and
// writes fail through platform/FileFaults.h. Storage is left uninitialised on
// purpose: a container of a gigabyte is loaded whole, and zero-filling it first would cost as
// much again as the read.
class MemoryStream {
  public:
    MemoryStream() = default;

    const std::uint8_t* Data() const { return data_.get(); }
    std::uint8_t* Data() { return data_.get(); }
    std::int64_t Size() const { return size_; }

    // Reads the whole file. Throws FileOpenError, StreamReadError or OutOfMemoryError.
    void LoadFromFile(const std::string& path);

    // Told, while a load runs, each time another block of the file has arrived: loaded views
    // the bytes from the file's first byte up to the last one read so far, in the stream's own
    // storage (it stays valid once the load has succeeded). Lets a caller work on the bytes
    // while they are still in the processor's cache. An exception from it ends the load.
    using LoadObserver = std::function<void(std::span<const std::uint8_t> loaded)>;

    // Reads the whole file in blocks and tells onLoaded after each one (never for an empty
    // file). Throws as LoadFromFile does, and whatever onLoaded throws.
    void LoadFromFile(const std::string& path, const LoadObserver& onLoaded);

    // Reads length bytes starting at offset. A range that runs past the end of the file is a
    // StreamReadError. Also throws FileOpenError and OutOfMemoryError.
    void LoadRangeFromFile(const std::string& path, std::int64_t offset, std::int64_t length);

    // Creates (or empties) the file and writes every byte. Throws FileCreateError when the
    // file cannot be created or emptied, StreamWriteError when a write falls short.
    void SaveToFile(const std::string& path) const;

    // Drops the current contents and holds size uninitialised bytes; OutOfMemoryError on failure.
    void SetSize(std::int64_t size);
    void Clear();

  private:
    struct FreeBlock {
        void operator()(std::uint8_t* block) const;
    };

    std::unique_ptr<std::uint8_t[], FreeBlock> data_;
    std::int64_t size_ = 0;
};

// The size in bytes of the file at path, or -1 when it cannot be examined.
std::int64_t FileSizeOf(const std::string& path);

}  // namespace platform
