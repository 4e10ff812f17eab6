#include "catalogue/PatternSearch.h"

#include <cstring>

namespace catalogue {

const std::uint8_t* FindPattern(const std::uint8_t* first, const std::uint8_t* last,
                                std::span<const std::uint8_t> pattern) {
    const auto length = static_cast<std::ptrdiff_t>(pattern.size());
    if (length == 0 || last - first < length) {
        return length == 0 ? first : last;
    }
    // memchr finds candidates for the first byte many bytes at a time; only those get the full
    // comparison. The patterns are a handful of bytes long, where this beats the skip tables of
    // the general searchers.
    const std::uint8_t* const lastBegin = last - length;
    const std::uint8_t* candidate = first;
    while (candidate <= lastBegin) {
        const void* hit =
            std::memchr(candidate, pattern[0], static_cast<std::size_t>(lastBegin - candidate + 1));
        if (hit == nullptr) {
            return last;
        }
        candidate = static_cast<const std::uint8_t*>(hit);
        if (std::memcmp(candidate + 1, pattern.data() + 1, pattern.size() - 1) == 0) {
            return candidate;
        }
        ++candidate;
    }
    return last;
}

}  // namespace catalogue
