#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <span>
#include <string>
#include <vector>

#include "platform/Errors.h"
#include "platform/FileFaults.h"
#include "platform/FileRoutines.h"
#include "platform/Streams.h"

namespace fs = std::filesystem;

namespace {

class FileRoutinesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("kestrin-files-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override {
        platform::faults::ClearAll();
        platform::SetProgramDirectoryForTesting("");
        fs::remove_all(dir_);
    }

    std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }

    std::string Write(const std::string& name, const std::string& bytes) const {
        const std::string path = PathOf(name);
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    static std::string Contents(const platform::MemoryStream& stream) {
        return std::string(reinterpret_cast<const char*>(stream.Data()),
                           static_cast<std::size_t>(stream.Size()));
    }

    template <typename Action>
    static std::string FailureText(Action action) {
        try {
            action();
        } catch (const platform::Error& error) {
            return error.what();
        }
        return "(no failure)";
    }

    fs::path dir_;
};

TEST_F(FileRoutinesTest, FileExistsOnlyForRegularFilesAndLinksToThem) {
    const std::string file = Write("a.dat", "x");
    fs::create_symlink(file, PathOf("link"));
    fs::create_symlink(PathOf("gone"), PathOf("dangling"));
    fs::create_directory(PathOf("sub"));

    EXPECT_TRUE(platform::FileExists(file));
    EXPECT_TRUE(platform::FileExists(PathOf("link")));
    EXPECT_FALSE(platform::FileExists(PathOf("dangling")));
    EXPECT_FALSE(platform::FileExists(PathOf("sub")));
    EXPECT_FALSE(platform::FileExists(PathOf("missing")));
    EXPECT_FALSE(platform::FileExists(""));
}

TEST_F(FileRoutinesTest, DeleteFileSaysWhetherItRemovedOne) {
    const std::string file = Write("a.dat", "x");
    fs::create_directory(PathOf("sub"));

    EXPECT_TRUE(platform::DeleteFile(file));
    EXPECT_FALSE(fs::exists(file));
    EXPECT_FALSE(platform::DeleteFile(file));
    EXPECT_FALSE(platform::DeleteFile(PathOf("sub")));
    EXPECT_TRUE(fs::is_directory(PathOf("sub")));
}

struct PathSplitCase {
    const char* name;
    const char* path;
    const char* fileName;
    const char* filePath;
};

class PathSplitTest : public ::testing::TestWithParam<PathSplitCase> {};

TEST_P(PathSplitTest, SplitsAtTheLastSlash) {
    const PathSplitCase& c = GetParam();
    EXPECT_EQ(platform::ExtractFileName(c.path), c.fileName);
    EXPECT_EQ(platform::ExtractFilePath(c.path), c.filePath);
    EXPECT_EQ(platform::ExtractFilePath(c.path) + platform::ExtractFileName(c.path), c.path);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, PathSplitTest,
    ::testing::Values(PathSplitCase{"FullPath", "/home/u/music.dat", "music.dat", "/home/u/"},
                      PathSplitCase{"BareName", "music.dat", "music.dat", ""},
                      PathSplitCase{"TrailingSlash", "/home/u/", "", "/home/u/"},
                      PathSplitCase{"Root", "/", "", "/"}, PathSplitCase{"Empty", "", "", ""},
                      PathSplitCase{"DotsAndBlanks", "/a b/c.d/x y.e.f", "x y.e.f", "/a b/c.d/"},
                      PathSplitCase{"BackslashIsOrdinary", "/a/b\\c", "b\\c", "/a/"}),
    [](const ::testing::TestParamInfo<PathSplitCase>& row) { return std::string(row.param.name); });

TEST_F(FileRoutinesTest, ProgramDirectoryIsTheExecutablesDirectoryUnlessOverridden) {
    const std::string exe = platform::ApplicationExeName();
    EXPECT_EQ(fs::canonical(exe), fs::canonical("/proc/self/exe"));
    EXPECT_EQ(platform::ProgramDirectory(), platform::ExtractFilePath(exe));
    EXPECT_EQ(platform::ProgramDirectory().back(), '/');

    platform::SetProgramDirectoryForTesting("/somewhere/else/");
    EXPECT_EQ(platform::ProgramDirectory(), "/somewhere/else/");
    platform::SetProgramDirectoryForTesting("");
    EXPECT_EQ(platform::ProgramDirectory(), platform::ExtractFilePath(exe));
}

