#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "catalogue/OpenFile.h"
#include "catalogue/tests/ScanTestSupport.h"
#include "platform/Errors.h"
#include "platform/FileFaults.h"

namespace {

using scantest::ContainerBuilder;
using scantest::RecordingHost;
using scantest::Span;
using Calls = std::vector<std::string>;

// A catalogue and a list that an earlier scan filled, to show what a new run resets.
void FillAsAnEarlierScan(StreamCatalogue& catalogue, RecordingHost& host) {
    catalogue.ContainerPath = "/earlier/old.dat";
    catalogue.StreamStarts = {0, 100, 200};
    catalogue.StreamEnds = {50, 150, 250};
    catalogue.StreamCount = 3;
    catalogue.EndCount = 3;
    host.rows = {"old.dat1.asf", "old.dat2.asf", "old.dat3.asf"};
    host.status = "old.dat";
}

TEST(OpenFileTest, HostCallsFollowTheCommandsSteps) {
    scantest::TempDir dir;
    // Two streams, [0, 19) and [19, 31), then five bytes without a marker: 36 bytes.
    const std::string path =
        dir.Write("two.dat", ContainerBuilder().Stream(10).Stream(3).Gap(5, 'x').bytes);
    StreamCatalogue catalogue;
    RecordingHost host(path);

    OpenFile(catalogue, host);

    const Calls expected = {
        "Filter *.*|*.*", "Dialog", "Status ", "FileName", "ClearRows", "Repaint", "Status two.dat",
        "Min 1", "Max 36",
        // First pass: the window [0, 36) holds the first stream, which ends at 19.
        "Pos 0", "Pump", "Pos 36", "Pump", "Row two.dat1.asf",
        // Second pass from 19: the second stream, ending at 31.
        "Pos 19", "Pump", "Pos 36", "Pump", "Row two.dat2.asf",
        // Third pass from 31: no marker up to the end of the file.
        "Pos 31", "Pump", "Pos 36", "Pump", "Message Founded *.asf: 2|Information|64", "Pos 1"};
    EXPECT_EQ(host.calls, expected);
    EXPECT_EQ(catalogue.ContainerPath, path);
    EXPECT_EQ(scantest::Listed(catalogue), (std::vector<Span>{{0, 19}, {19, 31}}));
}

TEST(OpenFileTest, WindowsWithoutAMarkerOverlapTheNextByThreeBytes) {
    scantest::TempDir dir;
    // No marker in the first window; one crosses its end and is found by the next.
    const std::string path =
        dir.Write("far.dat", ContainerBuilder().Gap(99998).Stream(10).Gap(150000).bytes);
    StreamCatalogue catalogue;
    RecordingHost host(path);

    OpenFile(catalogue, host);

    const Calls expected = {"Pos 0",      "Pos 100000",  // nothing in [0, 100000)
                            "Pos 99997",  "Pos 199997",  // the stream [99998, 100017)
                            "Pos 100017", "Pos 200017",  // nothing in [100017, 200017)
                            "Pos 200014", "Pos 250017",  // nothing up to the end
                            "Pos 1"};
    EXPECT_EQ(host.CallsStartingWith("Pos"), expected);
    EXPECT_EQ(host.CallsStartingWith("Pump").size(), 8u);
    EXPECT_EQ(scantest::Listed(catalogue), (std::vector<Span>{{99998, 100017}}));
}

TEST(OpenFileTest, CancellingTheDialogChangesNothing) {
    StreamCatalogue catalogue;
    RecordingHost host("/never/used.dat", false);
    FillAsAnEarlierScan(catalogue, host);

    OpenFile(catalogue, host);

    EXPECT_EQ(host.calls, (Calls{"Filter *.*|*.*", "Dialog"}));
    EXPECT_EQ(catalogue.ContainerPath, "/earlier/old.dat");
    EXPECT_EQ(scantest::Listed(catalogue), (std::vector<Span>{{0, 50}, {100, 150}, {200, 250}}));
    EXPECT_EQ(host.rows.size(), 3u);
    EXPECT_EQ(host.status, "old.dat");
}

struct SilentEndCase {
    const char* name;
    const char* entry;  // created as a directory, or left missing when empty
    bool isDirectory;
};

class SilentEndTest : public ::testing::TestWithParam<SilentEndCase> {};

TEST_P(SilentEndTest, APathThatNamesNoFileEndsTheCommandSilentlyAfterTheReset) {
    scantest::TempDir dir;
    const std::string path = dir.PathOf(GetParam().entry);
    if (GetParam().isDirectory) {
        std::filesystem::create_directory(path);
    }
    StreamCatalogue catalogue;
    RecordingHost host(path);
    FillAsAnEarlierScan(catalogue, host);

    OpenFile(catalogue, host);

    EXPECT_EQ(host.calls,
              (Calls{"Filter *.*|*.*", "Dialog", "Status ", "FileName", "ClearRows", "Repaint"}));
    EXPECT_EQ(catalogue.ContainerPath, path);
    EXPECT_EQ(catalogue.StreamCount, 0);
    EXPECT_EQ(catalogue.EndCount, 0);
    EXPECT_TRUE(host.rows.empty());
    EXPECT_EQ(host.status, "");
}

INSTANTIATE_TEST_SUITE_P(Paths, SilentEndTest,
                         ::testing::Values(SilentEndCase{"MissingFile", "gone.dat", false},
                                           SilentEndCase{"Directory", "folder.dat", true}),
                         [](const ::testing::TestParamInfo<SilentEndCase>& row) {
                             return std::string(row.param.name);
                         });

struct FailureCase {
    const char* name;
    // Makes the container at path fail to load; returns the failure text expected.
    std::string (*prepare)(const std::string& path);
};

class LoadFailureTest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(LoadFailureTest, EndsTheCommandWithTheFailureAndAnEmptyList) {
    scantest::TempDir dir;
    const std::string path = dir.Write("music.dat", ContainerBuilder().Stream(10).bytes);
    platform::faults::ScopedClear clearFaults;
    const std::string expectedText = GetParam().prepare(path);
    StreamCatalogue catalogue;
    RecordingHost host(path);
    FillAsAnEarlierScan(catalogue, host);

