#include "platform/AlertSound.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace platform {

std::vector<std::int16_t> MakeAlertSamples() {
    constexpr double kToneHz = 880.0;
    constexpr double kDurationSeconds = 0.15;
    constexpr double kFadeSeconds = 0.01;  // ramps at both ends keep the tone free of clicks
    constexpr double kPeak = 0.3 * 32767.0;

    const int count = static_cast<int>(kAlertSampleRate * kDurationSeconds);
    const int fade = static_cast<int>(kAlertSampleRate * kFadeSeconds);
    std::vector<std::int16_t> samples(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const double envelope = std::min(
            {1.0, static_cast<double>(i) / fade, static_cast<double>(count - 1 - i) / fade});
        const double phase = 2.0 * std::numbers::pi * kToneHz * i / kAlertSampleRate;
        samples[static_cast<std::size_t>(i)] =
            static_cast<std::int16_t>(std::lround(kPeak * envelope * std::sin(phase)));
    }
    return samples;
}

}  // namespace platform
