#pragma once

#include <cstdint>
#include <string>

// The WAV file that the stand-in converter makes of its input: 8-bit mono PCM at 8000 Hz
// whose samples are the input's bytes, so that tests can tell which stream was converted.
inline std::string StandInWavFor(const std::string& input) {
    auto little = [](std::uint32_t value, int bytes) {
        std::string out;
        for (int i = 0; i < bytes; ++i) {
            out += static_cast<char>((value >> (8 * i)) & 0xFF);
        }
        return out;
    };
    constexpr std::uint32_t kSampleRate = 8000;
    const auto dataBytes = static_cast<std::uint32_t>(input.size());
    return "RIFF" + little(36 + dataBytes, 4) + "WAVE" + "fmt " + little(16, 4) +
           little(1, 2) /* PCM */ + little(1, 2) /* mono */ + little(kSampleRate, 4) +
           little(kSampleRate, 4) /* bytes per second */ + little(1, 2) /* block align */ +
           little(8, 2) /* bits per sample */ + "data" + little(dataBytes, 4) + input;
}
