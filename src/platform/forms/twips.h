#pragma once

// Positions and sizes of the windows are designed in twips, 1/1440 inch; a screen's logical
// resolution turns them into pixels (15 twips a pixel at 96 dots per inch).

namespace vantrel {

inline constexpr double kTwipsPerInch = 1440.0;

// Twips to whole pixels at `dpi`, to the nearest pixel, and back.
int TwipsToPixels(double twips, double dpi);
double PixelsToTwips(int pixels, double dpi);

// A control's place on its form: left, top, width and height in twips, single precision as the
// forms runtime keeps them.
struct TwipsRect {
    float Left = 0;
    float Top = 0;
    float Width = 0;
    float Height = 0;
    bool operator==(const TwipsRect&) const = default;
};

}  // namespace vantrel
