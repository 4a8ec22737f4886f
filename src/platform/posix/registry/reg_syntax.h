#pragma once

// The text forms of a Wine registry file, read as Wine's own loader reads them.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win_types.h"

namespace vantrel::wine_reg {

// Blank as for isspace() in the C locale, which is what Wine's loader skips.
bool IsBlank(char c);
std::size_t SkipBlanks(std::string_view text, std::size_t pos);
std::string_view TrimLeft(std::string_view text);

constexpr char32_t kCutOffCharacter = 0xFFFFFFFF;

// The character at `pos` of a string in Wine's form, moving `pos` past it: C escapes, "\xH" to
// "\xHHHH" as one UTF-16 code unit, one to three octal digits, and any other escaped character
// as itself; unescaped bytes are UTF-8. kCutOffCharacter when the line ends inside an escape.
char32_t NextStringCharacter(std::string_view text, std::size_t& pos);

// Reads a string in Wine's form from `pos` up to the unescaped `end` character, handing each
// UTF-16 code unit to `take`, which returns false to stop the reading. Returns the position after
// `end`; nullopt when the line ends first or `take` stopped.
template <typename Take>
std::optional<std::size_t> ParseString(std::string_view text, std::size_t pos, char end,
                                       Take&& take) {
    while (pos < text.size() && text[pos] != end) {
        const char32_t c = NextStringCharacter(text, pos);
        if (c == kCutOffCharacter) {
            return std::nullopt;
        }
        const bool taken = c < 0x10000
                               ? take(static_cast<char16_t>(c))
                               : take(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10))) &&
                                     take(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
        if (!taken) {
            return std::nullopt;
        }
    }
    if (pos >= text.size()) {
        return std::nullopt;
    }
    return pos + 1;
}

// The same, collecting the code units in `out`.
std::optional<std::size_t> ParseString(std::string_view text, std::size_t pos, char end,
                                       std::u16string& out);

// Hex bytes separated by commas, as in "hex:" data, appended to `out`. Returns the position
// after the last one, or nullopt for a number above 0xff or data beyond the most a value may
// carry.
std::optional<std::size_t> ParseHexBytes(std::string_view text, std::size_t pos,
                                         std::vector<BYTE>& out);

// "dword:" data is read with strtoul, as Wine does: no digits give 0, too many give all ones.
DWORD ParseDword(std::string_view text);

enum class DataForm { String, Hex, Dword };

struct DataStart {
    DWORD Type;
    DataForm Form;
    std::size_t Pos;  // where the data itself begins
};

// The form and type announced at `pos`: "\"", "str:\"", "str(2):\"", "str(7):\"", "hex:",
// "hex(N):" (N in hex) or "dword:".
std::optional<DataStart> ParseDataTag(std::string_view text, std::size_t pos);

}  // namespace vantrel::wine_reg
