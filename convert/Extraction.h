#pragma once

#include <cstdint>
#include <string>

#include "catalogue/StreamCatalogue.h"

// Copies stream index of the catalogue, unchanged, from the container into target: the bytes
// from StreamStarts[index] up to, not including, StreamEnds[index]. Only that range is read
// from the container, which is read afresh on every call.
//
// Throws platform::FileOpenError (container), platform::StreamReadError (the range runs past
// the container's end, or the catalogue has no such stream), platform::OutOfMemoryError,
// platform::FileCreateError (target cannot be created, or another program still has it open)
// and platform::StreamWriteError (a write fell short). Target is touched only once the bytes
// are in memory, so every failure but a short write leaves it as it was.
void ExtractStream(const StreamCatalogue& catalogue, std::int32_t index, const std::string& target);
