#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "catalogue/OpenFile.h"
#include "catalogue/tests/ScanTestSupport.h"

namespace {

using scantest::ContainerBuilder;
using scantest::Span;

constexpr std::size_t kWindow = 100000;

struct ScanCase {
    const char* name;
    std::function<ContainerBuilder()> build;
};

// Runs the Open File command on bytes saved as "music.dat".
struct ScanRun {
    explicit ScanRun(const std::string& bytes) {
        path = dir.Write("music.dat", bytes);
        host.chosenPath = path;
        OpenFile(catalogue, host);
    }
    scantest::TempDir dir;
    std::string path;
    StreamCatalogue catalogue;
    scantest::RecordingHost host;
};

void PrintTo(const ScanCase& scanCase, std::ostream* out) {
    *out << scanCase.name;
}

class ScanCaseTest : public ::testing::TestWithParam<ScanCase> {};

TEST_P(ScanCaseTest, ListsExactlyTheStreamsOfTheFile) {
    const ContainerBuilder container = GetParam().build();
    const std::vector<Span> expected = container.Expected();
    ScanRun run(container.bytes);

    EXPECT_EQ(scantest::Listed(run.catalogue), expected);
    EXPECT_EQ(run.catalogue.StreamCount, static_cast<std::int32_t>(expected.size()));
    EXPECT_EQ(run.catalogue.EndCount, run.catalogue.StreamCount);

    std::vector<std::string> names;
    for (std::size_t i = 1; i <= expected.size(); ++i) {
        names.push_back("music.dat" + std::to_string(i) + ".asf");
    }
    EXPECT_EQ(run.host.rows, names);
    EXPECT_EQ(run.host.messages,
              std::vector<std::string>{"Founded *.asf: " + std::to_string(expected.size())});
    EXPECT_EQ(run.host.status, "music.dat");
    EXPECT_EQ(run.host.progress.Min(), 1);
    EXPECT_EQ(run.host.progress.Max(),
              std::max<std::int32_t>(1, static_cast<std::int32_t>(container.bytes.size())));
    EXPECT_EQ(run.host.progress.Position(), 1);
}

const ScanCase kScanCases[] = {
    {"SingleStreamAtZero", [] { return ContainerBuilder().Stream(20); }},
    {"StreamAfterAGapLongerThanAWindow", [] { return ContainerBuilder().Gap(250000).Stream(10); }},
    {"StreamFarBehindThePreviousOne",
     [] { return ContainerBuilder().Stream(10).Gap(3 * kWindow + 17, 'x').Stream(10); }},
    {"StartMarkerCrossingTheFirstWindowsEnd",
     [] { return ContainerBuilder().Gap(kWindow - 2).Stream(10); }},
    {"StartMarkerStartingOneByteBeforeTheFirstWindowsEnd",
     [] { return ContainerBuilder().Gap(kWindow - 1).Stream(10); }},
    {"StartMarkerFillingTheFirstWindowsLastFourBytes",
     [] { return ContainerBuilder().Gap(kWindow - 4).Stream(10); }},
    {"StartMarkerCrossingTheEndOfAWindowAfterAStream",
     [] { return ContainerBuilder().Stream(10).Gap(kWindow - 2, 'x').Stream(10); }},
    {"StartMarkerCrossingTheEndOfAnOverlappingWindow",
     [] { return ContainerBuilder().Gap(2 * kWindow - 3 - 2).Stream(10); }},
    {"EndPatternAheadOfTheStartMarkerIsPassedOver",
     [] { return ContainerBuilder().Raw(scantest::Bytes("SCEl\x08")).Gap(3).Stream(10); }},
    {"EndPatternDirectlyBehindTheStartMarker", [] { return ContainerBuilder().Stream(0); }},
    {"EndPatternCrossingAWindowBorderOfTheEndSearch",
     // The stream's end pattern begins at 100003: it crosses the border of the windows that a
     // search re-reading from start + 5 in steps of 100000 would use.
     [] { return ContainerBuilder().Stream(kWindow + 3 - 4).Stream(10).Stream(5); }},
    {"StreamSpanningSeveralWindows",
     [] { return ContainerBuilder().Gap(5).Stream(3 * kWindow + 50).Stream(5); }},
    {"StreamsBackToBack", [] { return ContainerBuilder().Stream(10).Stream(0).Stream(3); }},
    {"EndPatternsLastByteIsTheFilesLastByte",
     [] { return ContainerBuilder().Gap(7, 'x').Stream(30); }},
    {"BytesWithoutAMarkerAfterTheLastStream",
     [] { return ContainerBuilder().Stream(10).Gap(150000, 'x'); }},
    {"TruncatedLastStreamEndsAtTheEndOfTheFile",
     [] { return ContainerBuilder().Stream(10).Gap(5).TruncatedStream(20).Gap(kWindow); }},
    {"StartMarkerAsTheFilesLastFourBytes",
     [] { return ContainerBuilder().Gap(50).TruncatedStream(0); }},
    {"EndPatternWithoutItsLastByteAtTheEndOfTheFile",
     [] { return ContainerBuilder().Stream(3).TruncatedStream(8).Raw("SCEl"); }},
    {"StartMarkerInsideAStreamBelongsToThatStream",
     [] { return ContainerBuilder().StreamWithBody(scantest::Bytes("SCHl\0\0SCHl")); }},
    {"NearMissesAreNoMarkers",
     [] {
         return ContainerBuilder()
             .Raw(scantest::Bytes("SCHL schl SCH\0l SCSCH SCE\x08 SCEl\x09"))
             .Stream(4)
             .Raw(scantest::Bytes("SCEl\x07SCEL\x08"));
     }},
    {"OverlappingPartialMarkers",
     [] { return ContainerBuilder().Raw("SCSCHSC").Stream(2).Raw("SCESCE"); }},
    {"EmptyFile", [] { return ContainerBuilder(); }},
    {"NoMarkerAtAll", [] { return ContainerBuilder().Gap(250000, 'S'); }},
    {"OneByteFile", [] { return ContainerBuilder().Gap(1, 'S'); }},
};

INSTANTIATE_TEST_SUITE_P(Containers, ScanCaseTest, ::testing::ValuesIn(kScanCases),
                         [](const ::testing::TestParamInfo<ScanCase>& row) {
                             return std::string(row.param.name);
                         });

class RandomContainerTest : public ::testing::TestWithParam<unsigned> {};

TEST_P(RandomContainerTest, ListsWhatTheRuleFinds) {
    const std::string bytes = scantest::RandomContainer(GetParam());
    ScanRun run(bytes);
    const std::vector<Span> expected = scantest::StreamsByTheRule(bytes);
    EXPECT_EQ(scantest::Listed(run.catalogue), expected);
    EXPECT_EQ(run.host.rows.size(), expected.size());
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomContainerTest, ::testing::Range(1u, 25u));

}  // namespace
