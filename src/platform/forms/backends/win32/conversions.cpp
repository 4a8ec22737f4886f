#include "platform/forms/backends/win32/conversions.h"

#include <cmath>
#include <cwchar>

#include "platform/win32/text/ansi_text.h"

namespace vantrel::win32 {
namespace {

// A device context of the screen for as long as it lives.
class ScreenDc {
  public:
    ScreenDc() : dc_(GetDC(nullptr)) {}
    ~ScreenDc() { ReleaseDC(nullptr, dc_); }
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    HDC Get() const { return dc_; }

  private:
    HDC dc_;
};

}  // namespace

std::wstring Wide(std::string_view utf8) {
    return WideFrom(utf8, CP_UTF8);
}

std::string Utf8(std::wstring_view wide) {
    return BytesFrom(wide, CP_UTF8);
}

Dpi ScreenDpi() {
    const ScreenDc screen;
    return {GetDeviceCaps(screen.Get(), LOGPIXELSX), GetDeviceCaps(screen.Get(), LOGPIXELSY)};
}

RECT PixelRect(const TwipsRect& twips) {
    const Dpi dpi = ScreenDpi();
    const int left = TwipsToPixels(twips.Left, dpi.Across);
    const int top = TwipsToPixels(twips.Top, dpi.Down);
    return {left, top, left + TwipsToPixels(twips.Width, dpi.Across),
            top + TwipsToPixels(twips.Height, dpi.Down)};
}

SIZE PixelSize(float width, float height) {
    const Dpi dpi = ScreenDpi();
    return {TwipsToPixels(width, dpi.Across), TwipsToPixels(height, dpi.Down)};
}

float TwipsAcross(int pixels) {
    return static_cast<float>(PixelsToTwips(pixels, ScreenDpi().Across));
}

float TwipsDown(int pixels) {
    return static_cast<float>(PixelsToTwips(pixels, ScreenDpi().Down));
}

COLORREF ToColorRef(Color color) {
    if (color.IsSystem()) {
        return GetSysColor(color.SystemIndex());
    }
    return RGB(color.Red(), color.Green(), color.Blue());
}

UniqueFont CreateFontOf(const StdFont& font) {
    LOGFONTW description{};
    description.lfHeight = -static_cast<LONG>(std::lround(font.Size * ScreenDpi().Down / 72.0));
    description.lfWeight = font.Bold ? FW_BOLD : FW_NORMAL;
    description.lfItalic = font.Italic ? TRUE : FALSE;
    description.lfCharSet = DEFAULT_CHARSET;
    description.lfOutPrecision = OUT_DEFAULT_PRECIS;
    description.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    description.lfQuality = DEFAULT_QUALITY;
    description.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    const std::wstring face = Wide(font.Name);
    std::wcsncpy(description.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    return UniqueFont(CreateFontIndirectW(&description));
}

SIZE TextExtent(HFONT font, std::string_view text) {
    const ScreenDc screen;
    const HGDIOBJ previous = SelectObject(screen.Get(), font);
    const std::wstring wide = Wide(text);
    SIZE size{};
    GetTextExtentPoint32W(screen.Get(), wide.c_str(), static_cast<int>(wide.size()), &size);
    SelectObject(screen.Get(), previous);
    return size;
}

}  // namespace vantrel::win32
