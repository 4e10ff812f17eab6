// Damaged streams, one row each: a refusal writes nothing; a stream that breaks off after good
// blocks keeps what decoded, as a valid shorter WAV, and says why. Never a read outside the input.

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <set>

#include "StreamBuilder.h"
#include "sx/ByteOrder.h"
#include "sx/Decoder.h"

namespace sx::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Offsets of the blocks of a stream with little-endian sizes: 0 header, 1 count block, 2..4 the
// three data blocks, 5 the end block.
std::vector<std::size_t> blockOffsets(const Bytes& stream) {
    std::vector<std::size_t> offsets;
    std::size_t at = 0;
    while (at + 8 <= stream.size()) {
        offsets.push_back(at);
        at += loadU32Le(&stream[at + 4]);
    }
    offsets.push_back(at);  // the end block, cut inside its size field
    return offsets;
}

constexpr std::size_t kSecondData = 3;
constexpr std::size_t kEnd = 5;
constexpr std::uint32_t kBlock = 56;  // samples per data block

void setU32(Bytes& b, std::size_t at, std::uint32_t v) {
    storeU32Le(&b[at], v);
}

struct MalformedCase {
    std::string name;
    std::function<void(StreamSpec&)> adjust;  // the stream before the damage
    std::function<void(Bytes&, const std::vector<std::size_t>& blocks)> damage;
    Status status;
    bool keep;
    std::uint64_t frames;
    int problemBlock;  // index of the block the problem names, or -1
};

void PrintTo(const MalformedCase& row, std::ostream* os) {
    *os << row.name;
}

void noTotal(StreamSpec& s) {
    s.writeTotal = false;
}
void asIs(StreamSpec&) {}

Bytes randomBytes(std::size_t size) {
    std::mt19937 random(7);
    Bytes out(size);
    for (auto& b : out)
        b = static_cast<std::uint8_t>(random());
    return out;
}

