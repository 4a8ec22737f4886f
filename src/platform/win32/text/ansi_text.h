#pragma once

// The Windows "A" functions speak the system's ANSI code page; the program speaks UTF-8. These
// convert at that boundary, as the program does with every text it hands to the system.

#include <string>
#include <string_view>

namespace vantrel::win32 {

// ANSI bytes of the system's code page (GetACP) as UTF-8.
std::string Utf8FromAnsi(std::string_view ansi);

// Bytes in the code page `codePage` (CP_ACP, CP_UTF8, ...) as UTF-16, and back; `flags` are
// WideCharToMultiByte's.
std::wstring WideFrom(std::string_view bytes, unsigned codePage);
std::string BytesFrom(std::wstring_view wide, unsigned codePage, unsigned long flags = 0);

// UTF-8 as ANSI bytes, as the system converts: a character the code page lacks becomes its
// nearest fit ("é" is "e" in code page 932) or, without one, "?".
std::string AnsiFromUtf8(std::string_view utf8);

// UTF-8 as ANSI bytes without near fits: a character the code page lacks becomes "?", which no
// file name may hold. A name is then kept as it is or refused, never silently made another
// ("Café.png" does not become "Cafe.png" in code page 932).
std::string ExactAnsiFromUtf8(std::string_view utf8);

}  // namespace vantrel::win32
