#pragma once

#include <initializer_list>

class QLabel;

namespace vantrel {

// The dialogs were designed around a narrow system font; where the font that stands in for it
// runs wider, a label's text would be cut off at the label's designed width. Makes the labels'
// font smaller, half a point at a time, until every text fits, but not below 6 points; labels
// fitted together keep one size, as lines of one message.
void FitTextToWidth(std::initializer_list<QLabel*> labels);

}  // namespace vantrel
