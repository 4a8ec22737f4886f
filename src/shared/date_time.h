#pragma once

#include <compare>
#include <string>

namespace vantrel {

// A calendar date with a time of day to the second, without time zone.
struct DateTime {
    int Year = 1899;
    int Month = 12;
    int Day = 30;
    int Hour = 0;
    int Minute = 0;
    int Second = 0;

    // 1899-12-30 00:00:00, the value a date-time has before anything was stored in it.
    static DateTime Zero() { return {}; }

    // "yyyymmddhhmmss": fourteen digits that sort in time order.
    std::string SortText() const;

    auto operator<=>(const DateTime&) const = default;
};

}  // namespace vantrel
