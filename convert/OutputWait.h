#pragma once

#include <string>

#include "convert/Commands.h"

// True when a file exists at path and could be opened for reading and writing at this moment
// with no other handle on it anywhere: the converter has finished writing it. Never throws.
bool FileIsFree(const std::string& path);

// Waits for the converter's output at path: probes it at once and then after each pause of
// 100 ms, handling the window's pending events once between probes, and gives up silently
// after the 101st probe (about ten seconds).
void WaitForOutput(const std::string& path, CommandHost& host);
