#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "support/cab_builder.h"

namespace vantrel::test {

// A cabinet set written byte by byte, laid out as cabinet makers split one: a part ends inside a
// file, whose folder then continues into the next part holding only the rest of that file; the
// files after it start a new folder there. Each header names its neighbours, and the split file
// is listed in every part it lies in, as continued to the next, from the previous, or both.
struct CabSetLayout {
    std::vector<std::string> PartNames;  // file names of the parts, first to last
    // For each boundary between two parts, the index of the file that is split there. Non-
    // decreasing; a file given for several boundaries in a row spans that many parts.
    std::vector<std::size_t> SplitFiles;
    std::size_t BlockSize = 1024;  // bytes per data block at most
    unsigned short SetId = 0x1234;
};

// The bytes of each part, in the order of `layout.PartNames`.
std::vector<std::string> BuildStoredCabSet(const std::vector<CabEntry>& entries,
                                           const CabSetLayout& layout);

}  // namespace vantrel::test
