#pragma once

// One conversion from an input file to an output file, with the converter's messages and exit
// codes: 0 for a WAV file written (also a shortened one from a cut stream, with a warning),
// 1 for a refusal or failure, with no file left at the output name (an older one is removed).

#include <filesystem>
#include <ostream>

namespace sx {

constexpr int kExitConverted = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

int convertFile(const std::filesystem::path& input, const std::filesystem::path& output,
                std::ostream& messages);

}  // namespace sx
