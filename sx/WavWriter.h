#pragma once

// Writing the decoded samples as a 16-bit PCM WAV file: a plain header for one or two channels,
// WAVE_FORMAT_EXTENSIBLE with a channel mask for more. The sizes in the header are written as
// placeholders first and filled in when the last sample is in.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace sx {

// Where the WAV bytes go: appended in order, with the header rewritten at the end.
class ByteSink {
  public:
    virtual ~ByteSink() = default;
    virtual bool write(std::span<const std::uint8_t> bytes) = 0;
    // Overwrites the first bytes of what was written.
    virtual bool rewriteStart(std::span<const std::uint8_t> bytes) = 0;
};

class VectorSink : public ByteSink {
  public:
    bool write(std::span<const std::uint8_t> bytes) override;
    bool rewriteStart(std::span<const std::uint8_t> bytes) override;
    std::vector<std::uint8_t>& bytes() { return bytes_; }

  private:
    std::vector<std::uint8_t> bytes_;
};

struct WavFormat {
    std::uint32_t sampleRate = 0;
    std::uint32_t channels = 0;  // 1 to 6
};

// The WAV speaker mask for each channel count (index = channels); 0 where the plain header is used.
constexpr std::array<std::uint32_t, 7> kWavChannelMasks{0, 0, 0, 0x07, 0x33, 0x37, 0x3F};

// For each channel count, the stream channel that goes to each WAV position. Streams order four
// channels front-left, rear-left, front-right, rear-right and six channels front-left, centre,
// front-right, rear-left, rear-right, LFE; WAV wants FL FR FC LFE BL BR order.
constexpr std::array<std::array<std::uint8_t, 6>, 7> kWavChannelOrder{{
    {0, 1, 2, 3, 4, 5},
    {0, 1, 2, 3, 4, 5},
    {0, 1, 2, 3, 4, 5},
    {0, 1, 2, 3, 4, 5},
    {0, 2, 1, 3, 4, 5},
    {0, 1, 2, 3, 4, 5},
    {0, 2, 1, 5, 3, 4},
}};

std::size_t wavHeaderBytes(const WavFormat& format);
std::vector<std::uint8_t> wavHeader(const WavFormat& format, std::uint32_t dataBytes);

class WavWriter {
  public:
    WavWriter(ByteSink& sink, const WavFormat& format);

    // Writes the header with placeholder sizes.
    bool begin();
    // Appends `frames` frames of interleaved samples in the stream's channel order.
    bool write(const std::int16_t* samples, std::size_t frames);
    // Fills in the sizes.
    bool finish();

    std::uint64_t framesWritten() const { return frames_; }
    // The most frames the 32-bit sizes of a WAV file allow.
    std::uint64_t maxFrames() const;

  private:
    ByteSink& sink_;
    WavFormat format_;
    std::uint64_t frames_ = 0;
    std::vector<std::uint8_t> buffer_;
};

}  // namespace sx
