#pragma once

#include <string>
#include <string_view>

namespace vantrel {

// Text inside the program is UTF-8. The registry and the cabinet service speak the Windows ANSI
// code page of the user's locale (GetACP), one or two bytes per character. The conversions are
// the platform's own (MultiByteToWideChar, WideCharToMultiByte of platform/kernel.h), which is
// why they live in the platform layer and not in src/shared, which needs none of it.

// UTF-8 to ANSI bytes. Characters the code page lacks, and broken UTF-8, become "?".
std::string ToAnsi(std::string_view text, unsigned codePage);
std::string ToAnsi(std::string_view text);

// ANSI bytes to UTF-8. Bytes that are not a character of the code page become U+FFFD.
std::string FromAnsi(std::string_view bytes, unsigned codePage);
std::string FromAnsi(std::string_view bytes);

}  // namespace vantrel