TEST_F(FileRoutinesTest, SaveThenLoadKeepsEveryByteIncludingZeros) {
    std::string bytes;
    for (int i = 0; i < 70000; ++i) {
        bytes.push_back(static_cast<char>(i * 7));
    }
    platform::MemoryStream out;
    out.SetSize(static_cast<std::int64_t>(bytes.size()));
    std::copy(bytes.begin(), bytes.end(), out.Data());
    const std::string path = PathOf("round.bin");
    out.SaveToFile(path);

    platform::MemoryStream in;
    in.LoadFromFile(path);
    EXPECT_EQ(Contents(in), bytes);
    EXPECT_EQ(platform::FileSizeOf(path), static_cast<std::int64_t>(bytes.size()));
}

TEST_F(FileRoutinesTest, SaveEmptiesALongerFileAndAnEmptyStreamGivesAnEmptyFile) {
    const std::string path = Write("target.asf", "old contents that are longer");
    platform::MemoryStream stream;
    stream.SetSize(3);
    std::copy_n("new", 3, stream.Data());
    stream.SaveToFile(path);
    EXPECT_EQ(Read(path), "new");

    platform::MemoryStream empty;
    empty.SaveToFile(path);
    EXPECT_EQ(Read(path), "");
    empty.LoadFromFile(path);
    EXPECT_EQ(empty.Size(), 0);
}

TEST_F(FileRoutinesTest, LoadRangeReadsExactlyTheRangeAndRefusesOneThatRunsPastTheEnd) {
    const std::string path = Write("c.dat", "0123456789");
    platform::MemoryStream stream;
    stream.LoadRangeFromFile(path, 3, 4);
    EXPECT_EQ(Contents(stream), "3456");
    stream.LoadRangeFromFile(path, 6, 4);
    EXPECT_EQ(Contents(stream), "6789");
    stream.LoadRangeFromFile(path, 10, 0);
    EXPECT_EQ(stream.Size(), 0);

    stream.LoadRangeFromFile(path, 0, 2);
    EXPECT_EQ(FailureText([&] { stream.LoadRangeFromFile(path, 7, 4); }), "Stream read error");
    EXPECT_EQ(FailureText([&] { stream.LoadRangeFromFile(path, 11, 1); }), "Stream read error");
    EXPECT_EQ(FailureText([&] { stream.LoadRangeFromFile(path, -1, 2); }), "Stream read error");
    EXPECT_EQ(Contents(stream), "01") << "a failed load leaves the stream as it was";
}

TEST_F(FileRoutinesTest, OpenFailuresNameTheFullPathAndTheSystemsReason) {
    const std::string missing = PathOf("missing.dat");
    const std::string directory = PathOf("sub");
    fs::create_directory(directory);
    const std::string locked = Write("locked.dat", "abc");
    platform::faults::FailOpen(locked, EACCES);

    platform::MemoryStream stream;
    EXPECT_EQ(FailureText([&] { stream.LoadFromFile(missing); }),
              "Cannot open file \"" + missing + "\". No such file or directory");
    EXPECT_EQ(FailureText([&] { stream.LoadFromFile(directory); }),
              "Cannot open file \"" + directory + "\". Is a directory");
    EXPECT_EQ(FailureText([&] { stream.LoadFromFile(locked); }),
              "Cannot open file \"" + locked + "\". Permission denied");
    EXPECT_EQ(FailureText([&] { stream.LoadRangeFromFile(locked, 0, 1); }),
              "Cannot open file \"" + locked + "\". Permission denied");
    EXPECT_EQ(FailureText([&] { stream.SaveToFile(locked); }),
              "Cannot create file \"" + locked + "\". Permission denied");
    EXPECT_EQ(Read(locked), "abc") << "a refused create leaves the target as it was";

    const std::string noDirectory = PathOf("nowhere/out.asf");
    EXPECT_EQ(FailureText([&] { stream.SaveToFile(noDirectory); }),
              "Cannot create file \"" + noDirectory + "\". No such file or directory");
    EXPECT_EQ(FailureText([&] { stream.SaveToFile(directory); }),
              "Cannot create file \"" + directory + "\". Is a directory");
}

