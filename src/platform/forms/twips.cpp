#include "platform/forms/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace vantrel {

double LogicalDpi() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->logicalDotsPerInch() : 96.0;
}

int TwipsToPixels(double twips, double dpi) {
    return static_cast<int>(std::lround(twips * dpi / kTwipsPerInch));
}

double PixelsToTwips(int pixels, double dpi) {
    return pixels * kTwipsPerInch / dpi;
}

QRect TwipsRect(double left, double top, double width, double height) {
    const double dpi = LogicalDpi();
    return {TwipsToPixels(left, dpi), TwipsToPixels(top, dpi), TwipsToPixels(width, dpi),
            TwipsToPixels(height, dpi)};
}

QSize TwipsSize(double width, double height) {
    const double dpi = LogicalDpi();
    return {TwipsToPixels(width, dpi), TwipsToPixels(height, dpi)};
}

void PlaceInTwips(QWidget& widget, double left, double top, double width, double height) {
    widget.setGeometry(TwipsRect(left, top, width, height));
}

}  // namespace vantrel
