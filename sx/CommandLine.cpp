#include "sx/CommandLine.h"

namespace sx {
namespace {

constexpr std::string_view kInputOption = "-wave";
constexpr std::string_view kOutputOption = "-=";

CommandLine wrong(std::string error) {
    CommandLine line;
    line.error = std::move(error);
    return line;
}

}  // namespace

std::string usageText() {
    return "Usage: sx.exe -wave <input stream> -=<output.wav>\n"
           "       sx.exe -wave <input stream> -= <output.wav>\n"
           "Converts one SCHl audio stream into a 16-bit PCM WAV file.\n"
           "  --help     show this text\n"
           "  --version  show the version\n";
}

CommandLine parseCommandLine(std::span<const std::string_view> args) {
    CommandLine line;
    if (args.empty()) {
        line.action = CommandLine::Action::Help;
        return line;
    }
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        line.action = CommandLine::Action::Help;
        return line;
    }
    if (args.size() == 1 && args[0] == "--version") {
        line.action = CommandLine::Action::Version;
        return line;
    }
    bool haveInput = false;
    bool haveOutput = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (arg == kInputOption) {
            if (haveInput) {
                return wrong("the input is given twice");
            }
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                return wrong("-wave needs an input file name");
            }
            line.input = args[++i];
            haveInput = true;
        } else if (arg.starts_with(kOutputOption)) {
            if (haveOutput) {
                return wrong("the output is given twice");
            }
            std::string_view name = arg.substr(kOutputOption.size());
            if (name.empty()) {
                if (i + 1 >= args.size() || args[i + 1].empty()) {
                    return wrong("-= needs an output file name");
                }
                name = args[++i];
            }
            line.output = name;
            haveOutput = true;
        } else {
            return wrong("unexpected argument \"" + std::string(arg) + "\"");
        }
    }
    if (!haveInput) {
        return wrong("no input given (-wave <input>)");
    }
    if (!haveOutput) {
        return wrong("no output given (-=<output>)");
    }
    line.action = CommandLine::Action::Convert;
    return line;
}

}  // namespace sx
