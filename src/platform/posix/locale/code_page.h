#pragma once

// The Windows ANSI code page a POSIX locale stands for, which GetACP answers with here.

#include <string_view>

namespace vantrel {

// The ANSI code page Windows would use for a locale name such as "ja_JP.UTF-8": 932, 936, 949,
// 950, 874, 1250 to 1258, and 1252 for everything else (C and POSIX included).
int AnsiCodePageForLocale(std::string_view locale);

}  // namespace vantrel
