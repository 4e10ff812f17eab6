#pragma once

// Parsing of a stream's header block ("SCHl"): the tag list of the PT and GSTR forms or the
// fixed-layout PATl form, then the defaults that fill in what the tags leave out. Works on bytes
// in memory only and never reads outside the span it is given.

#include <cstdint>
#include <span>

#include "sx/Status.h"
#include "sx/StreamInfo.h"

namespace sx {

constexpr std::size_t kBlockHeaderBytes = 8;
// The largest block size accepted; real blocks stay far below it, and it bounds every buffer.
constexpr std::uint32_t kMaxBlockBytes = 0xFFFFF;

constexpr std::uint32_t kIdHeader = 0x5343486C;  // "SCHl"
constexpr std::uint32_t kIdData = 0x5343446C;    // "SCDl"
constexpr std::uint32_t kIdEnd = 0x5343456C;     // "SCEl"

// The size fields of a stream are big-endian when the header block's size reads larger
// little-endian than big-endian; the choice then holds for every block of the stream.
bool sizesAreBigEndian(const std::uint8_t* sizeField);

struct HeaderResult {
    Problem problem;  // Status::Ok when info is valid
    StreamInfo info;
};

// Parses a complete header block: `block` holds its id, its size field and its payload, and
// is exactly as long as the size field says.
HeaderResult parseHeaderBlock(std::span<const std::uint8_t> block, bool sizesBigEndian);

// Parses the header block at the start of `bytes` (which may hold more of the stream after it):
// checks the id and the size, then parses as above.
HeaderResult parseHeader(std::span<const std::uint8_t> bytes);

}  // namespace sx
