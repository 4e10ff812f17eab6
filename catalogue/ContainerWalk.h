#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "catalogue/StreamFinder.h"

namespace catalogue {

// The window passes of a scan over a container whose streams are already found (StreamFinder,
// which runs while the container loads). The passes keep the command's rhythm, with progress
// and pumps between their steps: each one covers the next kScanChunkSize bytes from P and lists
// the next stream when its start marker lies wholly inside. The caller drives it:
//
//   while (!walk.Done()) {
//       walk.ReadWindow();
//       stream = walk.TakeStreamInWindow();
//       if (!stream) { if (!walk.MovePastEmptyWindow()) break; continue; }
//       walk.MoveTo(stream->end);
//   }
//
// A window without a start marker is followed by one that overlaps it by three bytes, so a
// marker that crosses a window's end is found in the next, and the passes cover the whole file.
class ContainerWalk {
  public:
    // streams: in file order, as StreamFinder gives them; must outlive the walk.
    ContainerWalk(std::int64_t containerSize, std::span<const FoundStream> streams);

    // True once the read position has reached the end of the container.
    bool Done() const { return position_ >= size_; }

    // The read position P: the container offset where the next window begins.
    std::int64_t Position() const { return position_; }

    // Takes the next window: up to kScanChunkSize bytes from P, and advances P past it.
    void ReadWindow();

    // The next stream, when its start marker lies wholly inside the window.
    std::optional<FoundStream> TakeStreamInWindow();

    // After a window without a start marker: false when that window reached the end of the
    // container (the walk is over); otherwise moves P back so that the next window overlaps
    // this one by three bytes, and says true.
    bool MovePastEmptyWindow();

    // Sets P; the next window begins there.
    void MoveTo(std::int64_t position) { position_ = position; }

  private:
    std::int64_t size_;
    std::span<const FoundStream> streams_;
    std::size_t next_ = 0;
    std::int64_t position_ = 0;
};

}  // namespace catalogue
