#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "convert/Commands.h"
#include "convert/tests/CommandTestSupport.h"
#include "convert/tests/StandInWav.h"
#include "platform/ExclusiveOpen.h"

namespace {

using platform::SoundOutcome;
using testsupport::EventLog;
using Arguments = std::vector<std::string>;

// The commands against a program directory and a container of the test's own, with the
// stand-in converter as sx.exe where a test installs it.
class CommandsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ::setenv("SDL_AUDIODRIVER", "dummy", 0);
        host_.rows = {"music.big1.asf", "music.big2.asf"};
        scratch::WriteFile(InProgramDir("temp.asf"), "older stream");
        scratch::WriteFile(InProgramDir("temp.wav"), "older sound");
        scratch::WriteFile(InProgramDir("toconvert.asf"), "older stream to convert");
    }

    std::string InProgramDir(const std::string& name) const { return programDir_ / name; }

    // Lets each pause of the play command's wait last until the converter has finished its
    // output, so that the wait ends on the next probe however fast the machine is. A stand-in
    // in "slow" mode is released first: it cannot finish before the first pause, so the wait
    // surely pauses and passes events at least once.
    void PauseUntilOutputIsComplete(const testsupport::StandIn* slowStandIn = nullptr) {
        platform_.onPause = [this, slowStandIn] {
            if (slowStandIn != nullptr) {
                slowStandIn->Release();
            }
            scratch::WaitUntil(
                [&] { return platform::CanOpenExclusively(InProgramDir("temp.wav")); });
        };
    }

    static std::size_t Count(const EventLog& log, const std::string& event) {
        return static_cast<std::size_t>(std::count(log.begin(), log.end(), event));
    }

    // Everything between the first and the last entry is the wait: pauses and event passes.
    static bool OnlyWaitBetween(const EventLog& log) {
        return std::all_of(log.begin() + 1, log.end() - 1, [](const std::string& event) {
            return event == "pause 100" || event == "pump";
        });
    }

    scratch::Directory containerDir_;
    scratch::Directory programDir_;
    testsupport::Container container_ = testsupport::MakeContainer(
        containerDir_ / "music.big", {"first stream body", "the second stream, a longer one"});
    EventLog log_;
    testsupport::RecordingHost host_{log_};
    testsupport::ControlledPlatform platform_{programDir_.Path(), log_};
};

TEST_F(CommandsTest, PlayStopsExtractsDeletesStartsWaitsAndPlaysInThatOrder) {
    testsupport::StandIn standIn(programDir_.Path(), "wav");
    std::string streamAtStop;
    bool oldSoundAtStop = false;
    platform_.onSound = [&](const platform::SoundRecord& record) {
        if (!record.name) {
            streamAtStop = scratch::ReadFile(InProgramDir("temp.asf"));
            oldSoundAtStop = scratch::ReadFile(InProgramDir("temp.wav")) == "older sound";
        }
    };
    PauseUntilOutputIsComplete();

    PlayStream(container_.catalogue, host_);

    ASSERT_GE(log_.size(), 2u);
    EXPECT_EQ(log_.front(), "stop");
    EXPECT_EQ(log_.back(), "play " + InProgramDir("temp.wav"));
    EXPECT_TRUE(OnlyWaitBetween(log_));
    EXPECT_EQ(streamAtStop, "older stream") << "the sound stops before the extraction";
    EXPECT_TRUE(oldSoundAtStop);
    EXPECT_EQ(scratch::ReadFile(InProgramDir("temp.asf")), container_.StreamBytes(0));
    EXPECT_EQ(scratch::ReadFile(InProgramDir("temp.wav")),
              StandInWavFor(container_.StreamBytes(0)));
    EXPECT_EQ(platform_.outcomes, std::vector{SoundOutcome::PlayedFile});
    EXPECT_EQ(scratch::ReadFile(InProgramDir("toconvert.asf")), "older stream to convert");

    ASSERT_TRUE(standIn.WaitForRuns(1));
    const auto run = standIn.Runs().at(0);
    EXPECT_FALSE(run.outputExisted) << "the older temp.wav is deleted before the launch";
    EXPECT_EQ(run.arguments, (Arguments{"-wave", "temp.asf", "-=temp.wav"}));
    EXPECT_EQ(run.workingDirectory, testsupport::WithoutTrailingSlash(programDir_.Path()));
}

TEST_F(CommandsTest, PlayRequestFollowsAWaitThatGaveUp) {
    testsupport::StandIn standIn(programDir_.Path(), "exit");

    PlayStream(container_.catalogue, host_);

    EventLog expected = {"stop"};
    for (int pause = 1; pause <= 101; ++pause) {
        expected.push_back("pause 100");
        if (pause <= 100) {
            expected.push_back("pump");
        }
    }
    expected.push_back("play " + InProgramDir("temp.wav"));
    EXPECT_EQ(log_, expected);
    // No output at all: the sound service sounds its alert instead.
    EXPECT_EQ(platform_.outcomes, std::vector{SoundOutcome::PlayedAlert});
}

