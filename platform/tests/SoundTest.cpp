#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/AlertSound.h"
#include "platform/Sound.h"
#include "platform/tests/ScratchFiles.h"

namespace {

using platform::SoundOutcome;

std::string Little(std::uint32_t value, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i) {
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
    return out;
}

std::string PcmWav(int bitsPerSample, int channels, std::uint32_t rate, const std::string& data) {
    const int blockAlign = channels * bitsPerSample / 8;
    return "RIFF" + Little(36 + static_cast<std::uint32_t>(data.size()), 4) + "WAVEfmt " +
           Little(16, 4) + Little(1, 2) + Little(static_cast<std::uint32_t>(channels), 2) +
           Little(rate, 4) + Little(rate * static_cast<std::uint32_t>(blockAlign), 4) +
           Little(static_cast<std::uint32_t>(blockAlign), 2) +
           Little(static_cast<std::uint32_t>(bitsPerSample), 2) + "data" +
           Little(static_cast<std::uint32_t>(data.size()), 4) + data;
}

// A ramp of sample bytes, so that what is played can be told apart from silence.
std::string Ramp(std::size_t bytes) {
    std::string data(bytes, '\0');
    for (std::size_t i = 0; i < bytes; ++i) {
        data[i] = static_cast<char>(i * 7 + 1);
    }
    return data;
}

// Runs the sound service on a chosen SDL driver, records every request, and puts everything
// back afterwards.
class SoundTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* driver = ::getenv("SDL_AUDIODRIVER");
        savedDriver_ = driver != nullptr ? std::optional<std::string>(driver) : std::nullopt;
        UseDriver("dummy");
        platform::SetSoundObserverForTesting(
            [this](const platform::SoundRecord& record) { records_.push_back(record); });
    }
    void TearDown() override {
        platform::SetSoundObserverForTesting({});
        platform::CloseSoundService();
        if (savedDriver_) {
            ::setenv("SDL_AUDIODRIVER", savedDriver_->c_str(), 1);
        } else {
            ::unsetenv("SDL_AUDIODRIVER");
        }
        ::unsetenv("SDL_DISKAUDIOFILE");
        ::unsetenv("SDL_DISKAUDIODELAY");
    }

    // SDL picks its driver when the service first opens the audio subsystem.
    static void UseDriver(const char* driver) {
        platform::CloseSoundService();
        ::setenv("SDL_AUDIODRIVER", driver, 1);
    }

    std::optional<std::string> savedDriver_;
    std::vector<platform::SoundRecord> records_;
    scratch::Directory dir_;
};

struct WavCase {
    const char* name;
    int bitsPerSample;
    int channels;
    std::uint32_t rate;

    friend void PrintTo(const WavCase& c, std::ostream* os) { *os << c.name; }
};

class SoundFormatTest : public SoundTest, public ::testing::WithParamInterface<WavCase> {};

TEST_P(SoundFormatTest, PlaysThePcmFileItself) {
    const WavCase& c = GetParam();
    const std::string path = dir_ / "temp.wav";
    scratch::WriteFile(path, PcmWav(c.bitsPerSample, c.channels, c.rate, Ramp(4000)));

    EXPECT_TRUE(platform::sndPlaySound(path.c_str(), platform::kSoundAsync));

    ASSERT_EQ(records_.size(), 1u);
    EXPECT_EQ(records_[0].name, path);
    EXPECT_EQ(records_[0].flags, platform::kSoundAsync);
    EXPECT_EQ(records_[0].outcome, SoundOutcome::PlayedFile);
}

INSTANTIATE_TEST_SUITE_P(Formats, SoundFormatTest,
                         ::testing::Values(WavCase{"Pcm8MonoAt8000", 8, 1, 8000},
                                           WavCase{"Pcm8StereoAt22050", 8, 2, 22050},
                                           WavCase{"Pcm16MonoAt11025", 16, 1, 11025},
                                           WavCase{"Pcm16StereoAt44100", 16, 2, 44100},
                                           WavCase{"Pcm16StereoAt96000", 16, 2, 96000}),
                         [](const ::testing::TestParamInfo<WavCase>& row) {
                             return std::string(row.param.name);
                         });

struct UnplayableCase {
    const char* name;
    std::optional<std::string> content;  // none: the file does not exist

    friend void PrintTo(const UnplayableCase& c, std::ostream* os) { *os << c.name; }
};

class UnplayableSoundTest : public SoundTest,
                            public ::testing::WithParamInterface<UnplayableCase> {};

TEST_P(UnplayableSoundTest, GivesTheAlertUnlessSuppressed) {
    const std::string path = dir_ / "temp.wav";
    if (GetParam().content) {
        scratch::WriteFile(path, *GetParam().content);
    }

    EXPECT_FALSE(platform::sndPlaySound(path.c_str(), platform::kSoundAsync));
    EXPECT_FALSE(
        platform::sndPlaySound(path.c_str(), platform::kSoundAsync | platform::kSoundNoDefault));

    ASSERT_EQ(records_.size(), 2u);
    EXPECT_EQ(records_[0].outcome, SoundOutcome::PlayedAlert);
    EXPECT_EQ(records_[1].outcome, SoundOutcome::NothingPlayed);
}

