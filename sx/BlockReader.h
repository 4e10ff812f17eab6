#pragma once

// The walk over a stream's blocks: the header block first, then one block after another until
// the end block. Holds one block in memory at a time, never more than the largest block size.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "sx/ByteSource.h"
#include "sx/HeaderParser.h"
#include "sx/Status.h"

namespace sx {

class BlockReader {
  public:
    explicit BlockReader(ByteSource& source) : source_(source) {}

    // Reads and parses the header block; the first call on a reader.
    HeaderResult readHeader();

    enum class Step { Block, End, Problem };
    // Reads the next block. Step::Block: block() and blockOffset() describe it. Step::End: the
    // stream ended cleanly. Step::Problem: problem() says why the walk stopped.
    Step next();

    std::span<const std::uint8_t> block() const { return buffer_; }
    std::uint32_t blockId() const { return blockId_; }
    std::int64_t blockOffset() const { return blockOffset_; }
    const Problem& problem() const { return problem_; }

  private:
    enum class Body { Read, BadSize, Cut, Failed };
    // Reads the rest of the block whose id and size field are in `head` into the buffer.
    Body readBody(const std::array<std::uint8_t, kBlockHeaderBytes>& head);
    Step stop(Status status, std::uint64_t value = 0);
    Step readFailureOr(Status status);

    ByteSource& source_;
    bool sizesBigEndian_ = false;
    std::vector<std::uint8_t> buffer_;
    std::uint32_t blockId_ = 0;
    std::int64_t blockOffset_ = 0;
    std::int64_t position_ = 0;
    Problem problem_;
};

}  // namespace sx
