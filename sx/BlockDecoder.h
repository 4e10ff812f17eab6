#pragma once

// Turns one data block ("SCDl") into samples: finds each channel's bytes in the block's layout
// and hands them to the stream's codec, carrying each channel's decoder state from block to block.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "sx/AdpcmCodec.h"
#include "sx/ImaCodec.h"
#include "sx/Status.h"
#include "sx/StreamInfo.h"

namespace sx {

// Real blocks hold far fewer samples; a larger count marks a corrupt block.
constexpr std::uint32_t kMaxBlockSamples = 0xFFFF;

// Status::Ok when the converter decodes this stream's codec in its block layout, with its
// channel count and sample rate; else the refusal that names what it does not decode.
Problem checkDecodable(const StreamInfo& info);

class BlockDecoder {
  public:
    // `info` must have passed checkDecodable.
    explicit BlockDecoder(const StreamInfo& info);

    // Decodes a whole data block (id, size field and payload). On Status::Ok, samples() holds
    // the block's samples, channels interleaved in the stream's order. On failure the block
    // yields nothing and problem.value says what was wrong where it helps.
    Problem decode(std::span<const std::uint8_t> block);

    std::span<const std::int16_t> samples() const { return samples_; }
    std::uint32_t frames() const { return frames_; }

  private:
    Status decodeWithTable(std::span<const std::uint8_t> block, std::uint32_t count);
    Status decodeWithoutTable(std::span<const std::uint8_t> block, std::uint32_t count);
    bool decodeChannel(std::span<const std::uint8_t> area, std::uint32_t count, std::size_t channel,
                       std::size_t interleaveStride);

    StreamInfo info_;
    std::vector<std::int16_t> samples_;
    std::uint32_t frames_ = 0;
    std::array<AdpcmHistory, kMaxChannels> adpcm_{};
    std::array<ImaState, 2> ima_{};
};

}  // namespace sx
