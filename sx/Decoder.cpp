#include "sx/Decoder.h"

#include <algorithm>

#include "sx/BlockDecoder.h"
#include "sx/BlockReader.h"

namespace sx {
namespace {

// Walks the data blocks and writes their samples until the stream ends, breaks off, or holds
// the header's total; returns the problem that ended it early, if any.
Problem writeBlocks(BlockReader& reader, const StreamInfo& info, WavWriter& writer) {
    BlockDecoder decoder(info);
    const std::uint64_t limit =
        std::min<std::uint64_t>(info.totalSamples.value_or(UINT64_MAX), writer.maxFrames());
    while (writer.framesWritten() < limit) {
        const BlockReader::Step step = reader.next();
        if (step == BlockReader::Step::End) {
            break;
        }
        if (step == BlockReader::Step::Problem) {
            return reader.problem();
        }
        if (reader.blockId() != kIdData) {
            continue;  // count, loop and foreign blocks carry nothing to decode
        }
        Problem problem = decoder.decode(reader.block());
        if (problem.status != Status::Ok) {
            problem.offset = reader.blockOffset();
            return problem;
        }
        const std::uint64_t take =
            std::min<std::uint64_t>(decoder.frames(), limit - writer.framesWritten());
        if (!writer.write(decoder.samples().data(), take)) {
            return Problem{Status::WriteError};
        }
    }
    if (writer.framesWritten() >= writer.maxFrames() &&
        info.totalSamples.value_or(UINT64_MAX) > writer.maxFrames()) {
        return Problem{Status::WavSizeLimit, writer.framesWritten()};
    }
    if (info.totalSamples && writer.framesWritten() < *info.totalSamples) {
        return Problem{Status::FewerSamplesThanHeader, writer.framesWritten()};
    }
    return Problem{};
}

}  // namespace

bool DecodeResult::keepOutput() const {
    return problem.status == Status::Ok || (isCut(problem.status) && frames > 0);
}

DecodeResult decodeStream(ByteSource& source, ByteSink& sink) {
    DecodeResult result;
    BlockReader reader(source);
    HeaderResult header = reader.readHeader();
    result.info = header.info;
    if (header.problem.status != Status::Ok) {
        result.problem = header.problem;
        return result;
    }
    result.problem = checkDecodable(result.info);
    if (result.problem.status != Status::Ok) {
        return result;
    }
    WavWriter writer(sink, WavFormat{result.info.sampleRate, result.info.channels});
    if (!writer.begin()) {
        result.problem = Problem{Status::WriteError};
        return result;
    }
    result.problem = writeBlocks(reader, result.info, writer);
    result.frames = writer.framesWritten();
    if (result.keepOutput() && !writer.finish()) {
        result.problem = Problem{Status::WriteError};
    }
    return result;
}

MemoryDecode decodeToWav(std::span<const std::uint8_t> stream) {
    MemorySource source(stream);
    VectorSink sink;
    MemoryDecode decoded;
    decoded.result = decodeStream(source, sink);
    if (decoded.result.keepOutput()) {
        decoded.wav = std::move(sink.bytes());
    }
    return decoded;
}

}  // namespace sx
