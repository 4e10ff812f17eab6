#pragma once

// The 4-bit block ADPCM: 28 samples a frame, a two-tap predictor chosen per frame, and in its
// newer forms an escape to uncompressed frames. Pure functions over the bytes of one block.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace sx {

constexpr std::size_t kAdpcmSamplesPerFrame = 28;
constexpr std::size_t kAdpcmFrameBytes = 15;         // header byte + 14 bytes of nibbles
constexpr std::size_t kStereoPackedFrameBytes = 30;  // filters, shifts, 28 bytes of nibble pairs
constexpr std::size_t kPcmFrameBytes = 61;           // marker, two s16be history, 28 s16be
constexpr std::uint8_t kPcmFrameMarker = 0xEE;

// Predictor coefficients scaled by 256: the first tap at the filter index f, the second at f + 4.
// Twenty entries so that every filter nibble 0..15 indexes inside the table; only 0..3 are valid.
constexpr std::array<std::int32_t, 20> kAdpcmCoefficients{
    0, 240, 460,  392,   //
    0, 0,   -208, -220,  //
    0, 1,   3,    4,     //
    7, 8,   10,   11,    //
    0, -1,  -3,   -4,
};

// The two previous output samples of one channel (h1 the newest); they always hold clamped values.
struct AdpcmHistory {
    std::int32_t h1 = 0;
    std::int32_t h2 = 0;
};

enum class AdpcmRounding {
    AddHalf,  // older forms (stereo-packed and R1): + 128 before the shift
    None,     // newer forms (R2 and R3)
};

// Decodes `count` samples of one channel from consecutive frames at the start of `bytes` into
// out[0], out[stride], ... When `pcmFrames` is set, a frame that starts with 0xEE is an
// uncompressed frame. Returns false, with the history as far as it got, when the frames would
// run past the end of `bytes`.
bool decodeAdpcmChannel(std::span<const std::uint8_t> bytes, std::size_t count,
                        AdpcmRounding rounding, bool pcmFrames, AdpcmHistory& history,
                        std::int16_t* out, std::size_t stride);

// Decodes `count` samples of both channels from the 30-byte frames of the stereo-packed form
// into interleaved out (left, right, left, ...). Returns false when the frames would run past the
// end of `bytes`; nothing is decoded then.
bool decodeStereoPacked(std::span<const std::uint8_t> bytes, std::size_t count,
                        std::array<AdpcmHistory, 2>& history, std::int16_t* out);

}  // namespace sx