const std::vector<MalformedCase> kCases{
    {"Empty", asIs, [](Bytes& b, auto&) { b.clear(); }, Status::NotAStream, false, 0, -1},
    {"RandomBytes", asIs, [](Bytes& b, auto&) { b = randomBytes(4096); }, Status::NotAStream, false,
     0, -1},
    {"Silence", asIs, [](Bytes& b, auto&) { b.assign(4096, 0); }, Status::NotAStream, false, 0, -1},
    {"CutInsideHeader", asIs, [](Bytes& b, auto&) { b.resize(12); }, Status::HeaderCut, false, 0,
     -1},
    {"HeaderOnly", noTotal, [](Bytes& b, auto& at) { b.resize(at[2]); }, Status::MissingEndBlock,
     false, 0, 2},
    {"FirstDataBlockCountTooLarge", asIs, [](Bytes& b, auto& at) { setU32(b, at[2] + 8, 0x10000); },
     Status::BlockCountTooLarge, false, 0, 2},
    {"CutInsideSecondDataBlock", asIs, [](Bytes& b, auto& at) { b.resize(at[kSecondData] + 20); },
     Status::BlockCut, true, kBlock, kSecondData},
    {"CutInsideSecondSizeField", asIs, [](Bytes& b, auto& at) { b.resize(at[kSecondData] + 6); },
     Status::BlockCut, true, kBlock, kSecondData},
    {"SecondSizeBelowBlockHeader", asIs,
     [](Bytes& b, auto& at) { setU32(b, at[kSecondData] + 4, 4); }, Status::BadBlockSize, true,
     kBlock, kSecondData},
    {"SecondSizeAboveLimit", asIs,
     [](Bytes& b, auto& at) { setU32(b, at[kSecondData] + 4, 0x200000); }, Status::BadBlockSize,
     true, kBlock, kSecondData},
    {"SecondSizePastEndOfInput", asIs,
     [](Bytes& b, auto& at) { setU32(b, at[kSecondData] + 4, 0x8000); }, Status::BlockCut, true,
     kBlock, kSecondData},
    {"SecondCountTooLarge", asIs,
     [](Bytes& b, auto& at) { setU32(b, at[kSecondData] + 8, 0x10000); },
     Status::BlockCountTooLarge, true, kBlock, kSecondData},
    {"SecondCountNeedsMoreFramesThanItHolds", asIs,
     [](Bytes& b, auto& at) { setU32(b, at[kSecondData] + 8, 0xFFFF); }, Status::FramesPastBlock,
     true, kBlock, kSecondData},
    {"SecondChannelOffsetOutsideBlock", asIs,
     [](Bytes& b, auto& at) { setU32(b, at[kSecondData] + 0x10, 0x7FFFFFF0); },
     Status::ChannelOutsideBlock, true, kBlock, kSecondData},
    {"SecondBlockTooShortForItsTable", noTotal,
     [](Bytes& b, auto& at) {
         // Shrink the block to its count and one offset, and end the stream right after it.
         setU32(b, at[kSecondData] + 4, 0x10);
         b.resize(at[kSecondData] + 0x10);
     },
     Status::BlockTooShort, true, kBlock, kSecondData},
    {"NoEndBlock", noTotal, [](Bytes& b, auto& at) { b.resize(at[kEnd]); }, Status::MissingEndBlock,
     true, 3 * kBlock, kEnd},
    {"EndBlockCutAfterItsId", noTotal, [](Bytes& b, auto& at) { b.resize(at[kEnd] + 4); },
     Status::Ok, true, 3 * kBlock, -1},
    {"ZeroWordInPlaceOfEndBlock", noTotal, [](Bytes& b, auto& at) { setU32(b, at[kEnd], 0); },
     Status::Ok, true, 3 * kBlock, -1},
    {"GarbageAfterEndBlock", noTotal,
     [](Bytes& b, auto&) {
         const Bytes tail = randomBytes(100);
         b.insert(b.end(), tail.begin(), tail.end());
     },
     Status::Ok, true, 3 * kBlock, -1},
    {"ForeignBlocksBetweenDataBlocks", asIs,
     [](Bytes& b, auto& at) {
         const Bytes foreign{'M', 'V', 'h', 'd', 12,  0,   0, 0, 1, 2,
                             3,   4,   'S', 'C', 'L', 'l', 8, 0, 0, 0};
         b.insert(b.begin() + static_cast<std::ptrdiff_t>(at[kSecondData]), foreign.begin(),
                  foreign.end());
     },
     Status::Ok, true, 3 * kBlock, -1},
    {"TotalLargerThanTheBlocks", [](StreamSpec& s) { s.totalOverride = 500; }, [](Bytes&, auto&) {},
     Status::FewerSamplesThanHeader, true, 3 * kBlock, -1},
    {"TotalReachedBeforeADamagedBlock", [](StreamSpec& s) { s.totalOverride = 2 * kBlock; },
     [](Bytes& b, auto& at) { setU32(b, at[4] + 8, 0x10000); }, Status::Ok, true, 2 * kBlock, -1},
};

class Malformed : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(Malformed, EndsAsExpected) {
    const MalformedCase& row = GetParam();
    StreamSpec spec;
    spec.kind = Kind::AdpcmR2;
    spec.channels = 2;
    spec.blockCounts = {kBlock, kBlock, kBlock};
    row.adjust(spec);
    const EncodedStream stream = encodeStream(spec);
    Bytes bytes = stream.bytes;
    const std::vector<std::size_t> blocks = blockOffsets(bytes);
    row.damage(bytes, blocks);

    const MemoryDecode decoded = decodeToWav(bytes);
    const DecodeResult& result = decoded.result;
    EXPECT_EQ(result.problem.status, row.status) << describe(result.problem);
    EXPECT_EQ(result.keepOutput(), row.keep);
    EXPECT_EQ(result.frames, row.frames);
    if (row.problemBlock >= 0) {
        EXPECT_EQ(result.problem.offset, static_cast<std::int64_t>(blocks[row.problemBlock]));
    }
    if (!row.keep) {
        EXPECT_TRUE(decoded.wav.empty());
        return;
    }
    // What was kept is a valid WAV holding exactly the good blocks' samples.
    const ParsedWav wav = parseWav(decoded.wav);
    ASSERT_TRUE(wav.valid);
    const std::vector<std::int16_t> good(
        stream.expected.begin(),
        stream.expected.begin() + static_cast<std::ptrdiff_t>(row.frames * 2));
    EXPECT_EQ(wav.samples, good);
}

INSTANTIATE_TEST_SUITE_P(Streams, Malformed, ::testing::ValuesIn(kCases),
                         [](const auto& row) { return row.param.name; });

