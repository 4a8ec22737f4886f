#pragma once

// Names as the Wine registry compares them: UTF-16 code units, without regard to case.

#include <string>
#include <string_view>

namespace vantrel {

// The upper-case form registry names are compared in: ASCII, Latin-1, Latin Extended-A, Greek,
// Cyrillic, Armenian and the full-width Latin letters. Other characters compare exactly.
char16_t FoldCase(char16_t c);
std::u16string FoldCase(std::u16string_view text);

}  // namespace vantrel