INSTANTIATE_TEST_SUITE_P(
    Files, UnplayableSoundTest,
    ::testing::Values(UnplayableCase{"MissingFile", std::nullopt},
                      UnplayableCase{"EmptyFile", std::string()},
                      UnplayableCase{"NotAWavFile", std::string("SCHl\0\0\0\x10 not sound", 19)},
                      UnplayableCase{"HeaderCutShort",
                                     PcmWav(16, 1, 8000, Ramp(100)).substr(0, 30)},
                      UnplayableCase{"NoChannels", PcmWav(16, 0, 8000, Ramp(100))}),
    [](const ::testing::TestParamInfo<UnplayableCase>& row) {
        return std::string(row.param.name);
    });

TEST_F(SoundTest, StopIsAlwaysCarriedOut) {
    EXPECT_TRUE(platform::sndPlaySound(nullptr, platform::kSoundAsync));  // nothing plays yet
    const std::string path = dir_ / "a.wav";
    scratch::WriteFile(path, PcmWav(16, 1, 8000, Ramp(8000)));
    platform::sndPlaySound(path.c_str(), platform::kSoundAsync);
    EXPECT_TRUE(platform::sndPlaySound(nullptr, platform::kSoundAsync));

    ASSERT_EQ(records_.size(), 3u);
    EXPECT_EQ(records_[0].outcome, SoundOutcome::Stopped);
    EXPECT_FALSE(records_[0].name.has_value());
    EXPECT_EQ(records_[2].outcome, SoundOutcome::Stopped);
}

TEST_F(SoundTest, WithoutADeviceNothingPlaysAndNothingFails) {
    UseDriver("no-such-driver");
    const std::string path = dir_ / "a.wav";
    scratch::WriteFile(path, PcmWav(16, 1, 8000, Ramp(800)));

    EXPECT_FALSE(platform::sndPlaySound(path.c_str(), platform::kSoundAsync));
    EXPECT_FALSE(platform::sndPlaySound((dir_ / "missing.wav").c_str(), platform::kSoundAsync));
    EXPECT_TRUE(platform::sndPlaySound(nullptr, platform::kSoundAsync));

    ASSERT_EQ(records_.size(), 3u);
    EXPECT_EQ(records_[0].outcome, SoundOutcome::NothingPlayed);
    EXPECT_EQ(records_[1].outcome, SoundOutcome::NothingPlayed);
    EXPECT_EQ(records_[2].outcome, SoundOutcome::Stopped);
}

// SDL's disk driver writes what the device plays into a file, in the format the device was
// opened with, which is the sound's own: the played bytes can be compared with the file's.
class PlayedBytesTest : public SoundTest {
  protected:
    void SetUp() override {
        SoundTest::SetUp();
        UseDriver("disk");
        ::setenv("SDL_DISKAUDIOFILE", played_.c_str(), 1);
        ::setenv("SDL_DISKAUDIODELAY", "5", 1);  // milliseconds per device buffer
    }

    // True once the device has played samples, one after the other. The device may play a
    // little silence first, in the moment between its opening and the start of the sound.
    bool Played(const std::string& samples) const {
        return scratch::WaitUntil(
            [&] { return scratch::ReadFile(played_).find(samples) != std::string::npos; });
    }

    std::string played_ = dir_ / "played.raw";
};

TEST_F(PlayedBytesTest, PlaysTheSamplesOfTheFileAndANewPlayCutsTheOldOneOff) {
    // A first sound far longer than the test, so that it can only be cut off, never end.
    std::string first(2000000, '\0');
    for (std::size_t i = 0; i < first.size(); ++i) {
        first[i] = static_cast<char>(0x40 + i % 13);
    }
    const std::string second = Ramp(3000);
    const std::string third = std::string(2000, '\x10') + Ramp(1000);
    scratch::WriteFile(dir_ / "first.wav", PcmWav(8, 1, 8000, first));
    scratch::WriteFile(dir_ / "second.wav", PcmWav(8, 1, 8000, second));
    scratch::WriteFile(dir_ / "third.wav", PcmWav(16, 2, 22050, third));

    platform::sndPlaySound((dir_ / "first.wav").c_str(), platform::kSoundAsync);
    ASSERT_TRUE(Played(first.substr(0, 2000)));
    platform::sndPlaySound((dir_ / "second.wav").c_str(), platform::kSoundAsync);
    EXPECT_TRUE(Played(second)) << "same format as the first";
    EXPECT_EQ(scratch::ReadFile(played_).find(first), std::string::npos)
        << "the first sound plays on after the second started";

    platform::sndPlaySound((dir_ / "third.wav").c_str(), platform::kSoundAsync);
    EXPECT_TRUE(Played(third)) << "another format";
}

TEST_F(PlayedBytesTest, UnplayableFileSoundsTheAlert) {
    const std::vector<std::int16_t> alert = platform::MakeAlertSamples();
    const std::string alertBytes(reinterpret_cast<const char*>(alert.data()),
                                 alert.size() * sizeof alert[0]);

    platform::sndPlaySound((dir_ / "missing.wav").c_str(), platform::kSoundAsync);

    EXPECT_TRUE(Played(alertBytes));
}

TEST(AlertSound, IsAShortAudibleToneWithoutClicks) {
    const std::vector<std::int16_t> samples = platform::MakeAlertSamples();
    ASSERT_FALSE(samples.empty());
    EXPECT_LE(samples.size(), static_cast<std::size_t>(platform::kAlertSampleRate / 2));
    int peak = 0;
    for (const std::int16_t sample : samples) {
        peak = std::max(peak, std::abs(static_cast<int>(sample)));
    }
    EXPECT_GT(peak, 3000);
    EXPECT_LT(std::abs(static_cast<int>(samples.front())), 100);
    EXPECT_LT(std::abs(static_cast<int>(samples.back())), 100);
}

}  // namespace
