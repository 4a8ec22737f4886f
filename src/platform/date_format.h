#pragma once

// How dates are shown to people: the platform's general date/time form in the user's locale.

#include <string>

#include "shared/date_time.h"

namespace vantrel {

// The locale's short date followed by its time of day; a time of exactly midnight is left out.
std::string GeneralDateTimeText(const DateTime& value);

}  // namespace vantrel
