#pragma once

// Uncompressed samples: 16-bit in either byte order or signed 8-bit, read from one channel's
// bytes with a step between samples (interleaved data steps over the other channels).

#include <cstddef>
#include <cstdint>
#include <span>

namespace sx {

struct PcmLayout {
    std::size_t bytesPerSample;  // 1 or 2
    bool bigEndian;              // for 16-bit samples
    std::size_t byteStride;      // distance between two samples of the channel, >= bytesPerSample
};

// Bytes that `count` samples of one channel span with this layout.
std::size_t pcmBytesFor(std::size_t count, const PcmLayout& layout);

// Decodes `count` samples starting at the front of `bytes` into out[0], out[stride], ...
// 8-bit samples are signed and scaled by 256. Returns false when `bytes` is too short; nothing
// is decoded then.
bool decodePcmChannel(std::span<const std::uint8_t> bytes, std::size_t count,
                      const PcmLayout& layout, std::int16_t* out, std::size_t stride);

}  // namespace sx
