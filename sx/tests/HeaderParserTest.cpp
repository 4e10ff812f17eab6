// The header parser from bytes in memory: defaults in their order, the tag list's corners, and
// the headers it must refuse.

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "TestBytes.h"
#include "sx/BlockDecoder.h"
#include "sx/HeaderParser.h"

namespace sx::test {
namespace {

struct HeaderCase {
    std::string name;
    std::string hex;
    std::uint32_t platform;
    bool fieldsBigEndian;
    std::uint32_t version;
    std::uint32_t channels;
    std::uint32_t codec;
    std::uint32_t sampleRate;
    std::optional<std::uint32_t> total;
    bool newAdpcm;
    bool historyPrefix;
};

void PrintTo(const HeaderCase& row, std::ostream* os) {
    *os << row.name;
}

std::string coefficientBlob() {
    std::string hex;
    for (int i = 0; i <= 0x20; ++i) {
        constexpr char kDigits[] = "0123456789abcdef";
        hex += kDigits[i >> 4];
        hex += kDigits[i & 15];
    }
    return hex;
}

const std::vector<HeaderCase> kHeaders{
    // 0xFC padding, a long-length user-data blob, a zero-length loop start, a coefficient blob.
    {"ConsoleDefaultRateAndTagCorners",
     "5343486c54000000 50540600 060165 fc 14ff00000003aabbcc fd 800102 820102 a00112 "
     "8503010000 8600 870300ffff 8f21" +
         coefficientBlob() + "ff00",
     0x06, true, 2, 2, 0x12, 24000, 65536, false, false},
    {"DesktopWithoutCodecIsLittleEndianInterleavedPcm",
     "5343486c18000000 50540000 fd 820101 85021000 ff000000", 0x00, false, 0, 1, 0x00, 22050, 4096,
     false, false},
    {"LeadingFieldSkipped", "5343486c1c000000 00001000 50540100 fd 820102 84023e80 ff000000", 0x01,
     false, 0, 2, 0x05, 16000, std::nullopt, false, false},
    {"GenericStreamIsR3", "5343486c18000000 4753545201000000 fd 820101 ff000000", 0x08, true, 2, 1,
     0x0A, 48000, std::nullopt, true, false},
    {"DesktopVersionOneIsR1WithPrefix", "5343486c14000000 50540000 fd 800101 ff000000", 0x00, false,
     1, 1, 0x0A, 22050, std::nullopt, false, true},
    {"DesktopAdpcmCodec1IsStereoPacked", "5343486c14000000 50540000 fd 830107 ff000000", 0x00,
     false, 0, 1, 0x03, 22050, std::nullopt, false, false},
    {"ConsoleAdpcmCodec1IsPerChannel", "5343486c14000000 50540900 fd 830107 ff000000", 0x09, true,
     3, 1, 0x0A, 44100, std::nullopt, true, false},
    {"BigEndianDesktopEightBitPcmIsPlanar", "5343486c14000000 50540300 fd 810108 ff000000", 0x03,
     true, 0, 1, 0x09, 22050, std::nullopt, false, false},
    {"Codec2WinsOverCodec1", "5343486c14000000 50540000 fd 830100 a00108 ff", 0x00, false, 0, 1,
     0x08, 22050, std::nullopt, false, false},
    // Only a header that names no codec needs a version-0 default, which this platform lacks.
    {"Codec2AtVersionZeroWithoutPlatformDefault", "5343486c14000000 50540700 fd 800100 a00108 ff",
     0x07, false, 0, 1, 0x08, 24000, std::nullopt, false, false},
    {"AlternativeSectionEndsTheTags", "5343486c18000000 50540000 fd 820102 fe 820103 00000000",
     0x00, false, 0, 2, 0x00, 22050, std::nullopt, false, false},
    {"CoreTagsBeforeTheFormatSection", "5343486c14000000 50540a00 820104 fd ff000000", 0x0A, false,
     3, 4, 0x0A, 22050, std::nullopt, true, false},
    {"BigEndianSizes", "5343486c00000014 50540400 fd 820102 ff000000", 0x04, true, 0, 2, 0x07,
     22050, std::nullopt, false, false},
};

class HeaderDefaults : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(HeaderDefaults, FillsInWhatTheTagsLeaveOut) {
    const HeaderCase& row = GetParam();
    const HeaderResult parsed = parseHeader(hexBytes(row.hex));
    ASSERT_EQ(parsed.problem.status, Status::Ok) << describe(parsed.problem);
    const StreamInfo& info = parsed.info;
    EXPECT_EQ(info.platform, row.platform);
    EXPECT_EQ(info.fieldsBigEndian, row.fieldsBigEndian);
    EXPECT_EQ(info.version, row.version);
    EXPECT_EQ(info.channels, row.channels);
    EXPECT_EQ(info.codec, row.codec);
    EXPECT_EQ(info.sampleRate, row.sampleRate);
    EXPECT_EQ(info.totalSamples, row.total);
    EXPECT_EQ(info.newAdpcm, row.newAdpcm);
    EXPECT_EQ(info.historyPrefix, row.historyPrefix);
    EXPECT_EQ(info.offsetTable, row.version >= 1);
}

INSTANTIATE_TEST_SUITE_P(Headers, HeaderDefaults, ::testing::ValuesIn(kHeaders),
                         [](const auto& row) { return row.param.name; });

TEST(HeaderParser, KeepsLoopPointsAndCoefficients) {
    const HeaderResult parsed = parseHeader(hexBytes(kHeaders[0].hex));
    ASSERT_EQ(parsed.problem.status, Status::Ok);
    EXPECT_EQ(parsed.info.loopStart, 0u);
    EXPECT_EQ(parsed.info.loopEndExclusive, 65536u);
    ASSERT_TRUE(parsed.info.coefficients[0].has_value());
    EXPECT_EQ((*parsed.info.coefficients[0])[0], 0x0001);
    EXPECT_EQ((*parsed.info.coefficients[0])[15], 0x1e1f);
    EXPECT_FALSE(parsed.info.coefficients[1].has_value());
}

TEST(HeaderParser, ALoopEndAtTheLargestValueDoesNotWrapToZero) {
    // Loop end 0xFFFFFFFF is inclusive: its exclusive end lies one past it, above 32 bits.
    const HeaderResult parsed =
        parseHeader(hexBytes("5343486c2000000050540000fd820101850210008704ffffffffff0000000000"));
    ASSERT_EQ(parsed.problem.status, Status::Ok);
    EXPECT_EQ(parsed.info.loopEndExclusive, 0x100000000u);
}

struct RefusalCase {
    std::string name;
    std::string hex;
    Status status;
    std::uint64_t value;
};

void PrintTo(const RefusalCase& row, std::ostream* os) {
    *os << row.name;
}

const std::vector<RefusalCase> kRefusals{
    {"Empty", "", Status::NotAStream, 0},
    {"OtherId", "5343446c0c00000000000000", Status::NotAStream, 0},
    {"IdOnly", "5343486c", Status::HeaderCut, 0},
    {"BlockLongerThanInput", "5343486c20000000 50540000 ff000000", Status::HeaderCut, 0},
    {"SizeBelowHeader", "5343486c04000000", Status::HeaderBlockSize, 4},
    {"SizeAboveLimit", "5343486cffff1000 50540000 ff000000", Status::HeaderBlockSize, 0x10ffff},
    {"NoEndTag", "5343486c10000000 50540000 fdfcfcfc", Status::HeaderPastBlock, 0},
    {"ValuePastBlock", "5343486c10000000 50540000 fd8404ac", Status::HeaderPastBlock, 0},
    {"LengthBytePastBlock", "5343486c10000000 50540000 fcfcfc84", Status::HeaderPastBlock, 0},
    {"LongLengthPastBlock", "5343486c14000000 50540000 14ff7fffffff0000", Status::HeaderPastBlock,
     0},
    {"LongLengthCut", "5343486c10000000 50540000 fc14ff00", Status::HeaderPastBlock, 0},
    {"GenericStreamCut", "5343486c0c000000 47535452", Status::HeaderPastBlock, 0},
    {"NoHeaderForm", "5343486c14000000 41424344 45464748 ff000000", Status::UnknownHeader, 0},
    {"UnknownPlatform", "5343486c10000000 50540b00 ff000000", Status::UnknownPlatform, 0x0B},
    {"UnknownWidePlatform", "5343486c10000000 50540001 ff000000", Status::UnknownPlatform, 0x100},
    {"NoChannels", "5343486c10000000 50540000 820100ff", Status::BadChannelCount, 0},
    {"SevenChannels", "5343486c10000000 50540000 820107ff", Status::BadChannelCount, 7},
    {"VersionFour", "5343486c10000000 50540000 800104ff", Status::UnknownVersion, 4},
    {"NoCodecAtVersionZero", "5343486c10000000 50540500 800100ff", Status::NoDefaultCodec, 5},
    {"UndefinedCodec1", "5343486c10000000 50540000 830103ff", Status::UnknownCodec, 3},
    {"FixedLayoutCut", "5343486c10000000 5041546c 00000000", Status::HeaderPastBlock, 0},
};

class HeaderRefusals : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(HeaderRefusals, NameTheProblem) {
    const RefusalCase& row = GetParam();
    const HeaderResult parsed = parseHeader(hexBytes(row.hex));
    EXPECT_EQ(parsed.problem.status, row.status) << describe(parsed.problem);
    EXPECT_EQ(parsed.problem.value, row.value);
}

INSTANTIATE_TEST_SUITE_P(Headers, HeaderRefusals, ::testing::ValuesIn(kRefusals),
                         [](const auto& row) { return row.param.name; });

TEST(Decodable, RefusesCodecsAndLayoutsItDoesNotDecode) {
    struct Row {
        const char* name;
        std::uint32_t codec;
        std::uint32_t version;
        std::uint32_t channels;
        std::uint32_t rate;
        Status status;
    };
    const std::vector<Row> rows{
        {"ps adpcm", 0x05, 1, 2, 22050, Status::UnsupportedCodec},
        {"dsp adpcm", 0x12, 3, 1, 32000, Status::UnsupportedCodec},
        {"layer iii", 0x10, 3, 2, 44100, Status::UnsupportedCodec},
        {"no such codec 0x11", 0x11, 3, 2, 44100, Status::UnknownCodec},
        {"no such codec 0x40", 0x40, 3, 2, 44100, Status::UnknownCodec},
        {"ima with three channels", 0x0D, 0, 3, 22050, Status::UnsupportedLayout},
        {"ima with an offset table", 0x0D, 1, 1, 22050, Status::UnsupportedLayout},
        {"stereo-packed with an offset table", 0x03, 1, 2, 22050, Status::UnsupportedLayout},
        {"sample rate 0", 0x0A, 3, 2, 0, Status::BadSampleRate},
        {"sample rate past the WAV byte rate", 0x00, 0, 6, 0x20000000, Status::BadSampleRate},
        {"six-channel R2", 0x0A, 3, 6, 48000, Status::Ok},
        {"mono IMA", 0x0D, 0, 1, 22050, Status::Ok},
    };
    for (const Row& row : rows) {
        StreamInfo info;
        info.codec = row.codec;
        info.version = row.version;
        info.offsetTable = row.version >= 1;
        info.channels = row.channels;
        info.sampleRate = row.rate;
        EXPECT_EQ(checkDecodable(info).status, row.status) << row.name;
    }
}

}  // namespace
}  // namespace sx::test