// A source that hands out its bytes and then fails, as a file does on a read error.
class FailingSource : public ByteSource {
  public:
    FailingSource(const Bytes& bytes, std::size_t failAt) : bytes_(bytes), failAt_(failAt) {}
    std::size_t read(std::uint8_t* dst, std::size_t size) override {
        const std::size_t take = std::min(size, failAt_ - pos_);
        std::copy_n(bytes_.data() + pos_, take, dst);
        pos_ += take;
        failed_ = take == 0;
        return take;
    }
    bool failed() const override { return failed_; }

  private:
    const Bytes& bytes_;
    std::size_t failAt_;
    std::size_t pos_ = 0;
    bool failed_ = false;
};

TEST(ReadFailure, AnywhereInTheStreamIsAFailureWithNothingKept) {
    StreamSpec spec;
    spec.channels = 2;
    spec.blockCounts = {kBlock, kBlock, kBlock};
    spec.writeTotal = false;
    const Bytes bytes = encodeStream(spec).bytes;
    const std::vector<std::size_t> blocks = blockOffsets(bytes);
    for (std::size_t failAt : {std::size_t{0}, std::size_t{6}, blocks[1] - 1,
                               blocks[kSecondData] + 2, blocks[kSecondData] + 30, blocks[kEnd]}) {
        FailingSource source(bytes, failAt);
        VectorSink sink;
        const DecodeResult result = decodeStream(source, sink);
        EXPECT_EQ(result.problem.status, Status::ReadError) << "failing at byte " << failAt;
        EXPECT_FALSE(result.keepOutput()) << "failing at byte " << failAt;
    }
}

TEST(StatusMessages, EveryStatusHasItsOwnLine) {
    std::set<std::string> seen;
    for (int s = 0; s <= static_cast<int>(Status::WavSizeLimit); ++s) {
        const std::string line = describe(Problem{static_cast<Status>(s), 17, -1});
        EXPECT_FALSE(line.empty()) << s;
        EXPECT_EQ(line.find('\n'), std::string::npos) << line;
        EXPECT_TRUE(seen.insert(line).second) << "repeated: " << line;
    }
    EXPECT_EQ(describe(Problem{Status::UnknownPlatform, 0x0B, -1}), "unknown platform 0x0B");
    EXPECT_EQ(describe(Problem{Status::BlockCut, 0, 1234}),
              "the stream is cut short inside a block (block at byte 1234)");
    EXPECT_TRUE(isCut(Status::FramesPastBlock));
    EXPECT_FALSE(isCut(Status::UnknownCodec));
    EXPECT_FALSE(isCut(Status::ReadError));
}

}  // namespace
}  // namespace sx::test

namespace sx::test {
namespace {

// Cutting a stream at every length: past the header the decode never fails outright, never
// loses a sample a shorter cut kept, and what it keeps is the start of the full decode.
TEST(EveryCut, KeepsAGrowingPrefixOfTheFullDecode) {
    const std::vector<std::pair<Kind, int>> kinds{
        {Kind::AdpcmR1, 2}, {Kind::AdpcmR3, 3},         {Kind::StereoPacked, 2},
        {Kind::Ima, 1},     {Kind::Pcm8Interleaved, 2}, {Kind::FixedLayoutPcm, 2}};
    for (const auto& [kind, channels] : kinds) {
        StreamSpec spec;
        spec.kind = kind;
        spec.channels = channels;
        spec.blockCounts = {40, 57, 28};
        spec.pcmFrameEvery = 2;
        const Bytes full = encodeStream(spec).bytes;
        const std::vector<std::int16_t> all = parseWav(decodeToWav(full).wav).samples;
        const std::size_t headerSize = loadU32Le(&full[4]);
        std::uint64_t previous = 0;
        for (std::size_t length = headerSize; length <= full.size(); ++length) {
            const Bytes cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(length));
            const MemoryDecode decoded = decodeToWav(cut);
            const std::string where = kindName(kind) + " cut at " + std::to_string(length);
            ASSERT_TRUE(decoded.result.problem.status == Status::Ok ||
                        isCut(decoded.result.problem.status))
                << where << ": " << describe(decoded.result.problem);
            ASSERT_GE(decoded.result.frames, previous) << where;
            previous = decoded.result.frames;
            if (decoded.result.keepOutput()) {
                const std::vector<std::int16_t> kept = parseWav(decoded.wav).samples;
                ASSERT_TRUE(std::equal(kept.begin(), kept.end(), all.begin())) << where;
            }
        }
        EXPECT_EQ(previous * channels, all.size()) << kindName(kind);
    }
}

}  // namespace
}  // namespace sx::test
