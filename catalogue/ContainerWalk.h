#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace catalogue {

// Every stream opens with "SCHl" and closes with "SCEl" followed by the byte 0x08.
inline constexpr std::array<std::uint8_t, 4> kStartPattern = {0x53, 0x43, 0x48, 0x6C};
inline constexpr std::array<std::uint8_t, 5> kEndPattern = {0x53, 0x43, 0x45, 0x6C, 0x08};

// The most container bytes that one window pass looks at for a start marker.
inline constexpr std::int64_t kScanChunkSize = 100000;

// The walk through a container held whole in memory, one window pass at a time. It finds the
// streams by the rule "from position P, take the next start marker s; its end e is just past
// the next end pattern whose first byte lies at or after s + 4, or the end of the container
// when there is none; go on from e". The caller drives it pass by pass, so that it can report
// progress, pump the window and record each stream between the steps:
//
//   while (!walk.Done()) {
//       walk.ReadWindow();
//       start = walk.FindStartInWindow();
//       if (!start) { if (!walk.MovePastEmptyWindow()) break; continue; }
//       end = walk.FindEnd(*start);
//       walk.MoveTo(end);
//   }
//
// Windows are views into the caller's bytes, which must outlive the walk; nothing is copied.
// Every byte is searched a bounded number of times, so the cost is linear in the container size.
class ContainerWalk {
  public:
    explicit ContainerWalk(std::span<const std::uint8_t> container);

    // True once the read position has reached the end of the container.
    bool Done() const { return position_ >= size(); }

    // The read position P: the container offset of the next byte to read.
    std::int64_t Position() const { return position_; }

    // Takes the next window: the bytes from P up to kScanChunkSize of them, and advances P past it.
    void ReadWindow();

    // The container offset of the first start marker lying wholly inside the window.
    std::optional<std::int64_t> FindStartInWindow() const;

    // After a window without a start marker: false when that window reached the end of the
    // container (the walk is over); otherwise moves P back so that the next window overlaps
    // this one by three bytes, which finds a start marker that crosses the border, and says true.
    bool MovePastEmptyWindow();

    // The exclusive end of the stream whose start marker lies at start: just past the first end
    // pattern that begins at start + 4 or later, wherever it lies, or the container's size when
    // no end pattern follows (a truncated stream).
    std::int64_t FindEnd(std::int64_t start) const;

    // Sets P; the next window begins there.
    void MoveTo(std::int64_t position) { position_ = position; }

  private:
    std::int64_t size() const { return static_cast<std::int64_t>(container_.size()); }

    std::span<const std::uint8_t> container_;
    std::int64_t position_ = 0;
    std::span<const std::uint8_t> window_;
};

}  // namespace catalogue
