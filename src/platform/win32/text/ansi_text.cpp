#include "platform/win32/text/ansi_text.h"

#include <windows.h>

namespace vantrel::win32 {

std::wstring WideFrom(std::string_view bytes, unsigned codePage) {
    if (bytes.empty()) {
        return {};
    }
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), size, wide.data(), length);
    return wide;
}

std::string BytesFrom(std::wstring_view wide, unsigned codePage, unsigned long flags) {
    if (wide.empty()) {
        return {};
    }
    const int size = static_cast<int>(wide.size());
    const int length =
        WideCharToMultiByte(codePage, flags, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(codePage, flags, wide.data(), size, bytes.data(), length, nullptr, nullptr);
    return bytes;
}

std::string Utf8FromAnsi(std::string_view ansi) {
    return BytesFrom(WideFrom(ansi, CP_ACP), CP_UTF8);
}

std::string AnsiFromUtf8(std::string_view utf8) {
    return BytesFrom(WideFrom(utf8, CP_UTF8), CP_ACP);
}

// Windows takes no flags for conversions into UTF-8, the ANSI code page of systems set to use it,
// which holds every character anyway.
std::string ExactAnsiFromUtf8(std::string_view utf8) {
    const unsigned long flags = GetACP() == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    return BytesFrom(WideFrom(utf8, CP_UTF8), CP_ACP, flags);
}

}  // namespace vantrel::win32
