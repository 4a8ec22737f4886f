#pragma once

// Positions and sizes of the two windows are designed in twips, 1/1440 inch; the screen's
// logical resolution turns them into pixels (15 twips a pixel at 96 dots per inch).

#include <QRect>
#include <QSize>

class QWidget;

namespace vantrel {

inline constexpr double kTwipsPerInch = 1440.0;

// The logical dots per inch of the primary screen (96 when there is none yet).
double LogicalDpi();

// Twips to whole pixels at `dpi`, to the nearest pixel.
int TwipsToPixels(double twips, double dpi);
double PixelsToTwips(int pixels, double dpi);

// A rectangle or size given in twips, in pixels of the primary screen.
QRect TwipsRect(double left, double top, double width, double height);
QSize TwipsSize(double width, double height);

// Places a control (or sizes a window's client area) as its design gives it in twips.
void PlaceInTwips(QWidget& widget, double left, double top, double width, double height);

}  // namespace vantrel
