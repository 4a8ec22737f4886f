#pragma once

// UTF-8, the program's own text, and UTF-16, the text of Windows and of its registry.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// Decodes the UTF-8 sequence at text[pos] and moves `pos` past it. A byte that starts no valid
// sequence (overlong forms, surrogates and cut-off sequences included) gives U+FFFD and is
// passed alone.
char32_t DecodeUtf8(std::string_view text, std::size_t& pos);

// Appends a code point as one code unit or a surrogate pair.
void AppendUtf16(std::u16string& out, char32_t code);

// Broken UTF-8 becomes U+FFFD, one per byte that starts no valid sequence.
std::u16string Utf8ToUtf16(std::string_view text);

// A surrogate without its partner becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

// Code units stored little-endian, two bytes each, as files and the registry keep them; an odd
// last byte is dropped.
std::u16string FromUtf16Le(std::span<const std::uint8_t> bytes);
void AppendUtf16Le(std::vector<std::uint8_t>& out, std::u16string_view text);

}  // namespace vantrel
