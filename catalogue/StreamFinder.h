#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace catalogue {

// One stream as the scan lists it: the offset of the "S" of its "SCHl" and its exclusive end.
struct FoundStream {
    std::int32_t start;
    std::int32_t end;
};

// Finds the streams of a container by the rule "from position P, take the next start marker s;
// its end e is just past the next end pattern whose first byte lies at or after s + 4, or the
// end of the container when none follows; go on from e". It works as the container arrives:
// each Advance sees more of the same bytes, and searches only what it has not searched before,
// so every byte is looked at about once and the bytes are still in the cache from their load.
// The container must not exceed 2147483647 bytes (offsets are stored in 32 bits).
class StreamFinder {
  public:
    // loaded: the container from its first byte up to as far as it has arrived.
    void Advance(std::span<const std::uint8_t> loaded);

    // The whole container has arrived: a stream still waiting for its end runs to the end.
    void Finish(std::int64_t containerSize);

    const std::vector<FoundStream>& Streams() const { return streams_; }

  private:
    bool lookingForEnd_ = false;
    // Where the next search begins: no marker of the kind sought begins before it.
    std::int64_t from_ = 0;
    std::vector<FoundStream> streams_;
};

}  // namespace catalogue
