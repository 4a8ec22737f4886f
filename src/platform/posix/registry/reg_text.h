#pragma once

// Text as the Wine registry holds it: UTF-16 code units, names compared without regard to case.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace vantrel {

// Decodes the UTF-8 sequence at text[pos] and moves `pos` past it. A byte that starts no valid
// sequence gives U+FFFD and is passed alone.
char32_t DecodeUtf8(std::string_view text, std::size_t& pos);

// Appends a code point as one code unit or a surrogate pair.
void AppendUtf16(std::u16string& out, char32_t code);

// Broken UTF-8 becomes U+FFFD, one per byte that starts no valid sequence.
std::u16string Utf8ToUtf16(std::string_view text);

// A surrogate without its partner becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

// Code units stored little-endian, two bytes each; an odd last byte is dropped.
std::u16string FromUtf16Le(std::span<const std::uint8_t> bytes);

// The upper-case form registry names are compared in: ASCII, Latin-1, Latin Extended-A, Greek,
// Cyrillic, Armenian and the full-width Latin letters. Other characters compare exactly.
char16_t FoldCase(char16_t c);
std::u16string FoldCase(std::u16string_view text);

}  // namespace vantrel
