#include "catalogue/StreamFinder.h"

#include <algorithm>

#include "catalogue/PatternSearch.h"
#include "catalogue/StreamMarkers.h"

namespace catalogue {

void StreamFinder::Advance(std::span<const std::uint8_t> loaded) {
    const std::uint8_t* const begin = loaded.data();
    const std::uint8_t* const end = begin + loaded.size();
    const auto size = static_cast<std::int64_t>(loaded.size());
    for (;;) {
        const std::span<const std::uint8_t> sought =
            lookingForEnd_ ? std::span<const std::uint8_t>(kEndPattern)
                           : std::span<const std::uint8_t>(kStartPattern);
        const std::uint8_t* const found = FindPattern(begin + std::min(from_, size), end, sought);
        if (found == end) {
            // A marker may still begin in the last bytes, once the rest of it arrives.
            from_ = std::max(from_, size - static_cast<std::int64_t>(sought.size()) + 1);
            return;
        }
        const auto at = static_cast<std::int32_t>(found - begin);
        if (lookingForEnd_) {
            streams_.back().end = at + static_cast<std::int32_t>(kEndPattern.size());
            from_ = streams_.back().end;
        } else {
            streams_.push_back({at, -1});
            // An end pattern cannot begin inside the start marker's own four bytes.
            from_ = at + static_cast<std::int64_t>(kStartPattern.size());
        }
        lookingForEnd_ = !lookingForEnd_;
    }
}

void StreamFinder::Finish(std::int64_t containerSize) {
    if (lookingForEnd_) {
        // A truncated stream: its start marker has no end pattern after it.
        streams_.back().end = static_cast<std::int32_t>(containerSize);
        lookingForEnd_ = false;
    }
}

}  // namespace catalogue
