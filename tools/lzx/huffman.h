#pragma once

#include <cstdint>
#include <vector>

namespace vantrel::lzx {

// Code lengths for symbols with the given frequencies, none longer than `maxLength`. Every
// decoder accepts only complete codes, so the result always has at least two coded symbols
// (unused ones are given the rarest codes when fewer than two occur).
std::vector<std::uint8_t> CodeLengths(std::vector<std::uint32_t> frequencies, unsigned maxLength);

// The canonical codes for `lengths`: shorter codes first, equal lengths in symbol order, the way
// LZX decoders rebuild them from the lengths alone.
std::vector<std::uint32_t> CanonicalCodes(const std::vector<std::uint8_t>& lengths);

}  // namespace vantrel::lzx
