#include "sx/AdpcmCodec.h"

#include <algorithm>

#include "sx/ByteOrder.h"

namespace sx {
namespace {

// One frame's predictor: the filter's coefficients, the shift and the rounding constant.
struct FramePredictor {
    std::int32_t c1;
    std::int32_t c2;
    int shift;  // applied to a nibble held in the top 4 bits of a 32-bit value
    std::int32_t rounding;
};

FramePredictor predictorFor(int filter, int shift, AdpcmRounding rounding) {
    // filter is a nibble (0..15), so filter + 4 stays inside the 20-entry table.
    return FramePredictor{kAdpcmCoefficients[filter], kAdpcmCoefficients[filter + 4], shift + 8,
                          rounding == AdpcmRounding::AddHalf ? 128 : 0};
}

inline std::int16_t expandNibble(std::uint32_t nibble, const FramePredictor& p, AdpcmHistory& h) {
    // The nibble is a 4-bit two's complement value scaled by 2^(20 - shift): put it in the top
    // bits and shift it down arithmetically.
    const std::int32_t scaled = static_cast<std::int32_t>(nibble << 28) >> p.shift;
    const std::int32_t sum = scaled + p.c1 * h.h1 + p.c2 * h.h2 + p.rounding;
    const std::int32_t sample = std::clamp(sum >> 8, -32768, 32767);
    h.h2 = h.h1;
    h.h1 = sample;
    return static_cast<std::int16_t>(sample);
}

void decodeAdpcmFrame(const std::uint8_t* frame, std::size_t count, AdpcmRounding rounding,
                      AdpcmHistory& history, std::int16_t* out, std::size_t stride) {
    const FramePredictor p = predictorFor(frame[0] >> 4, frame[0] & 0x0F, rounding);
    const std::uint8_t* nibbles = frame + 1;
    // Whole bytes first (two samples each), then a lone high nibble when count is odd.
    for (std::size_t pair = 0; pair < count / 2; ++pair, out += 2 * stride) {
        out[0] = expandNibble(nibbles[pair] >> 4, p, history);
        out[stride] = expandNibble(nibbles[pair] & 0x0F, p, history);
    }
    if (count % 2 != 0) {
        out[0] = expandNibble(nibbles[count / 2] >> 4, p, history);
    }
}

// An uncompressed frame: its history pair becomes the state, whatever samples it outputs.
void decodePcmFrame(const std::uint8_t* frame, std::size_t count, AdpcmHistory& history,
                    std::int16_t* out, std::size_t stride) {
    for (std::size_t i = 0; i < count; ++i) {
        out[i * stride] = loadS16Be(frame + 5 + 2 * i);
    }
    history.h1 = loadS16Be(frame + 1);
    history.h2 = loadS16Be(frame + 3);
}

}  // namespace

bool decodeAdpcmChannel(std::span<const std::uint8_t> bytes, std::size_t count,
                        AdpcmRounding rounding, bool pcmFrames, AdpcmHistory& history,
                        std::int16_t* out, std::size_t stride) {
    std::size_t pos = 0;
    while (count > 0) {
        const std::size_t take = std::min(count, kAdpcmSamplesPerFrame);
        if (pos >= bytes.size()) {
            return false;
        }
        if (pcmFrames && bytes[pos] == kPcmFrameMarker) {
            if (bytes.size() - pos < kPcmFrameBytes) {
                return false;
            }
            decodePcmFrame(&bytes[pos], take, history, out, stride);
            pos += kPcmFrameBytes;
        } else {
            if (bytes.size() - pos < kAdpcmFrameBytes) {
                return false;
            }
            decodeAdpcmFrame(&bytes[pos], take, rounding, history, out, stride);
            pos += kAdpcmFrameBytes;
        }
        out += take * stride;
        count -= take;
    }
    return true;
}

bool decodeStereoPacked(std::span<const std::uint8_t> bytes, std::size_t count,
                        std::array<AdpcmHistory, 2>& history, std::int16_t* out) {
    const std::size_t frames = (count + kAdpcmSamplesPerFrame - 1) / kAdpcmSamplesPerFrame;
    if (bytes.size() / kStereoPackedFrameBytes < frames) {
        return false;
    }
    const std::uint8_t* frame = bytes.data();
    while (count > 0) {
        const std::size_t take = std::min(count, kAdpcmSamplesPerFrame);
        const FramePredictor left =
            predictorFor(frame[0] >> 4, frame[1] >> 4, AdpcmRounding::AddHalf);
        const FramePredictor right =
            predictorFor(frame[0] & 0x0F, frame[1] & 0x0F, AdpcmRounding::AddHalf);
        for (std::size_t i = 0; i < take; ++i) {
            const std::uint8_t byte = frame[2 + i];
            out[2 * i] = expandNibble(byte >> 4, left, history[0]);
            out[2 * i + 1] = expandNibble(byte & 0x0F, right, history[1]);
        }
        frame += kStereoPackedFrameBytes;
        out += 2 * take;
        count -= take;
    }
    return true;
}

}  // namespace sx
