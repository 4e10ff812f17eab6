// Streams of every kind the converter decodes, made by the test encoder from a known signal:
// the decode must equal the encoder's own simulation exactly, stay close to the signal, come
// out the same however the input is read, and load in the player's sound service.

#include <SDL.h>
#include <gtest/gtest.h>

#include <cmath>

#include "StreamBuilder.h"
#include "sx/Decoder.h"

namespace sx::test {
namespace {

struct RoundTripCase {
    std::string name;
    StreamSpec spec;
    double maxRelativeError;  // RMS of (decoded - signal) against RMS of the signal
};

void PrintTo(const RoundTripCase& row, std::ostream* os) {
    *os << row.name;
}

// Block counts that are not multiples of 28, with a short last block.
const std::vector<std::uint32_t> kOddBlocks{84, 50, 13, 28, 1};
const std::vector<std::uint32_t> kLongBlocks{560, 560, 300};

StreamSpec spec(Kind kind, int channels, std::vector<std::uint32_t> blocks = kOddBlocks) {
    StreamSpec s;
    s.kind = kind;
    s.channels = channels;
    s.blockCounts = std::move(blocks);
    s.seed = static_cast<std::uint32_t>(channels) + 3;
    return s;
}

template <typename Change>
StreamSpec with(StreamSpec s, Change change) {
    change(s);
    return s;
}

constexpr double kPcm16 = 0.0;
constexpr double kPcm8 = 0.02;  // the low byte is dropped
constexpr double kAdpcm = 0.12;
constexpr double kIma = 0.12;

std::vector<RoundTripCase> cases() {
    std::vector<RoundTripCase> rows{
        {"Pcm16InterleavedMonoDefaults", spec(Kind::Pcm16Interleaved, 1), kPcm16},
        {"Pcm16InterleavedStereo", spec(Kind::Pcm16Interleaved, 2), kPcm16},
        {"Pcm16InterleavedSixChannels", spec(Kind::Pcm16Interleaved, 6), kPcm16},
        {"Pcm16InterleavedTableBigEndianSamples", spec(Kind::Pcm16InterleavedTable, 3), kPcm16},
        {"Pcm8InterleavedStereo", spec(Kind::Pcm8Interleaved, 2), kPcm8},
        {"Pcm16BePlanarTableFourChannels", spec(Kind::Pcm16BePlanarTable, 4), kPcm16},
        {"Pcm16LePlanarTableSixChannels", spec(Kind::Pcm16LePlanarTable, 6), kPcm16},
        {"Pcm16BePlanarOldestBigEndianSizes",
         with(spec(Kind::Pcm16BePlanarOldest, 2), [](auto& s) { s.bigEndianSizes = true; }),
         kPcm16},
        {"Pcm8PlanarOldestBigEndianSizes",
         with(spec(Kind::Pcm8PlanarOldest, 5), [](auto& s) { s.bigEndianSizes = true; }), kPcm8},
        {"StereoPackedMono", spec(Kind::StereoPacked, 1, kLongBlocks), kAdpcm},
        {"StereoPackedStereo", spec(Kind::StereoPacked, 2, kLongBlocks), kAdpcm},
        {"StereoPackedStereoOddBlocks", spec(Kind::StereoPacked, 2), kAdpcm},
        {"AdpcmOldestStereo", spec(Kind::AdpcmOldest, 2, kLongBlocks), kAdpcm},
        {"AdpcmOldestSixChannelsOddBlocks", spec(Kind::AdpcmOldest, 6), kAdpcm},
        {"R1Mono", spec(Kind::AdpcmR1, 1, kLongBlocks), kAdpcm},
        {"R1StereoOddBlocks", spec(Kind::AdpcmR1, 2), kAdpcm},
        {"R1WithUncompressedFrames",
         with(spec(Kind::AdpcmR1, 2, kLongBlocks), [](auto& s) { s.pcmFrameEvery = 4; }), kAdpcm},
        {"R1BigEndianSizes",
         with(spec(Kind::AdpcmR1, 2, kLongBlocks), [](auto& s) { s.bigEndianSizes = true; }),
         kAdpcm},
        {"R2Mono", spec(Kind::AdpcmR2, 1, kLongBlocks), kAdpcm},
        {"R2EmptyBlocks", spec(Kind::AdpcmR2, 2, {0, 56, 0, 30}), kAdpcm},
        {"Pcm16InterleavedEmptyBlocks", spec(Kind::Pcm16Interleaved, 2, {0, 56, 0}), kPcm16},
        {"R2StereoUncompressedFramesCutPartWay",
         with(spec(Kind::AdpcmR2, 2), [](auto& s) { s.pcmFrameEvery = 2; }), kAdpcm},
        {"R2ThreeChannels", spec(Kind::AdpcmR2, 3, kLongBlocks), kAdpcm},
        {"R2FourChannels", spec(Kind::AdpcmR2, 4, kLongBlocks), kAdpcm},
        {"R2FiveChannels", spec(Kind::AdpcmR2, 5, kLongBlocks), kAdpcm},
        {"R2SixChannelsUncompressedFrames",
         with(spec(Kind::AdpcmR2, 6), [](auto& s) { s.pcmFrameEvery = 3; }), kAdpcm},
        {"R2LeadingFieldNoRateTag",
         with(spec(Kind::AdpcmR2, 2, kLongBlocks),
              [](auto& s) {
                  s.leadingField = true;
                  s.writeSampleRate = false;
              }),
         kAdpcm},
        {"R2NoTotalTag", with(spec(Kind::AdpcmR2, 2), [](auto& s) { s.writeTotal = false; }),
         kAdpcm},
        {"R2TotalShorterThanBlocks",
         with(spec(Kind::AdpcmR2, 2), [](auto& s) { s.totalOverride = 100; }), kAdpcm},
        {"R2EndBlockComplete", with(spec(Kind::AdpcmR2, 1), [](auto& s) { s.cutEndBlock = false; }),
         kAdpcm},
        {"R3GenericHeaderDefaults",
         with(spec(Kind::AdpcmR3, 2, kLongBlocks),
              [](auto& s) {
                  s.writeSampleRate = false;
                  s.pcmFrameEvery = 5;
              }),
         kAdpcm},
        {"R3SixChannelsOddBlocks", spec(Kind::AdpcmR3, 6), kAdpcm},
        {"ImaMonoOddCounts", spec(Kind::Ima, 1, kLongBlocks), kIma},
        {"ImaMonoOddBlocks", spec(Kind::Ima, 1), kIma},
        {"ImaStereo", spec(Kind::Ima, 2, kLongBlocks), kIma},
        {"FixedLayoutPcmStereo", spec(Kind::FixedLayoutPcm, 2), kPcm16},
        {"FixedLayoutPcmLeadingField",
         with(spec(Kind::FixedLayoutPcm, 1), [](auto& s) { s.leadingField = true; }), kPcm16},
        {"FixedLayoutImaConsoleStereo", spec(Kind::FixedLayoutIma, 2, kLongBlocks), kIma},
        {"FixedLayoutNoTotal",
         with(spec(Kind::FixedLayoutIma, 1, kLongBlocks), [](auto& s) { s.writeTotal = false; }),
         kIma},
    };
    return rows;
}

double relativeError(const std::vector<std::int16_t>& decoded,
                     const std::vector<std::int16_t>& signal) {
    double error = 0;
    double power = 0;
    for (std::size_t i = 0; i < signal.size(); ++i) {
        error += std::pow(double(decoded[i]) - signal[i], 2);
        power += std::pow(double(signal[i]), 2);
    }
    return std::sqrt(error / power);
}

class RoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(RoundTrip, DecodesExactlyWhatTheEncoderSimulated) {
    const RoundTripCase& row = GetParam();
    const EncodedStream stream = encodeStream(row.spec);
    const MemoryDecode decoded = decodeToWav(stream.bytes);
    ASSERT_EQ(decoded.result.problem.status, Status::Ok) << describe(decoded.result.problem);

