#include "platform/Sleep.h"

#include <chrono>
#include <thread>
#include <utility>

namespace platform {
namespace {

std::function<void(std::uint32_t)>& Replacement() {
    static std::function<void(std::uint32_t)> replacement;
    return replacement;
}

}  // namespace

void Sleep(std::uint32_t milliseconds) {
    if (const auto& replacement = Replacement()) {
        replacement(milliseconds);
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void SetSleepForTesting(std::function<void(std::uint32_t milliseconds)> replacement) {
    Replacement() = std::move(replacement);
}

}  // namespace platform
