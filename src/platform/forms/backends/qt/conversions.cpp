#include "platform/forms/backends/qt/conversions.h"

#include <QApplication>
#include <QPalette>
#include <QScreen>

namespace vantrel {
namespace {

QPalette::ColorRole SystemColorRole(std::uint8_t index) {
    switch (index) {
        case kButtonFace.SystemIndex():
            return QPalette::Button;
        case kButtonText.SystemIndex():
            return QPalette::ButtonText;
        default:
            return QPalette::WindowText;
    }
}

}  // namespace

double LogicalDpi() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->logicalDotsPerInch() : 96.0;
}

QRect PixelRect(const TwipsRect& twips) {
    const double dpi = LogicalDpi();
    return {TwipsToPixels(twips.Left, dpi), TwipsToPixels(twips.Top, dpi),
            TwipsToPixels(twips.Width, dpi), TwipsToPixels(twips.Height, dpi)};
}

QSize PixelSize(float width, float height) {
    const double dpi = LogicalDpi();
    return {TwipsToPixels(width, dpi), TwipsToPixels(height, dpi)};
}

float TwipsOf(int pixels) {
    return static_cast<float>(PixelsToTwips(pixels, LogicalDpi()));
}

QColor ToQColor(Color color) {
    if (color.IsSystem()) {
        return QApplication::palette().color(SystemColorRole(color.SystemIndex()));
    }
    return {color.Red(), color.Green(), color.Blue()};
}

QFont ToQFont(const StdFont& font) {
    QFont qfont(QString::fromStdString(font.Name));
    qfont.setPointSizeF(font.Size);
    qfont.setWeight(font.Bold ? QFont::Bold : QFont::Normal);
    qfont.setItalic(font.Italic);
    return qfont;
}

}  // namespace vantrel
