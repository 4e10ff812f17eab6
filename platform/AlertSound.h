#pragma once

#include <cstdint>
#include <vector>

namespace platform {

// The alert sound that replaces a file that cannot be played: a short tone, made here so that
// it does not depend on any sound file being installed.
constexpr int kAlertSampleRate = 22050;  // samples per second, mono, signed 16-bit

std::vector<std::int16_t> MakeAlertSamples();

}  // namespace platform
