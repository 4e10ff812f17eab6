#pragma once

#include <ostream>
#include <string>

// Scans the container at path with the player's own scan and writes one line per stream to out,
// "<row name>\t<start>\t<end>" with the offsets in decimal, then "Founded *.asf: N". On a
// failure writes its text to err instead and returns 1; returns 0 otherwise.
int ListStreams(const std::string& path, std::ostream& out, std::ostream& err);