    std::string text = "(no failure)";
    try {
        OpenFile(catalogue, host);
    } catch (const platform::Error& error) {
        text = error.what();
    }

    EXPECT_EQ(text, expectedText);
    EXPECT_EQ(catalogue.ContainerPath, path);
    EXPECT_EQ(catalogue.StreamCount, 0);
    EXPECT_EQ(catalogue.EndCount, 0);
    EXPECT_TRUE(host.rows.empty());
    EXPECT_EQ(host.status, "music.dat");
    EXPECT_TRUE(host.messages.empty());
    EXPECT_TRUE(host.CallsStartingWith("Min").empty()) << "the progress range stays as it was";

    // The failed scan is over: the next one runs.
    platform::faults::ClearAll();
    std::filesystem::resize_file(path, 0);
    OpenFile(catalogue, host);
    EXPECT_EQ(host.messages, std::vector<std::string>{"Founded *.asf: 0"});
}

const FailureCase kFailureCases[] = {
    {"Unreadable",
     [](const std::string& path) {
         platform::faults::FailOpen(path, EACCES);
         return "Cannot open file \"" + path + "\". Permission denied";
     }},
    {"ReadFallsShort",
     [](const std::string& path) {
         platform::faults::FailReadAfter(path, 7);
         return std::string("Stream read error");
     }},
    {"LargerThanTwoGibibytes",
     [](const std::string& path) {
         // Sparse: it takes no disk space, and it must be refused before it is loaded.
         std::filesystem::resize_file(path, 2147483648);
         return "Cannot scan file \"" + path +
                "\": it holds 2147483648 bytes, more than the 2 GiB limit of 2147483647 bytes";
     }},
};

INSTANTIATE_TEST_SUITE_P(Failures, LoadFailureTest, ::testing::ValuesIn(kFailureCases),
                         [](const ::testing::TestParamInfo<FailureCase>& row) {
                             return std::string(row.param.name);
                         });

TEST(OpenFileTest, OpenFileDuringAScanDoesNothingAndTheScanGoesOn) {
    scantest::TempDir dir;
    const ContainerBuilder container = ContainerBuilder().Stream(10).Gap(150000).Stream(20);
    const std::string path = dir.Write("music.dat", container.bytes);
    const std::string other = dir.Write("other.dat", ContainerBuilder().Stream(1).bytes);
    StreamCatalogue catalogue;
    RecordingHost host(path);
    RecordingHost otherHost(other);
    host.onPump = [&] {
        OpenFile(catalogue, host);
        OpenFile(catalogue, otherHost);
        ScanContainer(catalogue, otherHost);
    };

    OpenFile(catalogue, host);

    EXPECT_TRUE(otherHost.calls.empty());
    EXPECT_EQ(host.CallsStartingWith("Dialog").size(), 1u);
    EXPECT_EQ(catalogue.ContainerPath, path);
    EXPECT_EQ(scantest::Listed(catalogue), container.Expected());
    EXPECT_EQ(host.rows, (std::vector<std::string>{"music.dat1.asf", "music.dat2.asf"}));
    EXPECT_EQ(host.messages, std::vector<std::string>{"Founded *.asf: 2"});

    // Once the scan is over, Open File works again.
    host.onPump = nullptr;
    OpenFile(catalogue, otherHost);
    EXPECT_EQ(scantest::Listed(catalogue), (std::vector<Span>{{0, 10}}));
}

TEST(OpenFileTest, EveryListedRowHasBothEntriesAtEveryPump) {
    scantest::TempDir dir;
    const std::string path = dir.Write(
        "music.dat", ContainerBuilder().Stream(10).Stream(120000).Gap(100).Stream(0).bytes);
    StreamCatalogue catalogue;
    RecordingHost host(path);
    int pumps = 0;
    host.onPump = [&] {
        ++pumps;
        ASSERT_EQ(catalogue.StreamCount, catalogue.EndCount);
        ASSERT_EQ(static_cast<std::size_t>(catalogue.StreamCount), host.rows.size());
        for (const Span& span : scantest::Listed(catalogue)) {
            EXPECT_GE(span.end - span.start, 9);
        }
    };

    OpenFile(catalogue, host);

    EXPECT_EQ(pumps, 6) << "two pumps in each of three passes";
    EXPECT_EQ(catalogue.StreamCount, 3);
}

TEST(OpenFileTest, ANewScanReplacesTheLastOneAndRepeatsItExactly) {
    scantest::TempDir dir;
    const ContainerBuilder many = ContainerBuilder().Stream(1).Gap(3).Stream(2).Stream(3);
    const ContainerBuilder one = ContainerBuilder().Gap(9).Stream(4);
    const std::string manyPath = dir.Write("many.dat", many.bytes);
    const std::string onePath = dir.Write("one.dat", one.bytes);
    StreamCatalogue catalogue;

    RecordingHost first(manyPath);
    OpenFile(catalogue, first);
    RecordingHost again(manyPath);
    OpenFile(catalogue, again);
    EXPECT_EQ(scantest::Listed(catalogue), many.Expected());
    EXPECT_EQ(again.rows, first.rows);
    EXPECT_EQ(again.calls, first.calls);

    RecordingHost fewer(onePath);
    OpenFile(catalogue, fewer);
    EXPECT_EQ(scantest::Listed(catalogue), one.Expected());
    EXPECT_EQ(catalogue.StreamCount, 1);
    EXPECT_EQ(fewer.rows, std::vector<std::string>{"one.dat1.asf"});
}

}  // namespace
