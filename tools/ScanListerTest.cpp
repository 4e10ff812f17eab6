#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tools/ScanLister.h"

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

class ScanListerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("kestrin-lister-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Write(const std::string& name, const std::string& bytes) {
        const std::string path = (dir_ / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    int List(const std::string& path) { return ListStreams(path, out_, err_); }

    fs::path dir_;
    std::ostringstream out_;
    std::ostringstream err_;
};

TEST_F(ScanListerTest, PrintsOneLinePerStreamThenTheCount) {
    const std::string path = Write("music.dat", "xxSCHlabcSCEl\x08yySCHl\0\0SCEl\x08SCHlcut"s);

    EXPECT_EQ(List(path), 0);
    EXPECT_EQ(out_.str(),
              "music.dat1.asf\t2\t14\n"
              "music.dat2.asf\t16\t27\n"
              "music.dat3.asf\t27\t34\n"
              "Founded *.asf: 3\n");
    EXPECT_EQ(err_.str(), "");
}

TEST_F(ScanListerTest, AnEmptyFileHoldsNoStream) {
    EXPECT_EQ(List(Write("empty.dat", "")), 0);
    EXPECT_EQ(out_.str(), "Founded *.asf: 0\n");
}

TEST_F(ScanListerTest, AFailurePrintsItsTextToTheErrorStreamAlone) {
    const std::string missing = (dir_ / "gone.dat").string();
    EXPECT_EQ(List(missing), 1);
    EXPECT_EQ(err_.str(), "Cannot open file \"" + missing + "\". No such file or directory\n");
    EXPECT_EQ(out_.str(), "");

    err_.str("");
    EXPECT_EQ(List(dir_.string()), 1);
    EXPECT_EQ(err_.str(), "Cannot open file \"" + dir_.string() + "\". Is a directory\n");
}

}  // namespace
