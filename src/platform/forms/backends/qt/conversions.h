#pragma once

// The forms' units and appearance in Qt's terms.

#include <QColor>
#include <QFont>
#include <QRect>
#include <QSize>

#include "platform/forms/appearance.h"
#include "platform/forms/twips.h"

namespace vantrel {

// The logical dots per inch of the primary screen (96 when there is none yet).
double LogicalDpi();

QRect PixelRect(const TwipsRect& twips);
QSize PixelSize(float width, float height);
float TwipsOf(int pixels);

// System colours by their number: the button face is the style's button colour.
QColor ToQColor(Color color);
QFont ToQFont(const StdFont& font);

}  // namespace vantrel
