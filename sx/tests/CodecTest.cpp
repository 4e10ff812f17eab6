// Small vectors for the codec cores, each chosen to expose one way of getting them wrong.

#include <gtest/gtest.h>

#include <vector>

#include "TestBytes.h"
#include "sx/AdpcmCodec.h"
#include "sx/ImaCodec.h"

namespace sx::test {
namespace {

std::vector<std::int16_t> decodeFrames(const std::vector<std::uint8_t>& bytes, std::size_t count,
                                       AdpcmRounding rounding, bool pcmFrames,
                                       AdpcmHistory& history, bool* ok = nullptr) {
    std::vector<std::int16_t> out(count);
    const bool decoded =
        decodeAdpcmChannel(bytes, count, rounding, pcmFrames, history, out.data(), 1);
    if (ok != nullptr) {
        *ok = decoded;
    }
    return out;
}

std::vector<std::int16_t> padded(std::vector<std::int16_t> head, std::size_t size) {
    head.resize(size, 0);
    return head;
}

// Filter 0 with shift 15 makes the history irrelevant: the rows show an arithmetic shift (a
// truncating division gives 0, 0, 0, 0, 1 and -1, 0, 0, 0, 0) and where the rounding applies.
TEST(AdpcmCore, NegativeValuesShiftArithmeticallyWithEachRounding) {
    const auto frame = hexBytes("0F 8F E1 70 00 00 00 00 00 00 00 00 00 00 00");
    AdpcmHistory zero;
    EXPECT_EQ(decodeFrames(frame, 28, AdpcmRounding::AddHalf, false, zero),
              padded({-1, 0, 0, 0, 1}, 28));
    zero = {};
    EXPECT_EQ(decodeFrames(frame, 28, AdpcmRounding::None, true, zero), padded({-1, -1, -1}, 28));
}

// The history keeps the clamped output: from a clamped 32767 the second frame decays at once
// instead of staying at the clamp.
TEST(AdpcmCore, HistoryHoldsTheClampedOutput) {
    AdpcmHistory history{30000, 0};
    const auto loud = decodeFrames(hexBytes("10 77777777777777 77777777777777"), 28,
                                   AdpcmRounding::AddHalf, false, history);
    EXPECT_EQ(loud, std::vector<std::int16_t>(28, 32767));
    const auto decay = decodeFrames(hexBytes("1C 00000000000000 00000000000000"), 6,
                                    AdpcmRounding::AddHalf, false, history);
    EXPECT_EQ(decay, (std::vector<std::int16_t>{30719, 28799, 26999, 25312, 23730, 22247}));
}

TEST(AdpcmCore, UncompressedFrameSetsTheHistoryFromItsHeaderPair) {
    // 0xEE, h1 = 1000, h2 = 2000, then samples 5, -6, 7, ... (only three are asked for).
    std::vector<std::uint8_t> bytes = hexBytes("EE 03E8 07D0 0005 FFFA 0007");
    bytes.resize(kPcmFrameBytes, 0);
    // A following ADPCM frame with filter 1 and zero nibbles predicts 240/256 of h1.
    const auto next = hexBytes("10 00000000000000 00000000000000");
    bytes.insert(bytes.end(), next.begin(), next.end());
    AdpcmHistory history;
    const auto out = decodeFrames(bytes, 29, AdpcmRounding::None, true, history);
    EXPECT_EQ(std::vector<std::int16_t>(out.begin(), out.begin() + 3),
              (std::vector<std::int16_t>{5, -6, 7}));
    EXPECT_EQ(out[28], 1000 * 240 / 256);

    AdpcmHistory partial;
    decodeFrames(bytes, 3, AdpcmRounding::None, true, partial);
    EXPECT_EQ(partial.h1, 1000);
    EXPECT_EQ(partial.h2, 2000);
}

TEST(AdpcmCore, MarkerIsAnOrdinaryFrameWhereUncompressedFramesAreOff) {
    // As an ADPCM frame 0xEE has filter 14 and shift 14; the taps come from entries 14 and 18
    // of the 20-entry table (10 and -3).
    const auto bytes = hexBytes("EE 10000000000000 00000000000000");
    AdpcmHistory history{1000, 0};
    bool ok = false;
    const auto out = decodeFrames(bytes, 2, AdpcmRounding::AddHalf, false, history, &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(out, (std::vector<std::int16_t>{39, -10}));  // (64 + 10000 + 128) >> 8, ...
}

TEST(AdpcmCore, FramesThatRunPastTheBytesAreRefused) {
    struct Row {
        const char* name;
        std::vector<std::uint8_t> bytes;
        std::size_t count;
    };
    std::vector<std::uint8_t> shortPcm = hexBytes("EE 0000 0000");
    const std::vector<Row> rows{
        {"fourteen bytes for one frame", std::vector<std::uint8_t>(14, 0), 1},
        {"one frame for 29 samples", std::vector<std::uint8_t>(15, 0), 29},
        {"uncompressed frame cut short", shortPcm, 1},
        {"nothing at all", {}, 1},
    };
    for (const Row& row : rows) {
        AdpcmHistory history;
        bool ok = true;
        decodeFrames(row.bytes, row.count, AdpcmRounding::None, true, history, &ok);
        EXPECT_FALSE(ok) << row.name;
    }
}

TEST(AdpcmCore, StereoPackedSplitsFiltersShiftsAndNibblesBetweenChannels) {
    // Left: filter 0, shift 12, nibbles 1; right: filter 0, shift 12, nibbles -1.
    std::vector<std::uint8_t> frame = hexBytes("00 CC");
    frame.resize(kStereoPackedFrameBytes, 0x1F);
    std::array<AdpcmHistory, 2> history{};
    std::vector<std::int16_t> out(2 * 28);
    ASSERT_TRUE(decodeStereoPacked(frame, 28, history, out.data()));
    EXPECT_EQ(out[0], 1);   // (256 + 128) >> 8
    EXPECT_EQ(out[1], -1);  // (-256 + 128) >> 8
    EXPECT_FALSE(decodeStereoPacked(frame, 29, history, out.data()));
}

TEST(ImaCore, ExpandsByShiftAndAddAndClamps) {
    struct Row {
        const char* name;
        ImaState state;
        std::uint8_t byte;
        std::vector<std::int16_t> expected;
        int indexAfter;
    };
    const std::vector<Row> rows{
        // step 7: 0 + 1 + 3 + 7 = 11, then step 16 (index 8): 2.
        {"first steps", {0, 0}, 0x70, {11, 13}, 7},
        // step 11 with nibble 5: shift-and-add gives 14 where multiplying gives 15.
        {"shift and add, not multiply", {100, 4}, 0x58, {114, 112}, 7},
        {"clamps high", {32760, 88}, 0x77, {32767, 32767}, 88},
        {"clamps low", {-32760, 88}, 0xFF, {-32768, -32768}, 88},
    };
    for (const Row& row : rows) {
        ImaState state = row.state;
        std::vector<std::int16_t> out(2);
        ASSERT_TRUE(decodeImaMono(std::vector<std::uint8_t>{row.byte}, 2, state, out.data()));
        EXPECT_EQ(out, row.expected) << row.name;
        EXPECT_EQ(state.stepIndex, row.indexAfter) << row.name;
    }
}

TEST(ImaCore, StoredStateIsClampedAndOddMonoCountsLeaveTheLastNibble) {
    EXPECT_EQ(imaStateFromBlock(5, -3).stepIndex, 0);
    EXPECT_EQ(imaStateFromBlock(5, 300).stepIndex, 88);
    EXPECT_EQ(imaStateFromBlock(-5, 20).predictor, -5);

    ImaState state{0, 0};
    std::vector<std::int16_t> out(3);
    EXPECT_TRUE(decodeImaMono(hexBytes("7000"), 3, state, out.data()));
    EXPECT_FALSE(decodeImaMono(hexBytes("70"), 3, state, out.data()));
    std::array<ImaState, 2> pair{};
    std::vector<std::int16_t> stereo(4);
    EXPECT_TRUE(decodeImaStereo(hexBytes("7F 00"), 2, pair, stereo.data()));
    EXPECT_EQ(stereo[0], 11);   // high nibble: left
    EXPECT_EQ(stereo[1], -11);  // low nibble: right
    EXPECT_FALSE(decodeImaStereo(hexBytes("7F"), 2, pair, stereo.data()));
}

}  // namespace
}  // namespace sx::test
