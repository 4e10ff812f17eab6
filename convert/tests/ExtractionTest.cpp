#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "convert/Extraction.h"
#include "convert/tests/CommandTestSupport.h"
#include "platform/FileFaults.h"

namespace {

using testsupport::Container;
using testsupport::FailureText;

class ExtractionTest : public ::testing::Test {
  protected:
    void TearDown() override { platform::faults::ClearAll(); }

    scratch::Directory containerDir_;
    scratch::Directory programDir_;
    Container container_ = testsupport::MakeContainer(
        containerDir_ / "music.big", {"first stream", std::string(3000, '\x7f'), "last"});
    std::string target_ = programDir_ / "temp.asf";
};

TEST_F(ExtractionTest, CopiesExactlyTheStreamsBytes) {
    for (std::int32_t index = 0; index < container_.catalogue.StreamCount; ++index) {
        ExtractStream(container_.catalogue, index, target_);

        const std::string copied = scratch::ReadFile(target_);
        EXPECT_EQ(copied, container_.StreamBytes(index)) << "stream " << index;
        EXPECT_EQ(copied.substr(0, 4), "SCHl");
        EXPECT_EQ(copied.substr(copied.size() - 5), std::string("SCEl\x08"));
    }
    // The last stream closes the container: its copy runs to the container's last byte.
    EXPECT_EQ(container_.catalogue.StreamEnds.back(),
              static_cast<std::int32_t>(container_.bytes.size()));
}

TEST_F(ExtractionTest, ReplacesAnOlderTargetAndTakesTheContainerAsItIsNow) {
    scratch::WriteFile(target_, std::string(10000, 'o'));
    std::string changed = container_.bytes;
    changed[container_.catalogue.StreamStarts[0] + 8] = '!';
    scratch::WriteFile(container_.path, changed);

    ExtractStream(container_.catalogue, 0, target_);

    EXPECT_EQ(scratch::ReadFile(target_), changed.substr(container_.catalogue.StreamStarts[0],
                                                         container_.StreamBytes(0).size()));
}

TEST_F(ExtractionTest, ReadsOnlyTheStreamOfAContainerNearTheSizeLimit) {
    // A sparse container of almost 2 GiB whose one stream sits at its very end: only the
    // stream's range is read, and the offsets stay within their signed 32-bit range.
    constexpr std::int32_t kStart = 2147483647 - 4096;
    const std::string stream = testsupport::Stream(std::string(4096 - 13, 's'));
    {
        const int fd = ::open(container_.path.c_str(), O_WRONLY | O_TRUNC);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::pwrite(fd, stream.data(), stream.size(), kStart),
                  static_cast<ssize_t>(stream.size()));
        ::close(fd);
    }
    StreamCatalogue catalogue;
    catalogue.ContainerPath = container_.path;
    catalogue.StreamStarts = {kStart};
    catalogue.StreamEnds = {kStart + static_cast<std::int32_t>(stream.size())};
    catalogue.StreamCount = catalogue.EndCount = 1;

    ExtractStream(catalogue, 0, target_);

    EXPECT_EQ(scratch::ReadFile(target_), stream);
}

// A failure case: what goes wrong, the text shown, and what the target holds afterwards.
struct FailureCase {
    const char* name;
    // Breaks something; gets the test's container, target and catalogue, and returns what
    // must stay alive while the extraction runs (may be null).
    std::function<std::shared_ptr<void>(Container&, std::string& target, std::int32_t& index)>
        arrange;
    // The expected text, with <container> and <target> standing for the full paths.
    std::string text;
    // What the target holds afterwards: "unchanged", "absent", or the number of stream bytes
    // written before the failure, as "prefix:<n>".
    std::string targetAfter;

    friend void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }
};

class ExtractionFailureTest : public ExtractionTest,
                              public ::testing::WithParamInterface<FailureCase> {};

std::string Expand(std::string text, const std::string& container, const std::string& target) {
    for (const auto& [placeholder, value] :
         {std::pair<std::string, std::string>{"<container>", container}, {"<target>", target}}) {
        const std::size_t at = text.find(placeholder);
        if (at != std::string::npos) {
            text.replace(at, placeholder.size(), value);
        }
    }
    return text;
}

