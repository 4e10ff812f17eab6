#pragma once

#include <cstdint>
#include <functional>

namespace platform {

// Suspends the calling thread for the given number of milliseconds. Nothing is handled
// meanwhile: the window does not repaint.
void Sleep(std::uint32_t milliseconds);

// Replaces the pause, so that a test can count pauses or act in them instead of waiting; an
// empty function restores the real pause.
void SetSleepForTesting(std::function<void(std::uint32_t milliseconds)> replacement);

}  // namespace platform
