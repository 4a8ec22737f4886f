#include "shared/date_time.h"

#include <cstdio>

namespace vantrel {

std::string DateTime::SortText() const {
    char text[32];
    std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d", Year, Month, Day, Hour, Minute,
                  Second);
    return text;
}

}  // namespace vantrel
