#pragma once

// The whole conversion of one stream: header, block walk, codecs and WAV writing, from any
// byte source to any byte sink, and the same from memory to memory.

#include <cstdint>
#include <span>
#include <vector>

#include "sx/ByteSource.h"
#include "sx/Status.h"
#include "sx/StreamInfo.h"
#include "sx/WavWriter.h"

namespace sx {

struct DecodeResult {
    // Status::Ok; a cut (the stream broke off, what decoded before is in the WAV); or a
    // refusal (nothing usable was written).
    Problem problem;
    StreamInfo info;
    std::uint64_t frames = 0;

    // True when the sink holds a complete WAV file worth keeping: a clean decode, or a cut one
    // that kept at least one sample.
    bool keepOutput() const;
};

// Decodes the stream that `source` holds and writes it as a WAV file to `sink`. Reads the
// stream once, front to back, one block at a time.
DecodeResult decodeStream(ByteSource& source, ByteSink& sink);

struct MemoryDecode {
    DecodeResult result;
    std::vector<std::uint8_t> wav;  // empty unless result.keepOutput()
};

// Decodes a stream held in memory into the bytes of a WAV file.
MemoryDecode decodeToWav(std::span<const std::uint8_t> stream);

}  // namespace sx