    const ParsedWav wav = parseWav(decoded.wav);
    ASSERT_TRUE(wav.valid);
    EXPECT_EQ(wav.channels, row.spec.channels);
    EXPECT_EQ(wav.sampleRate, stream.sampleRate);
    EXPECT_EQ(wav.formatTag, row.spec.channels > 2 ? 0xFFFE : 0x0001);
    // Speaker masks: FL FR FC; FL FR BL BR; FL FR FC BL BR; FL FR FC LFE BL BR.
    const std::vector<std::uint32_t> masks{0, 0, 0, 0x07, 0x33, 0x37, 0x3F};
    EXPECT_EQ(wav.channelMask, masks[row.spec.channels]);
    ASSERT_EQ(wav.samples.size(), stream.expected.size());
    EXPECT_EQ(wav.samples, toWavOrder(stream.expected, row.spec.channels));
    EXPECT_LE(relativeError(stream.expected, stream.signal), row.maxRelativeError);
}

TEST_P(RoundTrip, EveryReadChunkingGivesTheSameBytes) {
    const EncodedStream stream = encodeStream(GetParam().spec);
    const std::vector<std::uint8_t> whole = decodeToWav(stream.bytes).wav;
    for (std::size_t chunk : {1, 3, 8, 61, 4096}) {
        MemorySource source(stream.bytes, chunk);
        VectorSink sink;
        const DecodeResult result = decodeStream(source, sink);
        EXPECT_EQ(result.problem.status, Status::Ok) << "chunk " << chunk;
        EXPECT_EQ(sink.bytes(), whole) << "chunk " << chunk;
    }
}

TEST_P(RoundTrip, TheSoundServiceLoadsTheWav) {
    const RoundTripCase& row = GetParam();
    const std::vector<std::uint8_t> wav = decodeToWav(encodeStream(row.spec).bytes).wav;
    SDL_AudioSpec spec{};
    Uint8* buffer = nullptr;
    Uint32 length = 0;
    ASSERT_NE(SDL_LoadWAV_RW(SDL_RWFromConstMem(wav.data(), static_cast<int>(wav.size())), 1, &spec,
                             &buffer, &length),
              nullptr)
        << SDL_GetError();
    EXPECT_EQ(spec.channels, row.spec.channels);
    EXPECT_EQ(spec.format, AUDIO_S16LSB);
    EXPECT_EQ(length, parseWav(wav).samples.size() * 2);
    SDL_FreeWAV(buffer);
}

INSTANTIATE_TEST_SUITE_P(Kinds, RoundTrip, ::testing::ValuesIn(cases()),
                         [](const auto& row) { return row.param.name; });

}  // namespace
}  // namespace sx::test
