#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "catalogue/PatternSearch.h"
#include "catalogue/StreamFinder.h"
#include "catalogue/tests/ScanTestSupport.h"

namespace {

using Search = const std::uint8_t* (*)(const std::uint8_t*, const std::uint8_t*,
                                       std::span<const std::uint8_t>);

struct SearchImplementation {
    const char* name;
    Search search;
};

const SearchImplementation kImplementations[] = {{"Fastest", &catalogue::FindPattern},
                                                 {"Portable", &catalogue::FindPatternPortable}};

class PatternSearchTest : public ::testing::TestWithParam<SearchImplementation> {
  protected:
    // The offset found in text, or -1.
    std::int64_t Find(const std::string& text, const std::string& pattern) const {
        const auto* first = reinterpret_cast<const std::uint8_t*>(text.data());
        const auto* last = first + text.size();
        const auto* found = GetParam().search(
            first, last,
            std::span(reinterpret_cast<const std::uint8_t*>(pattern.data()), pattern.size()));
        return found == last ? -1 : found - first;
    }
};

TEST_P(PatternSearchTest, FindsTheFirstWholeMatchAtEveryPlaceAndLength) {
    const std::string end("SCEl\x08", 5);
    // Every place of the match in texts of every length up to a few vector steps, so that each
    // place relative to a step and to the text's end is tried, with a decoy before it that
    // matches all but the last byte.
    for (std::size_t length = 0; length < 200; ++length) {
        for (std::size_t place = 0; place + end.size() <= length; ++place) {
            std::string text(length, '\0');
            text.replace(place, end.size(), end);
            if (place >= 6) {
                text.replace(0, 5, scantest::Bytes("SCEl\x09"));
            }
            ASSERT_EQ(Find(text, end), static_cast<std::int64_t>(place))
                << "length " << length << ", place " << place;
        }
        // A match cut short by the end of the text is no match.
        std::string cut(length, 'x');
        cut.replace(length >= 4 ? length - 4 : 0, std::min<std::size_t>(4, length),
                    end.substr(0, std::min<std::size_t>(4, length)));
        ASSERT_EQ(Find(cut, end), -1) << "length " << length;
    }
}

TEST_P(PatternSearchTest, AgreesWithTheStandardSearchOnTextsFullOfNearMisses) {
    std::mt19937 random(7);
    const std::string alphabet("SCHlE\x08\0x", 8);
    for (int round = 0; round < 300; ++round) {
        std::string text(random() % 700, ' ');
        for (char& c : text) {
            c = alphabet[random() % alphabet.size()];
        }
        for (const std::string& pattern : {std::string("SCHl"), scantest::Bytes("SCEl\x08")}) {
            const auto expected = text.find(pattern);
            ASSERT_EQ(Find(text, pattern),
                      expected == std::string::npos ? -1 : static_cast<std::int64_t>(expected))
                << "round " << round;
        }
    }
}

TEST_P(PatternSearchTest, EmptyAndShortTexts) {
    EXPECT_EQ(Find("", "SCHl"), -1);
    EXPECT_EQ(Find("SCH", "SCHl"), -1);
    EXPECT_EQ(Find("SCHl", "SCHl"), 0);
    EXPECT_EQ(Find("xSCHl", "SCHl"), 1);
    EXPECT_EQ(Find("SCHL", "SCHl"), -1) << "case matters";
}

INSTANTIATE_TEST_SUITE_P(Implementations, PatternSearchTest, ::testing::ValuesIn(kImplementations),
                         [](const ::testing::TestParamInfo<SearchImplementation>& row) {
                             return std::string(row.param.name);
                         });

// The streams the finder reports when the container arrives in blocks of blockSize bytes.
std::vector<scantest::Span> FindInBlocks(const std::string& bytes, std::size_t blockSize) {
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    catalogue::StreamFinder finder;
    for (std::size_t loaded = 0; loaded < bytes.size();) {
        loaded = std::min(bytes.size(), loaded + blockSize);
        finder.Advance(std::span(data, loaded));
    }
    finder.Finish(static_cast<std::int64_t>(bytes.size()));
    std::vector<scantest::Span> spans;
    for (const catalogue::FoundStream& stream : finder.Streams()) {
        spans.push_back({stream.start, stream.end});
    }
    return spans;
}

class StreamFinderTest : public ::testing::TestWithParam<unsigned> {};

TEST_P(StreamFinderTest, FindsTheSameStreamsHoweverTheContainerArrives) {
    const std::string bytes = scantest::RandomContainer(GetParam());
    const std::vector<scantest::Span> expected = scantest::StreamsByTheRule(bytes);
    for (const std::size_t blockSize : {std::size_t{1} << 40, std::size_t{262144},
                                        std::size_t{4096}, std::size_t{7}, std::size_t{3}}) {
        EXPECT_EQ(FindInBlocks(bytes, blockSize), expected) << "blocks of " << blockSize;
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, StreamFinderTest, ::testing::Range(100u, 106u));

TEST(StreamFinderMarkersTest, MarkersSplitByEveryBlockBorderAreFound) {
    // Two streams; blocks of one byte split each marker at every one of its places.
    const std::string bytes = std::string("xSCHlab") + scantest::Bytes("SCEl\x08") + "SCHl" +
                              scantest::Bytes("SCEl\x08") + "SCH";
    EXPECT_EQ(FindInBlocks(bytes, 1), (std::vector<scantest::Span>{{1, 12}, {12, 21}}));
    EXPECT_EQ(FindInBlocks(bytes, 2), FindInBlocks(bytes, 1));
}

}  // namespace