TEST_P(ExtractionFailureTest, ShowsTheFailureAndLeavesTheTargetAsTheTableSays) {
    const FailureCase& c = GetParam();
    const std::string oldTarget = "the previous stream";
    scratch::WriteFile(target_, oldTarget);
    platform::faults::ScopedClear clearFaults;
    std::int32_t index = 1;
    std::string target = target_;
    const std::shared_ptr<void> keep = c.arrange(container_, target, index);

    EXPECT_EQ(FailureText([&] { ExtractStream(container_.catalogue, index, target); }),
              Expand(c.text, container_.path, target));

    if (c.targetAfter == "unchanged") {
        EXPECT_EQ(scratch::ReadFile(target), oldTarget);
    } else if (c.targetAfter == "absent") {
        EXPECT_FALSE(scratch::Exists(target));
    } else if (c.targetAfter.rfind("prefix:", 0) == 0) {
        const std::size_t written = std::stoul(c.targetAfter.substr(7));
        EXPECT_EQ(scratch::ReadFile(target), container_.StreamBytes(index).substr(0, written));
    }
}

std::shared_ptr<void> Nothing() {
    return nullptr;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ExtractionFailureTest,
    ::testing::Values(
        FailureCase{"ContainerDeleted",
                    [](Container& c, std::string&, std::int32_t&) {
                        std::filesystem::remove(c.path);
                        return Nothing();
                    },
                    "Cannot open file \"<container>\". No such file or directory", "unchanged"},
        FailureCase{"ContainerLocked",
                    [](Container& c, std::string&, std::int32_t&) {
                        platform::faults::FailOpen(c.path, EACCES);
                        return Nothing();
                    },
                    "Cannot open file \"<container>\". Permission denied", "unchanged"},
        FailureCase{"ContainerShrunkByOneByte",
                    [](Container& c, std::string&, std::int32_t&) {
                        std::filesystem::resize_file(c.path, c.catalogue.StreamEnds[1] - 1);
                        return Nothing();
                    },
                    "Stream read error", "unchanged"},
        FailureCase{"ContainerReadFailsPartWay",
                    [](Container& c, std::string&, std::int32_t&) {
                        platform::faults::FailReadAfter(c.path, 100);
                        return Nothing();
                    },
                    "Stream read error", "unchanged"},
        FailureCase{"RowWithoutCatalogueEntry",
                    [](Container&, std::string&, std::int32_t& index) {
                        index = 3;
                        return Nothing();
                    },
                    "Stream read error", "unchanged"},
        FailureCase{"StartWithoutEnd",
                    [](Container& c, std::string&, std::int32_t& index) {
                        c.catalogue.StreamStarts.push_back(c.catalogue.StreamEnds.back());
                        index = 3;
                        return Nothing();
                    },
                    "Stream read error", "unchanged"},
        FailureCase{"TargetIsADirectory",
                    [](Container&, std::string& target, std::int32_t&) {
                        target += ".dir/";
                        std::filesystem::create_directory(target);
                        return Nothing();
                    },
                    "Cannot create file \"<target>\". Is a directory", "ignore"},
        FailureCase{"TargetDirectoryMissing",
                    [](Container&, std::string& target, std::int32_t&) {
                        target =
                            std::filesystem::path(target).parent_path().string() + "/gone/temp.asf";
                        return Nothing();
                    },
                    "Cannot create file \"<target>\". No such file or directory", "absent"},
        FailureCase{"TargetNotWritable",
                    [](Container&, std::string& target, std::int32_t&) {
                        platform::faults::FailOpen(target, EACCES);
                        return Nothing();
                    },
                    "Cannot create file \"<target>\". Permission denied", "unchanged"},
        FailureCase{"TargetStillReadByARunningConverter",
                    [](Container&, std::string& target, std::int32_t&) -> std::shared_ptr<void> {
                        return std::make_shared<scratch::HeldByOtherProcess>(target, O_RDONLY);
                    },
                    "Cannot create file \"<target>\". Device or resource busy", "unchanged"},
        FailureCase{"DiskFull",
                    [](Container&, std::string& target, std::int32_t&) {
                        target += ".full";
                        std::filesystem::create_symlink("/dev/full", target);
                        return Nothing();
                    },
                    "Stream write error", "ignore"},
        FailureCase{"WriteFailsPartWay",
                    [](Container&, std::string& target, std::int32_t&) {
                        platform::faults::FailWriteAfter(target, 1000);
                        return Nothing();
                    },
                    "Stream write error", "prefix:1000"}),
    [](const ::testing::TestParamInfo<FailureCase>& row) { return std::string(row.param.name); });

}  // namespace
