#pragma once

// The converter's output file. Everything is written to a temporary file beside the output and
// renamed onto the output name only when it is complete, so that the output name never shows a
// partly written file and an older file of that name stays until the new one replaces it. A
// file that is not committed is removed.

#include <cstdio>
#include <filesystem>

#include "sx/WavWriter.h"

namespace sx {

class OutputFile : public ByteSink {
  public:
    explicit OutputFile(std::filesystem::path target);
    ~OutputFile() override;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // False when the temporary file could not be created; error() then holds the reason.
    bool isOpen() const { return file_ != nullptr; }
    int error() const { return error_; }

    bool write(std::span<const std::uint8_t> bytes) override;
    bool rewriteStart(std::span<const std::uint8_t> bytes) override;

    // Closes the temporary file and renames it onto the output name. On failure the temporary
    // file is removed and error() holds the reason.
    bool commit();
    // Closes and removes the temporary file.
    void discard();

    const std::filesystem::path& temporaryPath() const { return temporary_; }

  private:
    bool fail();

    std::filesystem::path target_;
    std::filesystem::path temporary_;
    std::FILE* file_ = nullptr;
    int error_ = 0;
};

}  // namespace sx
