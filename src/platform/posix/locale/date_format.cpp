#include "platform/date_format.h"

#include <locale.h>
#include <time.h>

namespace vantrel {
namespace {

// The time conventions of the user's locale (LC_ALL, else LC_TIME, else LANG), read once; the
// C locale's when that one is not installed.
locale_t UserTimeLocale() {
    static const locale_t locale = [] {
        locale_t user = newlocale(LC_TIME_MASK, "", static_cast<locale_t>(0));
        return user != static_cast<locale_t>(0)
                   ? user
                   : newlocale(LC_TIME_MASK, "C", static_cast<locale_t>(0));
    }();
    return locale;
}

std::string Format(const char* pattern, const tm& fields) {
    char text[128];
    const size_t length = strftime_l(text, sizeof text, pattern, &fields, UserTimeLocale());
    return std::string(text, length);
}

}  // namespace

std::string GeneralDateTimeText(const DateTime& value) {
    tm fields{};
    fields.tm_year = value.Year - 1900;
    fields.tm_mon = value.Month - 1;
    fields.tm_mday = value.Day;
    fields.tm_hour = value.Hour;
    fields.tm_min = value.Minute;
    fields.tm_sec = value.Second;
    const std::string date = Format("%x", fields);
    if (value.Hour == 0 && value.Minute == 0 && value.Second == 0) {
        return date;
    }
    return date + " " + Format("%X", fields);
}

}  // namespace vantrel
