#include "sx/Status.h"

#include <array>
#include <cstdio>

namespace sx {
namespace {

struct StatusText {
    Status status;
    bool cut;
    // A printf format with at most one conversion, fed with Problem::value.
    const char* format;
};

// The message of every status, in the order of the enum.
constexpr std::array kStatusTexts{
    StatusText{Status::Ok, false, "conversion complete"},
    StatusText{Status::ReadError, false, "the input could not be read"},
    StatusText{Status::WriteError, false, "the output could not be written"},
    StatusText{Status::NotAStream, false,
               "not a stream: the input does not begin with an SCHl block"},
    StatusText{Status::HeaderCut, false, "the input ends inside the stream's header block"},
    StatusText{Status::HeaderBlockSize, false,
               "the header block has an impossible size (%llu bytes)"},
    StatusText{Status::HeaderPastBlock, false,
               "the stream's header runs past the end of its block"},
    StatusText{Status::UnknownHeader, false, "the header block holds no PT, GSTR or PATl header"},
    StatusText{Status::FixedHeaderUnknown, false,
               "the fixed-layout header has no TMpl or TMxl section"},
    StatusText{Status::UnknownPlatform, false, "unknown platform 0x%02llX"},
    StatusText{Status::UnknownVersion, false, "unknown header version %llu"},
    StatusText{Status::NoDefaultCodec, false,
               "no codec is stated and platform 0x%02llX has none by default"},
    StatusText{Status::UnknownCodec, false, "unknown codec 0x%02llX"},
    StatusText{Status::UnsupportedCodec, false,
               "codec 0x%02llX is not supported by this converter"},
    StatusText{Status::UnsupportedLayout, false,
               "codec 0x%02llX is not supported with this header version or channel count"},
    StatusText{Status::BadChannelCount, false,
               "unsupported channel count %llu (1 to 6 are supported)"},
    StatusText{Status::BadSampleRate, false, "invalid sample rate %llu"},
    StatusText{Status::MissingEndBlock, true, "the stream has no end block"},
    StatusText{Status::BlockCut, true, "the stream is cut short inside a block"},
    StatusText{Status::BadBlockSize, true, "a block has an impossible size (%llu bytes)"},
    StatusText{Status::BlockCountTooLarge, true, "a data block claims %llu samples"},
    StatusText{Status::BlockTooShort, true, "a data block is too short for its fields"},
    StatusText{Status::ChannelOutsideBlock, true,
               "a data block's channel offset points outside it"},
    StatusText{Status::FramesPastBlock, true, "a data block's frames run past its end"},
    StatusText{Status::FewerSamplesThanHeader, true,
               "the stream's blocks end after %llu samples, before the total its header gives"},
    StatusText{Status::WavSizeLimit, true,
               "the output reached the largest size a WAV file can hold; cut after %llu samples"},
};

constexpr bool tableFollowsEnum() {
    for (std::size_t i = 0; i < kStatusTexts.size(); ++i) {
        if (static_cast<std::size_t>(kStatusTexts[i].status) != i) {
            return false;
        }
    }
    return kStatusTexts.back().status == Status::WavSizeLimit;
}
static_assert(tableFollowsEnum(), "kStatusTexts must list every status once, in enum order");

const StatusText& textOf(Status status) {
    return kStatusTexts.at(static_cast<std::size_t>(status));
}

}  // namespace

bool isCut(Status status) {
    return textOf(status).cut;
}

std::string describe(const Problem& problem) {
    std::array<char, 256> line{};
    std::snprintf(line.data(), line.size(), textOf(problem.status).format,
                  static_cast<unsigned long long>(problem.value));
    std::string text = line.data();
    if (problem.offset >= 0) {
        text += " (block at byte " + std::to_string(problem.offset) + ")";
    }
    return text;
}

}  // namespace sx
