#pragma once

// The English texts Windows gives its system error codes, for the codes the program's platform
// services report. One table, for every part of the program that explains a code to people.

#include <cstdint>
#include <string>

namespace vantrel {

// "The system cannot find the file specified." for 2, and so on; "Unknown error." for a code
// the table does not hold.
std::string SystemErrorText(std::int32_t code);

}  // namespace vantrel
