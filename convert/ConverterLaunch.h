#pragma once

#include <string>

#include "convert/Commands.h"

// The two ways in which the commands start the converter sx.exe.
enum class LaunchForm {
    // The bare name "sx.exe", run in the program directory, on bare file names.
    Play,
    // The converter's full path, run in the current directory, on full paths.
    Convert,
};

enum class ConverterOutcome { Missing, NotStarted, Started };

// The converter's command line: -wave "<input>" -="<output>". Quotes in a name, and the
// backslashes before them, are escaped so that the converter receives exactly the names given
// (its arguments are -wave, input, and -= joined to output); other names appear as they are.
std::string ConverterParameters(const std::string& input, const std::string& output);

// Starts sx.exe from the program directory on input and output, named as form wants them,
// and returns without waiting for it. When no file sx.exe is there, shows "Can not find
// sx.exe" (caption "Error", exclamation icon) through host and returns Missing once the box is
// closed. A converter that cannot be started (not executable, not a program) gives NotStarted,
// silently.
ConverterOutcome RunConverter(CommandHost& host, LaunchForm form, const std::string& input,
                              const std::string& output);
