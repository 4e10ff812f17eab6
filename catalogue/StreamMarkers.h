#pragma once

#include <array>
#include <cstdint>

namespace catalogue {

// Every stream opens with "SCHl" and closes with "SCEl" followed by the byte 0x08.
inline constexpr std::array<std::uint8_t, 4> kStartPattern = {0x53, 0x43, 0x48, 0x6C};
inline constexpr std::array<std::uint8_t, 5> kEndPattern = {0x53, 0x43, 0x45, 0x6C, 0x08};

// The most container bytes that one window pass of the scan covers.
inline constexpr std::int64_t kScanChunkSize = 100000;

}  // namespace catalogue
