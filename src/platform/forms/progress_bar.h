#pragma once

#include "platform/forms/control.h"

namespace vantrel {

// How far a piece of work has come, between Min and Max. Min equal to Max means the amount of
// work is not known yet: the bar shows that it is busy.
class ProgressBar : public Control {
  public:
    explicit ProgressBar(Form& parent);

    int Min() const { return min_; }
    int Max() const { return max_; }
    int Value() const { return value_; }

    // Sets the range and moves the value into it. A Max below Min raises RaisedError 380
    // "Invalid property value".
    void SetRange(int min, int max);
    // A value outside the range raises RaisedError 380.
    void SetValue(int value);

  private:
    int min_ = 0;
    int max_ = 100;
    int value_ = 0;
};

}  // namespace vantrel
