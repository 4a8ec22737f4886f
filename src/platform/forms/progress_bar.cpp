#include "platform/forms/progress_bar.h"

#include <algorithm>

#include "shared/runtime_error.h"

namespace vantrel {

ProgressBar::ProgressBar(Form& parent) : Control(parent) {
    CreatePeer(*this);
}

void ProgressBar::SetRange(int min, int max) {
    if (max < min) {
        RuntimeError::Raise(RuntimeError::InvalidPropertyValue);
    }
    min_ = min;
    max_ = max;
    value_ = std::clamp(value_, min_, max_);
    Notify(Property::Content);
}

void ProgressBar::SetValue(int value) {
    if (value < min_ || value > max_) {
        RuntimeError::Raise(RuntimeError::InvalidPropertyValue);
    }
    value_ = value;
    Notify(Property::Content);
}

}  // namespace vantrel
