#include "catalogue/ContainerWalk.h"

#include <algorithm>

#include "catalogue/PatternSearch.h"

namespace catalogue {

ContainerWalk::ContainerWalk(std::span<const std::uint8_t> container) : container_(container) {}

void ContainerWalk::ReadWindow() {
    const std::int64_t length = std::min(kScanChunkSize, size() - position_);
    window_ =
        container_.subspan(static_cast<std::size_t>(position_), static_cast<std::size_t>(length));
    position_ += length;
}

std::optional<std::int64_t> ContainerWalk::FindStartInWindow() const {
    const std::uint8_t* const windowEnd = window_.data() + window_.size();
    const std::uint8_t* const found = FindPattern(window_.data(), windowEnd, kStartPattern);
    if (found == windowEnd) {
        return std::nullopt;
    }
    return found - container_.data();
}

bool ContainerWalk::MovePastEmptyWindow() {
    if (Done()) {
        return false;
    }
    // A window that does not reach the end is a full one, so this still moves P forward.
    position_ -= static_cast<std::int64_t>(kStartPattern.size()) - 1;
    return true;
}

std::int64_t ContainerWalk::FindEnd(std::int64_t start) const {
    const std::uint8_t* const containerEnd = container_.data() + container_.size();
    // An end pattern cannot begin inside the start marker's own four bytes.
    const std::int64_t searchFrom =
        std::min(start + static_cast<std::int64_t>(kStartPattern.size()), size());
    const std::uint8_t* const found =
        FindPattern(container_.data() + searchFrom, containerEnd, kEndPattern);
    if (found == containerEnd) {
        return size();
    }
    return (found - container_.data()) + static_cast<std::int64_t>(kEndPattern.size());
}

}  // namespace catalogue
