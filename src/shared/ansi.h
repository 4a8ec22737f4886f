#pragma once

#include <string>
#include <string_view>

namespace vantrel {

// Text inside the program is UTF-8. The registry and the cabinet service speak the Windows ANSI
// code page of the user's locale, one or two bytes per character.

// The ANSI code page Windows would use for a locale name such as "ja_JP.UTF-8": 932, 936, 949,
// 950, 874, 1250 to 1258, and 1252 for everything else (C and POSIX included).
int AnsiCodePageForLocale(std::string_view locale);

// The code page of the current user: the locale named by LC_ALL, else LC_CTYPE, else LANG.
int AnsiCodePage();

// UTF-8 to ANSI bytes. Characters the code page lacks, and broken UTF-8, become "?".
std::string ToAnsi(std::string_view text, int codePage);
std::string ToAnsi(std::string_view text);

// ANSI bytes to UTF-8. Bytes that are not a character of the code page become U+FFFD.
std::string FromAnsi(std::string_view bytes, int codePage);
std::string FromAnsi(std::string_view bytes);

}  // namespace vantrel
