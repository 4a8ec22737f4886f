// The walk decodes MSZIP folders itself, with libmspack as the reference. The harness extracts
// every cabinet twice, once as the installer does and once with libmspack decoding every folder,
// and finds a violation when the two differ in the error raised or in any file written. Here it
// gets the fixtures and thousands of generated MSZIP cabinets: frames of random sizes and
// codings, reserved areas, several folders, garbage before "CK", and damaged bytes with and
// without checksums over them.

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "fuzz/cabinet_harness.h"
#include "support/mszip_builder.h"
#include "support/temp_dir.h"

namespace vantrel::test {
namespace {

const std::filesystem::path kData = VANTREL_TEST_DATA_DIR;

TEST(MszipAgainstLibmspack, EveryFixtureExtractsAlike) {
    CabinetHarness harness;
    int cabinets = 0;
    for (const auto& folder : {kData / "cabinets", kData / "fuzz"}) {
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            if (entry.path().extension() != ".cab") {
                continue;
            }
            SCOPED_TRACE(entry.path().filename().string());
            EXPECT_EQ(harness.Run(ReadFile(entry.path())).Violations, std::vector<std::string>{});
            ++cabinets;
        }
    }
    EXPECT_GT(cabinets, 10);
}

// libmspack reads its input in pieces of 4 KiB and looks 16 bits past a Huffman block's
// end-of-block code; a piece needing a block whose checksum fails fails whole. Here the second
// data block begins exactly at the second piece and its checksum fails. After a stored frame
// libmspack has not touched that piece when the first file is complete, after a Huffman-coded
// frame it has.
struct PieceCase {
    const char* Name;
    FrameCoding Coding;
    std::int32_t WrittenFiles;
};

void PrintTo(const PieceCase& piece, std::ostream* out) {
    *out << piece.Name;
}

class PieceBoundaryTest : public ::testing::TestWithParam<PieceCase> {};

std::size_t FirstBlock(const std::string& cabinet) {
    return RegionsOf(cabinet).Data;
}

std::size_t BlockDataSize(const std::string& cabinet, std::size_t block) {
    return DataHeaderAt(cabinet, block).Size;
}

TEST_P(PieceBoundaryTest, FirstFileFailsOnlyWhenLibmspackReadsIntoTheBadBlock) {
    const std::vector<CabEntry> files = {{.Name = "first", .Data = std::string(4089, 'a')},
                                         {.Name = "second", .Data = std::string(5000, 'b')}};
    MszipLayout layout;
    layout.FrameSizes = {files[0].Data.size()};
    layout.Codings = {GetParam().Coding, FrameCoding::Stored};
    // Bytes before "CK" bring the second block to stream position 4096.
    layout.JunkBeforeSignature = 4096 - BlockDataSize(BuildMszipCab(files, layout),
                                                      FirstBlock(BuildMszipCab(files, layout)));
    std::string cabinet = BuildMszipCab(files, layout);
    const std::size_t first = FirstBlock(cabinet);
    ASSERT_EQ(BlockDataSize(cabinet, first), 4096u);
    cabinet[first + 8 + 4096 + 8 + 100] ^= 1;  // in the second block's data

    const auto outcome = CabinetHarness().Run(cabinet);
    EXPECT_EQ(outcome.Violations, std::vector<std::string>{});
    EXPECT_EQ(outcome.RaisedNumber, 23);
    EXPECT_EQ(outcome.WrittenFiles, GetParam().WrittenFiles);
}

INSTANTIATE_TEST_SUITE_P(Codings, PieceBoundaryTest,
                         ::testing::Values(PieceCase{"Stored", FrameCoding::Stored, 1},
                                           PieceCase{"Fixed", FrameCoding::Fixed, 0}),
                         [](const auto& info) { return std::string(info.param.Name); });

// Bytes that compress well, poorly or not at all, as images do.
std::string RandomContent(std::mt19937& random, std::size_t size) {
    std::string bytes(size, '\0');
    const unsigned kind = random() % 4;
    for (std::size_t i = 0; i < size; ++i) {
        switch (kind) {
            case 0:
                bytes[i] = static_cast<char>(random());
                break;
            case 1:
                bytes[i] = static_cast<char>('a' + random() % 4);
                break;
            case 2:
                bytes[i] = static_cast<char>(i / 7 + (random() % 16 == 0 ? 1 : 0));
                break;
            default:
                bytes[i] = static_cast<char>(i % 251);
        }
    }
    return bytes;
}

std::vector<CabEntry> RandomFiles(std::mt19937& random) {
    std::vector<CabEntry> files;
    const std::size_t count = random() % 6;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t size = random() % 3 == 0 ? random() % 64 : random() % 70000;
        files.push_back({.Name = "d" + std::to_string(i % 2) + "\\f" + std::to_string(i),
                         .Data = RandomContent(random, size)});
    }
    return files;
}

