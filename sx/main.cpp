// sx.exe: converts one SCHl audio stream into a WAV file.

#include <iostream>
#include <string_view>
#include <vector>

#include "sx/CommandLine.h"
#include "sx/Conversion.h"

#ifndef SX_VERSION
#define SX_VERSION "unknown"
#endif

int main(int argc, char** argv) {
    const std::vector<std::string_view> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    const sx::CommandLine line = sx::parseCommandLine(args);
    switch (line.action) {
        case sx::CommandLine::Action::Help:
            std::cout << sx::usageText();
            return sx::kExitConverted;
        case sx::CommandLine::Action::Version:
            std::cout << "sx.exe " SX_VERSION "\n";
            return sx::kExitConverted;
        case sx::CommandLine::Action::Wrong:
            std::cerr << "sx.exe: " << line.error << "\n" << sx::usageText();
            return sx::kExitUsage;
        case sx::CommandLine::Action::Convert:
            break;
    }
    return sx::convertFile(line.input, line.output, std::cerr);
}
