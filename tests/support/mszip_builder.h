#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/cab_builder.h"

namespace vantrel::test {

// How the deflate stream of one frame is made (with zlib).
enum class FrameCoding {
    Default,       // zlib's level 6: dynamic Huffman blocks, or a stored one for random bytes
    Stored,        // level 0: stored blocks only
    Fixed,         // fixed Huffman codes only
    HuffmanOnly,   // dynamic codes, literals only
    SeveralBlocks  // cut into two or three blocks of different kinds, with empty ones between
};

// An MSZIP cabinet written byte by byte. Left at their defaults, the fields give what cabinet
// makers write: one folder, frames of 32 KiB, checksums, no reserved areas.
struct MszipLayout {
    // Output bytes of the first frames, one size each; the frames after them take 32 KiB.
    std::vector<std::size_t> FrameSizes;
    std::vector<FrameCoding> Codings = {FrameCoding::Default};  // frame i takes i % size()
    // Each frame may look back 32 KiB into the window libmspack keeps: a ring the frames are
    // written into from its start. Cabinet makers' frames are 32 KiB, and the ring then holds
    // exactly the last 32 KiB. With this off, frames look back into the last 32 KiB of output
    // instead, which after a short frame is not what libmspack has: the cabinet then unpacks to
    // something else than its files, the same with every decoder that follows libmspack.
    bool RingDictionary = true;
    bool Checksums = true;
    std::size_t JunkBeforeSignature = 0;  // bytes before "CK" in every frame (libmspack skips)
    std::uint16_t HeaderReserve = 0;      // sizes of the reserved areas; any of them set makes
    std::uint8_t FolderReserve = 0;       // the header carry all three
    std::uint8_t DataReserve = 0;
    std::size_t Folders = 1;  // the files are dealt out to this many folders, in turn
};

std::string BuildMszipCab(const std::vector<CabEntry>& entries, const MszipLayout& layout = {});

}  // namespace vantrel::test
