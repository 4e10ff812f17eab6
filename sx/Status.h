#pragma once

// Every outcome of a conversion that is not plain success, and the one table that turns each
// into the line the converter prints. Refusals stop before any output; cuts keep what decoded.

#include <cstdint>
#include <string>

namespace sx {

enum class Status {
    Ok,
    // Refusals: the input is not something the converter decodes; no output is written.
    ReadError,
    WriteError,
    NotAStream,
    HeaderCut,
    HeaderBlockSize,
    HeaderPastBlock,
    UnknownHeader,
    FixedHeaderUnknown,
    UnknownPlatform,
    UnknownVersion,
    NoDefaultCodec,
    UnknownCodec,
    UnsupportedCodec,
    UnsupportedLayout,
    BadChannelCount,
    BadSampleRate,
    // Cuts: the stream breaks off after its header; what decoded before is kept.
    MissingEndBlock,
    BlockCut,
    BadBlockSize,
    BlockCountTooLarge,
    BlockTooShort,
    ChannelOutsideBlock,
    FramesPastBlock,
    FewerSamplesThanHeader,
    WavSizeLimit,
};

// True for the statuses after which the samples decoded so far are still written out.
bool isCut(Status status);

// A status with the value it concerns (a platform or codec id, a size, a count) and, for
// problems inside the stream, the byte offset of the block where it was found.
struct Problem {
    Status status = Status::Ok;
    std::uint64_t value = 0;
    std::int64_t offset = -1;
};

// One line, without a trailing newline, naming the problem.
std::string describe(const Problem& problem);

}  // namespace sx
