#include "platform/ansi.h"

#include <algorithm>
#include <limits>

#include "platform/kernel.h"
#include "shared/utf16.h"

namespace vantrel {
namespace {

// Windows' UTF-16 code units: wchar_t there, char16_t elsewhere.
using WideText = std::basic_string<WCHAR>;

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The conversion functions count in int; no name or path comes near that.
int LengthOf(std::size_t size) {
    return static_cast<int>(std::min<std::size_t>(size, std::numeric_limits<int>::max()));
}

// Runs one of the two conversion functions the Windows way: once for the size, once to fill.
template <typename Out, typename Conversion>
Out Converted(Conversion convert) {
    Out out(static_cast<std::size_t>(std::max(convert(nullptr, 0), 0)), typename Out::value_type{});
    if (!out.empty()) {
        out.resize(
            static_cast<std::size_t>(std::max(convert(out.data(), LengthOf(out.size())), 0)));
    }
    return out;
}

}  // namespace

// Text in ASCII is the same in every ANSI code page, and most names are.
std::string ToAnsi(std::string_view text, unsigned codePage) {
    if (IsAscii(text)) {
        return std::string(text);
    }
    const std::u16string utf16 = Utf8ToUtf16(text);
    const WideText wide(utf16.begin(), utf16.end());
    return Converted<std::string>([&](char* out, int capacity) {
        return WideCharToMultiByte(codePage, 0, wide.data(), LengthOf(wide.size()), out, capacity,
                                   nullptr, nullptr);
    });
}

// The code page is read from the environment each time; text in ASCII needs none.
std::string ToAnsi(std::string_view text) {
    return IsAscii(text) ? std::string(text) : ToAnsi(text, GetACP());
}

std::string FromAnsi(std::string_view bytes, unsigned codePage) {
    if (IsAscii(bytes)) {
        return std::string(bytes);
    }
    const WideText wide = Converted<WideText>([&](WCHAR* out, int capacity) {
        return MultiByteToWideChar(codePage, 0, bytes.data(), LengthOf(bytes.size()), out,
                                   capacity);
    });
    return Utf16ToUtf8(std::u16string(wide.begin(), wide.end()));
}

std::string FromAnsi(std::string_view bytes) {
    return IsAscii(bytes) ? std::string(bytes) : FromAnsi(bytes, GetACP());
}

}  // namespace vantrel
