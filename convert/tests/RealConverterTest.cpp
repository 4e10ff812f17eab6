// The play and convert commands with the real converter sx.exe, on streams made by the
// converter's test encoder, which also knows the samples that must come out.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "convert/Commands.h"
#include "convert/tests/CommandTestSupport.h"
#include "platform/ExclusiveOpen.h"
#include "sx/tests/StreamBuilder.h"

namespace {

std::vector<std::uint8_t> Bytes(const std::string& text) {
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

class RealConverterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ::setenv("SDL_AUDIODRIVER", "dummy", 0);
        ASSERT_EQ(::symlink(KESTRIN_SX_PATH, (programDir_ / "sx.exe").c_str()), 0);
        spec_.kind = sx::test::Kind::AdpcmR2;
        spec_.channels = 2;
        spec_.blockCounts = {28, 28, 14};
        stream_ = sx::test::encodeStream(spec_);
        const std::string filler(1000, 'x');
        const std::string bytes(stream_.bytes.begin(), stream_.bytes.end());
        catalogue_.ContainerPath = containerDir_ / "music.big";
        catalogue_.StreamStarts = {static_cast<std::int32_t>(filler.size())};
        catalogue_.StreamEnds = {static_cast<std::int32_t>(filler.size() + bytes.size())};
        catalogue_.StreamCount = catalogue_.EndCount = 1;
        scratch::WriteFile(catalogue_.ContainerPath, filler + bytes + filler);
        host_.rows = {"music.big1.asf"};
    }

    // The samples in a WAV file, checked against what the encoder says must come out.
    void ExpectDecodedStream(const std::string& wavPath) const {
        const sx::test::ParsedWav wav = sx::test::parseWav(Bytes(scratch::ReadFile(wavPath)));
        ASSERT_TRUE(wav.valid) << wavPath;
        EXPECT_EQ(wav.channels, spec_.channels);
        EXPECT_EQ(wav.sampleRate, stream_.sampleRate);
        EXPECT_EQ(wav.samples, sx::test::toWavOrder(stream_.expected, spec_.channels));
    }

    scratch::Directory containerDir_;
    scratch::Directory programDir_;
    sx::test::StreamSpec spec_;
    sx::test::EncodedStream stream_;
    StreamCatalogue catalogue_;
    testsupport::EventLog log_;
    testsupport::RecordingHost host_{log_};
    testsupport::ControlledPlatform platform_{programDir_.Path(), log_};
};

TEST_F(RealConverterTest, PlayDecodesTheStreamAndPlaysTheResult) {
    platform_.onPause = [this] {
        scratch::WaitUntil([&] { return platform::CanOpenExclusively(programDir_ / "temp.wav"); });
    };

    PlayStream(catalogue_, host_);

    EXPECT_EQ(log_.back(), "play " + programDir_ / "temp.wav");
    EXPECT_EQ(platform_.outcomes, std::vector{platform::SoundOutcome::PlayedFile});
    ExpectDecodedStream(programDir_ / "temp.wav");
}

TEST_F(RealConverterTest, ConvertLeavesTheDecodedStreamBesideTheProgram) {
    ConvertStream(catalogue_, host_);

    const std::string output = programDir_ / "music.big1.asf.wav";
    EXPECT_EQ(log_, testsupport::EventLog{"message Information 64: File was saved to: " + output});
    ASSERT_TRUE(scratch::WaitUntil([&] { return platform::CanOpenExclusively(output); }));
    ExpectDecodedStream(output);
}

}  // namespace
