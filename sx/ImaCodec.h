#pragma once

// DVI/IMA ADPCM as the oldest streams store it: per block a stored predictor and step index for
// each channel, then nibbles, high nibble first. Pure functions over the bytes of one block.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace sx {

constexpr int kImaMaxStepIndex = 88;

// Quantiser step sizes, indexed by the step index 0..88.
constexpr std::array<std::int32_t, kImaMaxStepIndex + 1> kImaSteps{
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,     //
    19,    21,    23,    25,    28,    31,    34,    37,    41,    45,     //
    50,    55,    60,    66,    73,    80,    88,    97,    107,   118,    //
    130,   143,   157,   173,   190,   209,   230,   253,   279,   307,    //
    337,   371,   408,   449,   494,   544,   598,   658,   724,   796,    //
    876,   963,   1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,   //
    2272,  2499,  2749,  3024,  3327,  3660,  4026,  4428,  4871,  5358,   //
    5894,  6484,  7132,  7845,  8630,  9493,  10442, 11487, 12635, 13899,  //
    15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767,
};

// Change of the step index after each nibble, indexed by the nibble.
constexpr std::array<int, 16> kImaIndexChanges{-1, -1, -1, -1, 2, 4, 6, 8,
                                               -1, -1, -1, -1, 2, 4, 6, 8};

// The running state of one channel. The stored predictor of a block is state, not a sample.
struct ImaState {
    std::int32_t predictor = 0;
    int stepIndex = 0;  // always kept inside 0..88
};

// The state stored at the start of a block: a predictor and a step index that may lie outside
// the table, clamped here.
ImaState imaStateFromBlock(std::int16_t predictor, std::int16_t stepIndex);

// Number of bytes the nibbles of `count` samples take for `channels` (1 or 2) channels.
std::size_t imaBytesFor(std::size_t count, std::size_t channels);

// Decodes `count` samples of a mono block (byte k holds samples 2k and 2k+1) into out.
// Returns false when `bytes` is too short; nothing is decoded then.
bool decodeImaMono(std::span<const std::uint8_t> bytes, std::size_t count, ImaState& state,
                   std::int16_t* out);

// Decodes `count` samples of a stereo block (byte k holds sample k of the left channel in its
// high nibble and of the right in its low nibble) into interleaved out.
bool decodeImaStereo(std::span<const std::uint8_t> bytes, std::size_t count,
                     std::array<ImaState, 2>& state, std::int16_t* out);

}  // namespace sx
