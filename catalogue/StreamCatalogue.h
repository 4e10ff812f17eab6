#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Which container is open and where each listed stream begins and ends. Row i of the stream
// list, StreamStarts[i] and StreamEnds[i] describe the same stream. Only entries below the
// counts carry meaning: a new scan sets the counts to 0 and overwrites from index 0.
struct StreamCatalogue {
    std::string ContainerPath;
    std::vector<std::int32_t> StreamStarts;  // offset of the "S" of the stream's "SCHl"
    std::vector<std::int32_t> StreamEnds;    // offset just past the 0x08 of its end pattern
    std::int32_t StreamCount = 0;
    std::int32_t EndCount = 0;
};