TEST_F(CommandsTest, PlayWithTheConverterMissingHasExtractedAndDeletedBeforeTheMessage) {
    std::string streamAtMessage;
    bool soundAtMessage = true;
    host_.onMessage = [&](const std::string&) {
        streamAtMessage = scratch::ReadFile(InProgramDir("temp.asf"));
        soundAtMessage = scratch::Exists(InProgramDir("temp.wav"));
    };

    PlayStream(container_.catalogue, host_);

    EXPECT_EQ(log_, (EventLog{"stop", "message Error 48: Can not find sx.exe"}));
    EXPECT_EQ(streamAtMessage, container_.StreamBytes(0));
    EXPECT_FALSE(soundAtMessage);
}

TEST_F(CommandsTest, PlayWithAConverterThatCannotStartEndsSilently) {
    std::filesystem::copy_file(KESTRIN_STANDIN_PATH, InProgramDir("sx.exe"));
    ::chmod(InProgramDir("sx.exe").c_str(), 0644);

    PlayStream(container_.catalogue, host_);

    EXPECT_EQ(log_, EventLog{"stop"});
    EXPECT_EQ(scratch::ReadFile(InProgramDir("temp.asf")), container_.StreamBytes(0));
    EXPECT_FALSE(scratch::Exists(InProgramDir("temp.wav")));
}

TEST_F(CommandsTest, PlayWhoseExtractionFailsHasStoppedTheSoundAndTouchedNothing) {
    testsupport::StandIn standIn(programDir_.Path(), "wav");
    std::filesystem::remove(container_.path);

    EXPECT_EQ(testsupport::FailureText([&] { PlayStream(container_.catalogue, host_); }),
              "Cannot open file \"" + container_.path + "\". No such file or directory");

    EXPECT_EQ(log_, EventLog{"stop"});
    EXPECT_EQ(scratch::ReadFile(InProgramDir("temp.asf")), "older stream");
    EXPECT_EQ(scratch::ReadFile(InProgramDir("temp.wav")), "older sound");
    EXPECT_TRUE(standIn.Runs().empty());
}

TEST_F(CommandsTest, SecondPlayDuringTheWaitRunsToItsEndBeforeTheFirstGoesOn) {
    testsupport::StandIn standIn(programDir_.Path(), "slow");
    PauseUntilOutputIsComplete(&standIn);
    bool secondStarted = false;
    host_.onPump = [&] {
        if (!secondStarted) {
            secondStarted = true;
            host_.selected = 1;
            PlayStream(container_.catalogue, host_);
        }
    };

    PlayStream(container_.catalogue, host_);

    // stop, wait..., [stop, wait..., play], wait..., play
    const std::string play = "play " + InProgramDir("temp.wav");
    ASSERT_EQ(Count(log_, "stop"), 2u);
    ASSERT_EQ(Count(log_, play), 2u);
    const auto secondStop = std::find(log_.begin() + 1, log_.end(), "stop");
    const auto firstPlay = std::find(log_.begin(), log_.end(), play);
    EXPECT_EQ(*(secondStop - 1), "pump");
    EXPECT_LT(secondStop, firstPlay);
    EXPECT_EQ(log_.back(), play);
    // The second play replaced both files; the first then plays what is there.
    EXPECT_EQ(scratch::ReadFile(InProgramDir("temp.asf")), container_.StreamBytes(1));
    EXPECT_EQ(scratch::ReadFile(InProgramDir("temp.wav")),
              StandInWavFor(container_.StreamBytes(1)));
    ASSERT_TRUE(standIn.WaitForRuns(2));
    EXPECT_FALSE(standIn.Runs().at(1).outputExisted);
}

TEST_F(CommandsTest, StopDuringTheWaitDoesNotCancelThePlay) {
    testsupport::StandIn standIn(programDir_.Path(), "slow");
    PauseUntilOutputIsComplete(&standIn);
    host_.onPump = [&] {
        host_.onPump = nullptr;
        StopSound();
    };

    PlayStream(container_.catalogue, host_);

    ASSERT_EQ(Count(log_, "stop"), 2u);
    EXPECT_EQ(log_.back(), "play " + InProgramDir("temp.wav"));
    EXPECT_EQ(platform_.outcomes, std::vector{SoundOutcome::PlayedFile});
}

