#include "platform/ProgressModel.h"

#include <algorithm>
#include <utility>

#include "platform/Errors.h"

namespace platform {

ProgressModel::ProgressModel(std::string className) : className_(std::move(className)) {}

void ProgressModel::SetMin(std::int32_t value) {
    if (value > max_) {
        throw PropertyOutOfRangeError(className_);
    }
    min_ = value;
}

void ProgressModel::SetMax(std::int32_t value) {
    if (value < min_) {
        throw PropertyOutOfRangeError(className_);
    }
    max_ = value;
}

void ProgressModel::SetPosition(std::int32_t value) { position_ = value; }

std::int32_t ProgressModel::ShownPosition() const { return std::clamp(position_, min_, max_); }

}  // namespace platform
