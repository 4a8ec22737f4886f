#pragma once

// The forms' units, texts and appearance in the terms of user32 and GDI.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <memory>
#include <string>
#include <string_view>
#include <type_traits>

#include "platform/forms/appearance.h"
#include "platform/forms/twips.h"

namespace vantrel::win32 {

// The program's UTF-8 as the UTF-16 of the W functions, and back.
std::wstring Wide(std::string_view utf8);
std::string Utf8(std::wstring_view wide);

// The screen's logical resolution, across and down: 96 dots per inch unless the user chose
// larger text. Twips across are converted with the first, twips down with the second.
struct Dpi {
    int Across;
    int Down;
};
Dpi ScreenDpi();

RECT PixelRect(const TwipsRect& twips);
SIZE PixelSize(float width, float height);
float TwipsAcross(int pixels);
float TwipsDown(int pixels);

COLORREF ToColorRef(Color color);

// GDI objects are deleted with their holder.
struct GdiObjectDeleter {
    void operator()(void* object) const { DeleteObject(static_cast<HGDIOBJ>(object)); }
};
using UniqueFont = std::unique_ptr<std::remove_pointer_t<HFONT>, GdiObjectDeleter>;
using UniqueBrush = std::unique_ptr<std::remove_pointer_t<HBRUSH>, GdiObjectDeleter>;

// `font` at the screen's resolution. A face the system lacks is replaced by its font mapper.
UniqueFont CreateFontOf(const StdFont& font);

// The size `text` takes on one line in `font`, in pixels.
SIZE TextExtent(HFONT font, std::string_view text);

}  // namespace vantrel::win32