TEST_F(CommandsTest, ConvertSaysWhereWhileTheConverterStillWrites) {
    testsupport::StandIn standIn(programDir_.Path(), "slow");
    host_.selected = 1;
    std::size_t runsAtMessage = 99;
    host_.onMessage = [&](const std::string&) {
        runsAtMessage = standIn.Runs().size();
        standIn.Release();
    };

    ConvertStream(container_.catalogue, host_);

    const std::string output = InProgramDir("music.big2.asf.wav");
    EXPECT_EQ(log_, EventLog{"message Information 64: File was saved to: " + output});
    EXPECT_EQ(runsAtMessage, 0u) << "the message does not wait for the converter";
    EXPECT_EQ(scratch::ReadFile(InProgramDir("toconvert.asf")), container_.StreamBytes(1));
    EXPECT_EQ(scratch::ReadFile(InProgramDir("temp.asf")), "older stream");
    EXPECT_EQ(scratch::ReadFile(InProgramDir("temp.wav")), "older sound");

    ASSERT_TRUE(standIn.WaitForRuns(1));
    const auto run = standIn.Runs().at(0);
    EXPECT_EQ(run.arguments, (Arguments{"-wave", InProgramDir("toconvert.asf"), "-=" + output}));
    EXPECT_EQ(run.workingDirectory, testsupport::CurrentDirectory());
    EXPECT_EQ(scratch::ReadFile(output), StandInWavFor(container_.StreamBytes(1)));
}

TEST_F(CommandsTest, ConvertTwiceStartsTheConverterTwiceOnTheSameOutput) {
    testsupport::StandIn standIn(programDir_.Path(), "wav");

    ConvertStream(container_.catalogue, host_);
    ASSERT_TRUE(standIn.WaitForRuns(1));
    ConvertStream(container_.catalogue, host_);
    ASSERT_TRUE(standIn.WaitForRuns(2));

    const std::string message =
        "message Information 64: File was saved to: " + InProgramDir("music.big1.asf.wav");
    EXPECT_EQ(log_, (EventLog{message, message}));
    const auto runs = standIn.Runs();
    EXPECT_EQ(runs.at(0).arguments, runs.at(1).arguments);
    EXPECT_TRUE(runs.at(1).outputExisted) << "the older output is left for the converter";
}

TEST_F(CommandsTest, ConvertWithTheConverterMissingOnlyExtractsAndSaysSo) {
    ConvertStream(container_.catalogue, host_);

    EXPECT_EQ(log_, EventLog{"message Error 48: Can not find sx.exe"});
    EXPECT_EQ(scratch::ReadFile(InProgramDir("toconvert.asf")), container_.StreamBytes(0));
}

TEST_F(CommandsTest, ConvertWithAConverterThatCannotStartShowsNothing) {
    scratch::WriteFile(InProgramDir("sx.exe"), "not a program");
    ::chmod(InProgramDir("sx.exe").c_str(), 0755);

    ConvertStream(container_.catalogue, host_);

    EXPECT_TRUE(log_.empty());
    EXPECT_EQ(scratch::ReadFile(InProgramDir("toconvert.asf")), container_.StreamBytes(0));
}

TEST_F(CommandsTest, ConvertOutputNamedAfterARowWithQuotesLandsExactlyThere) {
    testsupport::StandIn standIn(programDir_.Path(), "wav");
    const std::string row = "say \"hi\" -=\"x\\\" m\xC3\xBAsica.big1.asf";
    host_.rows = {row};

    ConvertStream(container_.catalogue, host_);
    ASSERT_TRUE(standIn.WaitForRuns(1));

    const std::string output = InProgramDir(row + ".wav");
    EXPECT_EQ(scratch::ReadFile(output), StandInWavFor(container_.StreamBytes(0)));
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(programDir_.Path())) {
        names.insert(entry.path().filename().string());
    }
    EXPECT_EQ(names, (std::set<std::string>{"sx.exe", "standin.mode", "standin.log", "temp.asf",
                                            "temp.wav", "toconvert.asf", row + ".wav"}));
}

struct NoRowCase {
    const char* name;
    std::function<void(const StreamCatalogue&, CommandHost&)> command;

    friend void PrintTo(const NoRowCase& c, std::ostream* os) { *os << c.name; }
};

class NoRowSelectedTest : public CommandsTest, public ::testing::WithParamInterface<NoRowCase> {};

TEST_P(NoRowSelectedTest, DoesNothingAtAll) {
    testsupport::StandIn standIn(programDir_.Path(), "wav");
    host_.selected = -1;

    GetParam().command(container_.catalogue, host_);

    EXPECT_TRUE(log_.empty());
    EXPECT_EQ(scratch::ReadFile(InProgramDir("temp.asf")), "older stream");
    EXPECT_EQ(scratch::ReadFile(InProgramDir("temp.wav")), "older sound");
    EXPECT_EQ(scratch::ReadFile(InProgramDir("toconvert.asf")), "older stream to convert");
    EXPECT_FALSE(scratch::Exists(InProgramDir("music.big1.asf.wav")));
    EXPECT_TRUE(standIn.Runs().empty());
}

INSTANTIATE_TEST_SUITE_P(Commands, NoRowSelectedTest,
                         ::testing::Values(NoRowCase{"Play", PlayStream},
                                           NoRowCase{"Convert", ConvertStream}),
                         [](const ::testing::TestParamInfo<NoRowCase>& row) {
                             return std::string(row.param.name);
                         });

}  // namespace
