#pragma once

#include <cstdint>
#include <span>

namespace catalogue {

// The first place in [first, last) where the whole of pattern lies, or last when there is none;
// a pattern whose bytes would run past last is not found. Exact and byte for byte: a zero byte
// is an ordinary byte. The cost is linear in the length searched. Uses the processor's 32-byte
// vector instructions where it has them, and FindPatternPortable otherwise.
const std::uint8_t* FindPattern(const std::uint8_t* first, const std::uint8_t* last,
                                std::span<const std::uint8_t> pattern);

// The same search on any processor.
const std::uint8_t* FindPatternPortable(const std::uint8_t* first, const std::uint8_t* last,
                                        std::span<const std::uint8_t> pattern);

// True when FindPattern uses the vector instructions on this processor.
bool VectorPatternSearchAvailable();

}  // namespace catalogue
