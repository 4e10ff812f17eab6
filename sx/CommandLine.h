#pragma once

// The converter's command line: sx.exe -wave <input> -=<output> (the output name glued to "-="
// or as the next argument), --help and --version.

#include <span>
#include <string>
#include <string_view>

namespace sx {

struct CommandLine {
    enum class Action { Convert, Help, Version, Wrong };
    Action action = Action::Wrong;
    std::string input;
    std::string output;
    std::string error;  // for Action::Wrong: what is wrong, in one line
};

// `args` are the arguments after the program name.
CommandLine parseCommandLine(std::span<const std::string_view> args);

// The usage text, several lines, each ending in a newline.
std::string usageText();

}  // namespace sx
