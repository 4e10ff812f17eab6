#include "sx/ImaCodec.h"

#include <algorithm>

namespace sx {
namespace {

// The shift-and-add expansion; a multiplying form rounds differently.
inline std::int16_t expandNibble(std::uint32_t nibble, ImaState& s) {
    const std::int32_t step = kImaSteps[s.stepIndex];
    std::int32_t diff = step >> 3;
    if (nibble & 1) {
        diff += step >> 2;
    }
    if (nibble & 2) {
        diff += step >> 1;
    }
    if (nibble & 4) {
        diff += step;
    }
    if (nibble & 8) {
        diff = -diff;
    }
    s.predictor = std::clamp(s.predictor + diff, -32768, 32767);
    s.stepIndex = std::clamp(s.stepIndex + kImaIndexChanges[nibble], 0, kImaMaxStepIndex);
    return static_cast<std::int16_t>(s.predictor);
}

}  // namespace

ImaState imaStateFromBlock(std::int16_t predictor, std::int16_t stepIndex) {
    return ImaState{predictor, std::clamp<int>(stepIndex, 0, kImaMaxStepIndex)};
}

std::size_t imaBytesFor(std::size_t count, std::size_t channels) {
    return channels == 2 ? count : (count + 1) / 2;
}

bool decodeImaMono(std::span<const std::uint8_t> bytes, std::size_t count, ImaState& state,
                   std::int16_t* out) {
    if (bytes.size() < imaBytesFor(count, 1)) {
        return false;
    }
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t byte = bytes[i / 2];
        out[i] = expandNibble(i % 2 == 0 ? byte >> 4 : byte & 0x0F, state);
    }
    return true;
}

bool decodeImaStereo(std::span<const std::uint8_t> bytes, std::size_t count,
                     std::array<ImaState, 2>& state, std::int16_t* out) {
    if (bytes.size() < imaBytesFor(count, 2)) {
        return false;
    }
    for (std::size_t i = 0; i < count; ++i) {
        out[2 * i] = expandNibble(bytes[i] >> 4, state[0]);
        out[2 * i + 1] = expandNibble(bytes[i] & 0x0F, state[1]);
    }
    return true;
}

}  // namespace sx
