#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "lzx/lzx_encoder.h"
#include "shared/cab_format.h"

namespace vantrel::lzx {

struct CabMember {
    std::string Name;  // "\" between folders
    std::uint32_t Size = 0;
    std::uint16_t DosDate = 0;
    std::uint16_t DosTime = 0;
    std::uint16_t Attribs = cab::kAttribArchive;
};

// A cabinet of one folder: `members` in order, their data the concatenation that `frames` hold,
// one data block per frame, each with its checksum.
std::vector<std::uint8_t> BuildCabinet(const std::vector<CabMember>& members,
                                       const std::vector<Frame>& frames,
                                       std::uint16_t compressionType);

}  // namespace vantrel::lzx
