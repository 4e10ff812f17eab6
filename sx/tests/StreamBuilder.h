#pragma once

// A test-only encoder: turns a known signal into a complete stream of any kind the converter
// decodes, and keeps the exact samples a correct decoder must produce from it (its own
// simulation of the decoder, written apart from the converter's code).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sx::test {

enum class Kind {
    Pcm16Interleaved,       // desktop platform, version 0, no codec tags: little-endian
    Pcm16InterleavedTable,  // big-endian console naming codec 0x00, with an offset table
    Pcm8Interleaved,        // desktop platform, 8 bits per sample
    Pcm16BePlanarTable,     // big-endian console default codec, offset table
    Pcm16LePlanarTable,     // little-endian console default codec, offset table
    Pcm16BePlanarOldest,    // big-endian console of the first generation, version 0
    Pcm8PlanarOldest,       // big-endian desktop, 8 bits per sample, version 0
    StereoPacked,           // desktop codec1 0x07: the stereo-packed form (15-byte mono frames)
    AdpcmOldest,            // codec 0x0A at version 0: state area, channels one after another
    AdpcmR1,                // version 1: offset table, 4-byte history prefix, + 128 rounding
    AdpcmR2,                // version 2 desktop: offset table, no prefix, no rounding
    AdpcmR3,                // GSTR header: as R2 with big-endian block fields
    Ima,                    // desktop codec1 0x02, version 0
    FixedLayoutPcm,         // PATl header with a TMpl section, planar 16-bit PCM
    FixedLayoutIma,         // PATl header with a TMxl section, IMA
};

std::string kindName(Kind kind);

struct StreamSpec {
    Kind kind = Kind::AdpcmR2;
    int channels = 1;
    std::vector<std::uint32_t> blockCounts{28};
    bool bigEndianSizes = false;
    bool leadingField = false;                   // an unknown u32 before "PT"
    bool writeSampleRate = true;                 // false: leave the rate to the platform default
    bool writeTotal = true;                      // the total-samples tag
    std::optional<std::uint32_t> totalOverride;  // a total other than the sum of the blocks
    int pcmFrameEvery = 0;    // per-channel ADPCM: every n-th frame uncompressed (0xEE)
    bool cutEndBlock = true;  // end just past the byte 0x08 of the end block, as extracted
    std::uint32_t seed = 1;   // varies the signal
};

struct EncodedStream {
    std::vector<std::uint8_t> bytes;
    std::vector<std::int16_t> signal;    // what was encoded, interleaved in stream order
    std::vector<std::int16_t> expected;  // what a decoder must output, interleaved in stream order
    std::uint32_t sampleRate = 0;
};

EncodedStream encodeStream(const StreamSpec& spec);

// The samples of a test signal: a few tones per channel that move between channels, loud enough
// to reach the clamps now and then.
std::vector<std::int16_t> makeSignal(std::size_t frames, int channels, std::uint32_t seed);

// Reads a WAV file made by the converter back into its format and interleaved samples.
struct ParsedWav {
    bool valid = false;
    std::uint16_t formatTag = 0;
    std::uint16_t channels = 0;
    std::uint32_t sampleRate = 0;
    std::uint32_t channelMask = 0;
    std::vector<std::int16_t> samples;
};
ParsedWav parseWav(const std::vector<std::uint8_t>& wav);

// Stream-order samples rearranged into the order a WAV file keeps its channels in.
std::vector<std::int16_t> toWavOrder(const std::vector<std::int16_t>& samples, int channels);

}  // namespace sx::test
