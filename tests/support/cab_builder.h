#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vantrel::test {

// One file of a cabinet written byte by byte: the name is stored exactly as given, so a test can
// put any bytes there (hostile paths, legacy code pages, names flagged as UTF-8).
struct CabEntry {
    std::string Name;
    std::string Data;
    std::uint16_t DosDate = (29 << 9) | (1 << 5) | 1;  // 2009-01-01
    std::uint16_t DosTime = 12 << 11;                  // 12:00:00
    std::uint16_t Attribs = 0x20;                      // archive; 0x80 flags a UTF-8 name
};

// An uncompressed cabinet with one folder holding `entries` in order. No entries gives a
// cabinet with no folder and no file, which no Debian tool will write.
std::string BuildStoredCab(const std::vector<CabEntry>& entries);

// Runs gcab to pack every file under `sourceDir` (relative names, "\" inside the cabinet) into
// `cabinet`, MSZIP-compressed when `compress` is set.
void MakeCabWithGcab(const std::filesystem::path& cabinet, const std::filesystem::path& sourceDir,
                     bool compress);

// Copies a fixture cabinet of the test data folder.
std::filesystem::path FixturePath(const std::string& name);

}  // namespace vantrel::test
