#include "platform/date_format.h"

#include <windows.h>

#include "platform/win32/text/ansi_text.h"

namespace vantrel {
namespace {

SYSTEMTIME SystemTimeOf(const DateTime& value) {
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(value.Year);
    time.wMonth = static_cast<WORD>(value.Month);
    time.wDay = static_cast<WORD>(value.Day);
    time.wHour = static_cast<WORD>(value.Hour);
    time.wMinute = static_cast<WORD>(value.Minute);
    time.wSecond = static_cast<WORD>(value.Second);
    return time;
}

// Both functions answer the length with the terminating zero, or 0 when they fail.
template <typename Format>
std::string Formatted(Format format) {
    char text[128];
    const int length = format(text, static_cast<int>(sizeof text));
    return length > 0 ? win32::Utf8FromAnsi(std::string_view(text, length - 1)) : std::string();
}

}  // namespace

std::string GeneralDateTimeText(const DateTime& value) {
    const SYSTEMTIME time = SystemTimeOf(value);
    const std::string date = Formatted([&](char* text, int size) {
        return GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, text, size);
    });
    if (value.Hour == 0 && value.Minute == 0 && value.Second == 0) {
        return date;
    }
    return date + " " + Formatted([&](char* text, int size) {
               return GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &time, nullptr, text, size);
           });
}

}  // namespace vantrel