TEST_F(FileRoutinesTest, AReadThatFallsShortIsAStreamReadErrorAndKeepsTheOldContents) {
    const std::string path = Write("c.dat", std::string(5000, 'x'));
    platform::MemoryStream stream;
    stream.LoadRangeFromFile(path, 0, 2);

    platform::faults::FailReadAfter(path, 4999);
    EXPECT_EQ(FailureText([&] { stream.LoadFromFile(path); }), "Stream read error");
    EXPECT_EQ(FailureText([&] { stream.LoadRangeFromFile(path, 0, 5000); }), "Stream read error");
    EXPECT_EQ(Contents(stream), "xx");

    // Up to the limit every read still succeeds.
    stream.LoadRangeFromFile(path, 0, 4999);
    EXPECT_EQ(stream.Size(), 4999);
}

TEST_F(FileRoutinesTest, AWriteThatFallsShortIsAStreamWriteErrorWithTheBytesSoFarKept) {
    platform::MemoryStream stream;
    stream.SetSize(10);
    std::copy_n("0123456789", 10, stream.Data());

    const std::string path = PathOf("out.asf");
    platform::faults::FailWriteAfter(path, 6);
    EXPECT_EQ(FailureText([&] { stream.SaveToFile(path); }), "Stream write error");
    EXPECT_EQ(Read(path), "012345");

    const std::string full = PathOf("full.asf");
    fs::create_symlink("/dev/full", full);
    EXPECT_EQ(FailureText([&] { stream.SaveToFile(full); }), "Stream write error");
}

TEST_F(FileRoutinesTest, AnObservedLoadShowsGrowingPrefixesOfTheFinalStorage) {
    std::string bytes(600000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>(i % 251);
    }
    const std::string path = Write("big.dat", bytes);

    platform::MemoryStream stream;
    std::vector<std::size_t> seen;
    const std::uint8_t* viewed = nullptr;
    stream.LoadFromFile(path, [&](std::span<const std::uint8_t> loaded) {
        ASSERT_TRUE(seen.empty() || loaded.size() > seen.back());
        EXPECT_EQ(std::memcmp(loaded.data(), bytes.data(), loaded.size()), 0);
        seen.push_back(loaded.size());
        viewed = loaded.data();
    });
    EXPECT_EQ(Contents(stream), bytes);
    ASSERT_FALSE(seen.empty());
    EXPECT_GT(seen.size(), 1u) << "told block by block, not once at the end";
    EXPECT_EQ(seen.back(), bytes.size());
    EXPECT_EQ(viewed, stream.Data());

    platform::MemoryStream empty;
    empty.LoadFromFile(Write("empty.dat", ""), [&](auto) { ADD_FAILURE() << "told of no block"; });
    EXPECT_EQ(empty.Size(), 0);
}

TEST_F(FileRoutinesTest, AnObservedLoadEndsAtAFailedReadOrAnObserversException) {
    const std::string path = Write("big.dat", std::string(600000, 'x'));
    platform::MemoryStream stream;
    stream.LoadRangeFromFile(path, 0, 2);

    platform::faults::FailReadAfter(path, 300000);
    std::size_t mostSeen = 0;
    EXPECT_EQ(FailureText([&] {
                  stream.LoadFromFile(path, [&](std::span<const std::uint8_t> loaded) {
                      mostSeen = loaded.size();
                  });
              }),
              "Stream read error");
    EXPECT_LE(mostSeen, 300000u);
    platform::faults::ClearAll();

    EXPECT_EQ(FailureText([&] {
                  stream.LoadFromFile(path, [](std::span<const std::uint8_t>) {
                      throw platform::Error("observer gave up");
                  });
              }),
              "observer gave up");
    EXPECT_EQ(Contents(stream), "xx") << "a failed load leaves the stream as it was";
}

TEST_F(FileRoutinesTest, AnImpossibleSizeIsOutOfMemory) {
    platform::MemoryStream stream;
    stream.SetSize(4);
    EXPECT_EQ(FailureText([&] { stream.SetSize(std::numeric_limits<std::int64_t>::max()); }),
              "Out of memory while expanding memory stream");
    EXPECT_EQ(FailureText([&] { stream.SetSize(-1); }),
              "Out of memory while expanding memory stream");
    EXPECT_EQ(FailureText([&] { stream.LoadRangeFromFile(Write("a", "abc"), 0, 1LL << 62); }),
              "Out of memory while expanding memory stream");
}

TEST_F(FileRoutinesTest, FileSizeOfAnswersMinusOneForAMissingFile) {
    EXPECT_EQ(platform::FileSizeOf(Write("a", "12345")), 5);
    EXPECT_EQ(platform::FileSizeOf(PathOf("missing")), -1);
}

}  // namespace
