// The converter's whole decode of one stream, from memory to a WAV file in memory. The WAV that
// it keeps must describe itself truly: RIFF and data sizes that match the bytes that follow,
// the stream's channel count and sample rate, and exactly the frames the decode reports, never
// more than the header's total. Reading the same stream in small pieces must give the same
// outcome and the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "FuzzCheck.h"
#include "sx/ByteSource.h"
#include "sx/Decoder.h"
#include "sx/Status.h"
#include "sx/WavWriter.h"

namespace {

std::uint32_t U32At(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) |
           (std::uint32_t{bytes[at + 3]} << 24);
}

std::uint16_t U16At(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

bool TagAt(const std::vector<std::uint8_t>& bytes, std::size_t at, const char (&tag)[5]) {
    return std::memcmp(&bytes[at], tag, 4) == 0;
}

void CheckWav(const std::vector<std::uint8_t>& wav, const sx::DecodeResult& result) {
    const std::uint32_t channels = result.info.channels;
    const std::size_t fmtBytes = channels > 2 ? 40 : 16;
    const std::size_t headerBytes = 20 + fmtBytes + 8;
    FUZZ_CHECK(wav.size() >= headerBytes);
    FUZZ_CHECK(TagAt(wav, 0, "RIFF"));
    FUZZ_CHECK(U32At(wav, 4) == wav.size() - 8);
    FUZZ_CHECK(TagAt(wav, 8, "WAVE"));
    FUZZ_CHECK(TagAt(wav, 12, "fmt "));
    FUZZ_CHECK(U32At(wav, 16) == fmtBytes);
    FUZZ_CHECK(U16At(wav, 20) == (channels > 2 ? 0xFFFE : 0x0001));
    FUZZ_CHECK(U16At(wav, 22) == channels);
    FUZZ_CHECK(U32At(wav, 24) == result.info.sampleRate);
    FUZZ_CHECK(U32At(wav, 28) == result.info.sampleRate * channels * 2);
    FUZZ_CHECK(U16At(wav, 32) == channels * 2);
    FUZZ_CHECK(U16At(wav, 34) == 16);
    FUZZ_CHECK(TagAt(wav, headerBytes - 8, "data"));
    const std::uint32_t dataBytes = U32At(wav, headerBytes - 4);
    FUZZ_CHECK(dataBytes == wav.size() - headerBytes);
    FUZZ_CHECK(dataBytes == result.frames * channels * 2);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const std::span<const std::uint8_t> stream(bytes, size);
    const sx::MemoryDecode decoded = sx::decodeToWav(stream);
    const sx::DecodeResult& result = decoded.result;
    FUZZ_CHECK(!sx::describe(result.problem).empty());
    FUZZ_CHECK(decoded.wav.empty() != result.keepOutput());
    if (result.info.totalSamples) {
        FUZZ_CHECK(result.frames <= *result.info.totalSamples);
    }
    if (result.keepOutput()) {
        CheckWav(decoded.wav, result);
    }

    // Pieces of 1 to 64 bytes, chosen by the input so that every size turns up.
    sx::MemorySource pieces(stream, 1 + size % 64);
    sx::VectorSink sink;
    const sx::DecodeResult again = sx::decodeStream(pieces, sink);
    FUZZ_CHECK(again.problem.status == result.problem.status);
    FUZZ_CHECK(again.problem.value == result.problem.value);
    FUZZ_CHECK(again.problem.offset == result.problem.offset);
    FUZZ_CHECK(again.frames == result.frames);
    if (result.keepOutput()) {
        FUZZ_CHECK(sink.bytes() == decoded.wav);
    }
    return 0;
}
