#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "shared/cab_format.h"

namespace vantrel::test {

// One file of a cabinet written byte by byte: the name is stored exactly as given, so a test can
// put any bytes there (hostile paths, legacy code pages, names flagged as UTF-8).
struct CabEntry {
    std::string Name;
    std::string Data;
    std::uint16_t DosDate = (29 << 9) | (1 << 5) | 1;  // 2009-01-01
    std::uint16_t DosTime = 12 << 11;                  // 12:00:00
    std::uint16_t Attribs = cab::kAttribArchive;       // cab::kAttribUtf8Name flags a UTF-8 name
    // What the file table claims instead of the truth, for cabinets that lie.
    std::optional<std::uint16_t> FolderIndex = std::nullopt;     // iFolder (0xFFFD..0xFFFF: sets)
    std::optional<std::uint32_t> DeclaredSize = std::nullopt;    // cbFile
    std::optional<std::uint32_t> OffsetInFolder = std::nullopt;  // uoffFolderStart
};

// The header and folder fields of a stored cabinet. Left unset, each holds the truth.
struct CabLayout {
    std::optional<std::uint32_t> CabinetSize = std::nullopt;  // cbCabinet
    std::optional<std::uint32_t> FilesOffset = std::nullopt;  // coffFiles
    std::optional<std::uint32_t> DataOffset = std::nullopt;   // the folder's coffCabStart
    std::optional<std::uint16_t> DataBlocks = std::nullopt;   // the folder's cCFData
    std::uint16_t CompressionType = 0;  // typeCompress; the data stays stored regardless
    bool Checksums = false;             // real data block checksums instead of 0
};

// An uncompressed cabinet with one folder holding `entries` in order, in data blocks of 32 KiB.
// No entries gives a cabinet with no folder and no file, which no Debian tool will write.
std::string BuildStoredCab(const std::vector<CabEntry>& entries, const CabLayout& layout = {});

// Where the parts of a cabinet without reserved areas begin, read from its own header and
// folder table (the first folder's data).
struct CabRegions {
    std::size_t FolderTable = 0;
    std::size_t FileTable = 0;
    std::size_t Data = 0;
    std::size_t End = 0;
};
CabRegions RegionsOf(const std::string& cabinet);

// The entry of folder `index` of a cabinet without reserved areas or neighbours.
cab::FolderEntry FolderEntryAt(const std::string& cabinet, std::size_t index);

// The header of the data block at `at`; PatchDataHeader rewrites it with `change`.
cab::DataHeader DataHeaderAt(const std::string& cabinet, std::size_t at);
void PatchDataHeader(std::string& cabinet, std::size_t at,
                     const std::function<void(cab::DataHeader&)>& change);

// What a cabinet holds, in the order it lies, for the builders: WriteCab adds the headers and
// works out every size, count and offset.
struct CabBlock {
    std::string Data;  // as stored
    std::uint16_t UncompressedSize = 0;
};
struct CabFolder {
    std::uint16_t CompressionType = cab::kStored;
    std::vector<CabBlock> Blocks;
};
struct CabListing {
    cab::FileEntry Fields;
    std::string Name;
};
// A neighbouring part of a cabinet set: its file name and its disk's name.
using CabNeighbour = std::pair<std::string, std::string>;
struct CabContent {
    std::uint16_t SetId = 0x1234;
    std::uint16_t Number = 0;
    std::optional<CabNeighbour> Previous = std::nullopt;
    std::optional<CabNeighbour> Next = std::nullopt;
    // The reserved areas, filled with 'h', 'f' and 'r'; none without.
    std::optional<cab::ReserveSizes> Reserve = std::nullopt;
    std::vector<CabFolder> Folders = {};
    std::vector<CabListing> Files = {};
    bool Checksums = false;  // real data block checksums instead of 0
};
std::string WriteCab(const CabContent& content);

// Overwrites the little-endian field at `at` of a finished cabinet.
void PatchLe32(std::string& cabinet, std::size_t at, std::uint32_t value);

// Runs gcab to pack every file under `sourceDir` (relative names, "\" inside the cabinet) into
// `cabinet`, MSZIP-compressed when `compress` is set.
void MakeCabWithGcab(const std::filesystem::path& cabinet, const std::filesystem::path& sourceDir,
                     bool compress);

// Copies a fixture cabinet of the test data folder.
std::filesystem::path FixturePath(const std::string& name);

}  // namespace vantrel::test
