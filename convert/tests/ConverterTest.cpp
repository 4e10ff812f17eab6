#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "convert/ConverterLaunch.h"
#include "convert/OutputWait.h"
#include "convert/tests/CommandTestSupport.h"
#include "platform/Launch.h"

namespace {

using testsupport::EventLog;
using Arguments = std::vector<std::string>;

struct ParameterCase {
    const char* name;
    std::string input;
    std::string output;
    std::string text;

    friend void PrintTo(const ParameterCase& c, std::ostream* os) { *os << c.name; }
};

class ConverterParametersTest : public ::testing::TestWithParam<ParameterCase> {};

TEST_P(ConverterParametersTest, BuildsTheTextThatSplitsIntoExactlyTheNames) {
    const ParameterCase& c = GetParam();
    const std::string text = ConverterParameters(c.input, c.output);
    EXPECT_EQ(text, c.text);
    EXPECT_EQ(platform::SplitCommandLine(text), (Arguments{"-wave", c.input, "-=" + c.output}));
}

INSTANTIATE_TEST_SUITE_P(
    Names, ConverterParametersTest,
    ::testing::Values(
        ParameterCase{"PlayForm", "temp.asf", "temp.wav", R"(-wave "temp.asf" -="temp.wav")"},
        ParameterCase{"ConvertForm", "/opt/kestrin/toconvert.asf",
                      "/opt/kestrin/music.big2.asf.wav",
                      R"(-wave "/opt/kestrin/toconvert.asf" -="/opt/kestrin/music.big2.asf.wav")"},
        ParameterCase{"Blanks", "/my games/toconvert.asf", "/my games/a b.big1.asf.wav",
                      R"(-wave "/my games/toconvert.asf" -="/my games/a b.big1.asf.wav")"},
        ParameterCase{"Backslashes", R"(/k\toconvert.asf)", R"(/k\x\\y.big1.asf.wav)",
                      R"(-wave "/k\toconvert.asf" -="/k\x\\y.big1.asf.wav")"},
        ParameterCase{
            "NonAscii", "/m\xC3\xBAsica/toconvert.asf", "/m\xC3\xBAsica/\xE9.big1.asf.wav",
            "-wave \"/m\xC3\xBAsica/toconvert.asf\" -=\"/m\xC3\xBAsica/\xE9.big1.asf.wav\""},
        // A quote would otherwise end the name early and send the output elsewhere.
        ParameterCase{"QuoteInOutputName", "/k/toconvert.asf", R"(/k/a" -="/tmp/evil.big1.asf.wav)",
                      R"(-wave "/k/toconvert.asf" -="/k/a\" -=\"/tmp/evil.big1.asf.wav")"},
        ParameterCase{"BackslashBeforeQuote", R"(/k\"/toconvert.asf)", R"(/k\"/x.wav)",
                      R"(-wave "/k\\\"/toconvert.asf" -="/k\\\"/x.wav")"}),
    [](const ::testing::TestParamInfo<ParameterCase>& row) { return std::string(row.param.name); });

// The converter launch against a program directory of the test's own.
class RunConverterTest : public ::testing::Test {
  protected:
    scratch::Directory programDir_;
    EventLog log_;
    testsupport::RecordingHost host_{log_};
    testsupport::ControlledPlatform platform_{programDir_.Path(), log_};
};

TEST_F(RunConverterTest, PlayFormRunsTheBareNameInTheProgramDirectoryOnBareNames) {
    testsupport::StandIn standIn(programDir_.Path(), "exit");

    EXPECT_EQ(RunConverter(host_, LaunchForm::Play, "temp.asf", "temp.wav"),
              ConverterOutcome::Started);

    ASSERT_TRUE(standIn.WaitForRuns(1));
    const auto run = standIn.Runs().at(0);
    EXPECT_EQ(run.arguments, (Arguments{"-wave", "temp.asf", "-=temp.wav"}));
    EXPECT_EQ(run.workingDirectory, testsupport::WithoutTrailingSlash(programDir_.Path()));
    EXPECT_TRUE(log_.empty());
}

TEST_F(RunConverterTest, ConvertFormRunsTheFullPathInTheCurrentDirectoryOnExactNames) {
    testsupport::StandIn standIn(programDir_.Path(), "exit");
    const std::string input = programDir_ / "toconvert.asf";
    const std::string output = programDir_ / "say \"hi\" \\ m\xC3\xBAsica.big1.asf.wav";

    EXPECT_EQ(RunConverter(host_, LaunchForm::Convert, input, output), ConverterOutcome::Started);

    ASSERT_TRUE(standIn.WaitForRuns(1));
    const auto run = standIn.Runs().at(0);
    EXPECT_EQ(run.arguments, (Arguments{"-wave", input, "-=" + output}));
    EXPECT_EQ(run.workingDirectory, testsupport::CurrentDirectory());
}

struct UnusableConverterCase {
    const char* name;
    std::function<void(const std::string& converterPath)> arrange;
    ConverterOutcome outcome;
    EventLog messages;

    friend void PrintTo(const UnusableConverterCase& c, std::ostream* os) { *os << c.name; }
};

class UnusableConverterTest : public RunConverterTest,
                              public ::testing::WithParamInterface<UnusableConverterCase> {};

TEST_P(UnusableConverterTest, StartsNothing) {
    GetParam().arrange(programDir_ / "sx.exe");

    for (const LaunchForm form : {LaunchForm::Play, LaunchForm::Convert}) {
        log_.clear();
        EXPECT_EQ(RunConverter(host_, form, "temp.asf", "temp.wav"), GetParam().outcome);
        EXPECT_EQ(log_, GetParam().messages);
    }
}

const EventLog kMissingMessage = {"message Error 48: Can not find sx.exe"};

INSTANTIATE_TEST_SUITE_P(
    Converters, UnusableConverterTest,
    ::testing::Values(
        UnusableConverterCase{"NoFile", [](const std::string&) {}, ConverterOutcome::Missing,
                              kMissingMessage},
        UnusableConverterCase{
            "Directory", [](const std::string& path) { std::filesystem::create_directory(path); },
            ConverterOutcome::Missing, kMissingMessage},
        UnusableConverterCase{
            "LinkToNothing",
            [](const std::string& path) { std::filesystem::create_symlink(path + ".gone", path); },
            ConverterOutcome::Missing, kMissingMessage},
        UnusableConverterCase{"NotExecutable",
                              [](const std::string& path) {
                                  std::filesystem::copy_file(KESTRIN_STANDIN_PATH, path);
                                  ::chmod(path.c_str(), 0644);
                              },
                              ConverterOutcome::NotStarted,
                              {}},
        UnusableConverterCase{"NotAProgram",
                              [](const std::string& path) {
                                  scratch::WriteFile(path, "MZ this is no program here");
                                  ::chmod(path.c_str(), 0755);
                              },
                              ConverterOutcome::NotStarted,
                              {}}),
    [](const ::testing::TestParamInfo<UnusableConverterCase>& row) {
        return std::string(row.param.name);
    });

TEST(FileIsFree, IsTrueOnlyForAnExistingFileThatNobodyHasOpen) {
    scratch::Directory dir;
    const std::string path = dir / "temp.wav";
    EXPECT_FALSE(FileIsFree(path)) << "missing";
    scratch::WriteFile(path, "RIFF");
    EXPECT_TRUE(FileIsFree(path)) << "free";
    {
        scratch::HeldByOtherProcess converter(path, O_WRONLY);
        EXPECT_FALSE(FileIsFree(path)) << "held open by another process";
    }
    ::chmod(path.c_str(), 0444);
    EXPECT_FALSE(FileIsFree(path)) << "read-only";
    EXPECT_EQ(scratch::ReadFile(path), "RIFF");
}

// How the output shows up during the wait, and the pauses and event passes that follow.
struct WaitCase {
    const char* name;
    // Called before the wait and at every pause with the number of pauses so far.
    std::function<void(const std::string& path, int pauses)> output;
    int pauses;

    friend void PrintTo(const WaitCase& c, std::ostream* os) { *os << c.name; }
};

class WaitForOutputTest : public ::testing::TestWithParam<WaitCase> {};

TEST_P(WaitForOutputTest, ProbesPausesAndPumpsInTurn) {
    scratch::Directory dir;
    const std::string path = dir / "temp.wav";
    EventLog log;
    testsupport::RecordingHost host(log);
    testsupport::ControlledPlatform platform(dir.Path(), log);
    int pauses = 0;
    GetParam().output(path, pauses);
    platform.onPause = [&] { GetParam().output(path, ++pauses); };

    WaitForOutput(path, host);

    // The first probe comes at once; every pause is followed by one pass of events, except
    // the 101st, after which the wait gives up without probing again.
    EventLog expected;
    for (int i = 0; i < GetParam().pauses; ++i) {
        expected.push_back("pause 100");
        if (i < 100) {
            expected.push_back("pump");
        }
    }
    EXPECT_EQ(log, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Outputs, WaitForOutputTest,
    ::testing::Values(WaitCase{"AlreadyCompleteEndsAtTheFirstProbe",
                               [](const std::string& path, int pauses) {
                                   if (pauses == 0) {
                                       scratch::WriteFile(path, "RIFF");
                                   }
                               },
                               0},
                      WaitCase{"CompletedDuringTheThirdPause",
                               [](const std::string& path, int pauses) {
                                   if (pauses == 3) {
                                       scratch::WriteFile(path, "RIFF");
                                   }
                               },
                               3},
                      WaitCase{"CompletedDuringTheLastPauseStillGivesUp",
                               [](const std::string& path, int pauses) {
                                   if (pauses == 101) {
                                       scratch::WriteFile(path, "RIFF");
                                   }
                               },
                               101},
                      WaitCase{"NeverWrittenGivesUpAfterTheHundredAndFirstProbe",
                               [](const std::string&, int) {}, 101},
                      WaitCase{"ReadOnlyNeverBecomesFree",
                               [](const std::string& path, int pauses) {
                                   if (pauses == 0) {
                                       scratch::WriteFile(path, "RIFF");
                                       ::chmod(path.c_str(), 0444);
                                   }
                               },
                               101}),
    [](const ::testing::TestParamInfo<WaitCase>& row) { return std::string(row.param.name); });

TEST(WaitForOutput, NeverEndsWhileAnotherProcessHoldsTheOutputOpen) {
    scratch::Directory dir;
    const std::string path = dir / "temp.wav";
    scratch::WriteFile(path, "RIFF");
    scratch::HeldByOtherProcess converter(path, O_WRONLY);
    EventLog log;
    testsupport::RecordingHost host(log);
    testsupport::ControlledPlatform platform(dir.Path(), log);

    WaitForOutput(path, host);

    EXPECT_EQ(std::count(log.begin(), log.end(), "pause 100"), 101);
    EXPECT_EQ(std::count(log.begin(), log.end(), "pump"), 100);
    EXPECT_EQ(log.back(), "pause 100");
}

}  // namespace
