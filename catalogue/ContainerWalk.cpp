#include "catalogue/ContainerWalk.h"

#include <algorithm>

#include "catalogue/StreamMarkers.h"

namespace catalogue {

ContainerWalk::ContainerWalk(std::int64_t containerSize, std::span<const FoundStream> streams)
    : size_(containerSize), streams_(streams) {}

void ContainerWalk::ReadWindow() {
    position_ += std::min(kScanChunkSize, size_ - position_);
}

std::optional<FoundStream> ContainerWalk::TakeStreamInWindow() {
    // The window ends at P. The next stream's marker is the first one at or after the window's
    // start, since every stream before it has been taken.
    if (next_ >= streams_.size() ||
        streams_[next_].start + static_cast<std::int64_t>(kStartPattern.size()) > position_) {
        return std::nullopt;
    }
    return streams_[next_++];
}

bool ContainerWalk::MovePastEmptyWindow() {
    if (Done()) {
        return false;
    }
    // A window that does not reach the end is a full one, so this still moves P forward.
    position_ -= static_cast<std::int64_t>(kStartPattern.size()) - 1;
    return true;
}

}  // namespace catalogue
