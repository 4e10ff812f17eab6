// The converter's header parser over arbitrary bytes. Beyond reading only inside its input
// (which the sanitizers watch), the parser must give a channel count the decoder can index by
// whenever it accepts a header, a message for every outcome, and the same answer when more
// bytes follow the header block: it looks at nothing past the block.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "FuzzCheck.h"
#include "sx/BlockDecoder.h"
#include "sx/HeaderParser.h"
#include "sx/Status.h"
#include "sx/StreamInfo.h"

namespace {

bool SameProblem(const sx::Problem& a, const sx::Problem& b) {
    return a.status == b.status && a.value == b.value && a.offset == b.offset;
}

bool SameInfo(const sx::StreamInfo& a, const sx::StreamInfo& b) {
    return a.form == b.form && a.platform == b.platform && a.fieldsBigEndian == b.fieldsBigEndian &&
           a.sizesBigEndian == b.sizesBigEndian && a.version == b.version &&
           a.channels == b.channels && a.codec == b.codec && a.sampleRate == b.sampleRate &&
           a.totalSamples == b.totalSamples && a.loopStart == b.loopStart &&
           a.loopEndExclusive == b.loopEndExclusive && a.newAdpcm == b.newAdpcm &&
           a.historyPrefix == b.historyPrefix && a.offsetTable == b.offsetTable &&
           a.coefficients == b.coefficients;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const std::span<const std::uint8_t> data(bytes, size);
    const sx::HeaderResult header = sx::parseHeader(data);
    FUZZ_CHECK(!sx::describe(header.problem).empty());
    if (header.problem.status == sx::Status::Ok) {
        FUZZ_CHECK(header.info.channels >= 1 && header.info.channels <= sx::kMaxChannels);
        FUZZ_CHECK(!sx::describe(sx::checkDecodable(header.info)).empty());
    }

    // Shorter than a block header, the input may still become a stream when bytes follow; and a
    // header block cut short is completed by them. Every other answer is final.
    if (size >= sx::kBlockHeaderBytes && header.problem.status != sx::Status::HeaderCut) {
        std::vector<std::uint8_t> longer(data.begin(), data.end());
        longer.insert(longer.end(), 64, 0xFF);
        const sx::HeaderResult again = sx::parseHeader(longer);
        FUZZ_CHECK(SameProblem(header.problem, again.problem));
        FUZZ_CHECK(SameInfo(header.info, again.info));
    }
    return 0;
}
