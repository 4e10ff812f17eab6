#pragma once

#include <cstdint>
#include <string>

namespace platform {

// The range and position of a progress indicator, kept apart from any widget so that the scan
// can be run and tested without a window. A minimum above the maximum is refused with
// PropertyOutOfRangeError naming the control's class; a position outside the range is kept
// and shown clamped.
class ProgressModel {
public:
    explicit ProgressModel(std::string className = "TProgressBar");

    void SetMin(std::int32_t value);
    void SetMax(std::int32_t value);
    void SetPosition(std::int32_t value);

    std::int32_t Min() const { return min_; }
    std::int32_t Max() const { return max_; }
    std::int32_t Position() const { return position_; }
    // The position as drawn: clamped into [Min, Max].
    std::int32_t ShownPosition() const;

private:
    std::string className_;
    std::int32_t min_ = 0;
    std::int32_t max_ = 100;
    std::int32_t position_ = 0;
};

}  // namespace platform
