#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform {

// Results of LaunchHidden at or below this value mean that nothing was started, as with the
// desktop shell's launch call, whose callers compare against 32.
constexpr int kLaunchErrorLimit = 32;
constexpr int kLaunchStarted = 42;
constexpr int kLaunchOutOfResources = 0;
constexpr int kLaunchFileNotFound = 2;
constexpr int kLaunchPathNotFound = 3;
constexpr int kLaunchAccessDenied = 5;
constexpr int kLaunchOutOfMemory = 8;
constexpr int kLaunchBadFormat = 11;

// Starts program with the arguments that SplitCommandLine finds in parameters and returns at
// once, without waiting for it: kLaunchStarted when the program runs, or one of the error
// values above when it could not be started (no such file, not executable, not a program, a
// working directory that does not exist).
//
// The program runs hidden: in a session of its own, with standard input, output and error on
// /dev/null, and without any other descriptor of this process. It is not a child of this
// process (it is started through a short-lived intermediate), so it never has to be waited
// for and never lingers as a zombie.
//
// A program named without a '/' is looked up in the working directory only, never on PATH.
// Without a working directory the program inherits the current one.
int LaunchHidden(const std::string& program, const std::string& parameters,
                 const std::optional<std::string>& workingDirectory);

// Splits a parameter text into arguments by the usual Windows command-line rules: blanks and
// tabs separate arguments outside double quotes; a quote toggles quoting and is dropped;
// backslashes are literal except before a quote, where 2n of them give n and a toggling quote,
// and 2n+1 give n and a literal quote; inside quotes "" gives one literal quote; "" alone is an
// empty argument.
std::vector<std::string> SplitCommandLine(const std::string& parameters);

// The text to place between two double quotes so that SplitCommandLine gives back exactly
// name: quotes become \" and the backslashes before a quote or before the closing quote are
// doubled. A name without quotes and trailing backslashes comes back unchanged.
std::string EscapeForQuotes(const std::string& name);

}  // namespace platform
