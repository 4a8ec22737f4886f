#pragma once

#include <initializer_list>

#include "platform/forms/control.h"

namespace vantrel {

enum class Background {
    Transparent,  // what lies under the label shows through
    Opaque,
};

// A line of text on a form, plain, from the top-left corner of its place.
class Label : public CaptionedControl {
  public:
    explicit Label(Form& parent);

    Color ForeColor() const { return foreColor_; }
    void SetForeColor(Color color);
    Background BackStyle() const { return backStyle_; }
    void SetBackStyle(Background style);

  private:
    Color foreColor_ = kButtonText;
    Background backStyle_ = Background::Opaque;
};

// The windows were designed around a narrow system font; where the font that stands in for it
// runs wider, a caption would be cut off at its label's width. Makes the labels' font smaller,
// half a point at a time, until every caption fits, but not below 6 points; labels fitted
// together keep one size, as lines of one message. The first label's font is the one shrunk.
void FitCaptionsToWidth(std::initializer_list<Label*> labels);

}  // namespace vantrel