MszipLayout RandomLayout(std::mt19937& random) {
    MszipLayout layout;
    if (random() % 2 == 0) {
        for (unsigned i = random() % 4 + 1; i > 0; --i) {
            layout.FrameSizes.push_back(random() % 3 == 0 ? random() % 40 + 1
                                                          : random() % 32768 + 1);
        }
    }
    layout.Codings.clear();
    for (unsigned i = random() % 3 + 1; i > 0; --i) {
        layout.Codings.push_back(static_cast<FrameCoding>(random() % 5));
    }
    layout.RingDictionary = random() % 8 != 0;
    layout.Checksums = random() % 4 != 0;
    layout.JunkBeforeSignature = random() % 8 == 0 ? random() % 4 + 1 : 0;
    if (random() % 6 == 0) {
        layout.HeaderReserve = static_cast<std::uint16_t>(random() % 20);
        layout.FolderReserve = static_cast<std::uint8_t>(random() % 8);
        layout.DataReserve = static_cast<std::uint8_t>(random() % 8 + 1);
    }
    layout.Folders = random() % 3 + 1;
    return layout;
}

// Flips bytes after the file table, or cuts the cabinet short there.
void Damage(std::mt19937& random, std::string& cabinet, std::size_t dataStart) {
    if (cabinet.size() <= dataStart) {
        return;
    }
    const std::size_t span = cabinet.size() - dataStart;
    if (random() % 5 == 0) {
        cabinet.resize(dataStart + random() % span);
        return;
    }
    for (unsigned flips = random() % 4 + 1; flips > 0; --flips) {
        cabinet[dataStart + random() % span] ^= static_cast<char>(1u << (random() % 8));
    }
}

// Where the data blocks begin: after the file table, which the header locates.
std::size_t FileTableEnd(const std::vector<CabEntry>& files, const std::string& cabinet) {
    std::size_t end = RegionsOf(cabinet).FileTable;
    for (const auto& file : files) {
        end += cab::kFileEntrySize + file.Name.size() + 1;
    }
    return end;
}

class GeneratedMszipTest : public ::testing::TestWithParam<unsigned> {};

constexpr unsigned kCabinetsPerShard = 150;

TEST_P(GeneratedMszipTest, ExtractsAsLibmspackDoes) {
    CabinetHarness harness;
    for (unsigned i = 0; i < kCabinetsPerShard; ++i) {
        const unsigned seed = GetParam() * kCabinetsPerShard + i;
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(seed);
        const auto files = RandomFiles(random);
        const MszipLayout layout = RandomLayout(random);
        std::string cabinet = BuildMszipCab(files, layout);
        const bool damaged = random() % 2 == 0;
        if (damaged) {
            Damage(random, cabinet, FileTableEnd(files, cabinet));
        }
        const auto outcome = harness.Run(cabinet);
        EXPECT_EQ(outcome.Violations, std::vector<std::string>{});
        if (!damaged && layout.RingDictionary && !files.empty()) {
            EXPECT_EQ(outcome.RaisedNumber, 0) << outcome.RaisedDescription;
            EXPECT_EQ(outcome.WrittenFiles, static_cast<std::int32_t>(files.size()));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Shards, GeneratedMszipTest, ::testing::Range(0u, 20u));

}  // namespace
}  // namespace vantrel::test
