#include "platform/forms/twips.h"

#include <cmath>

namespace vantrel {

int TwipsToPixels(double twips, double dpi) {
    return static_cast<int>(std::lround(twips * dpi / kTwipsPerInch));
}

double PixelsToTwips(int pixels, double dpi) {
    return pixels * kTwipsPerInch / dpi;
}

}  // namespace vantrel
