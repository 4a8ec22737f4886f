// Cabinets from the benchmarks' LZX writer, extracted through CabFile: several frames, matches
// reaching across frames and round the whole window, a file split between frames.

#include <gtest/gtest.h>

#include <random>

#include "cabinet/cab_file.h"
#include "lzx/cab_writer.h"
#include "lzx/lzx_encoder.h"
#include "support/posix/temp_prefix.h"
#include "support/program_recorders.h"

namespace vantrel::test {
namespace {

std::string Mixed(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes;
    while (bytes.size() < size) {
        const std::string phrase = "row " + std::to_string(random() % 97) + " of pixels; ";
        const bool noise = random() % 4 == 0;
        for (int i = 0; i < 64 && bytes.size() < size; ++i) {
            bytes += noise ? static_cast<char>(random()) : phrase[i % phrase.size()];
        }
    }
    return bytes;
}

class LzxCabinetTest : public ::testing::TestWithParam<unsigned> {};

TEST_P(LzxCabinetTest, ExtractsByteForByte) {
    const std::vector<std::pair<std::string, std::string>> files = {
        {"a.bmp", Mixed(70'000, 1)},
        {"sub\\b.bmp", Mixed(100'000, 2)},
        {"empty", ""},
        {"sub\\c.txt", std::string(40'000, 'c')},
        {"d.bmp", Mixed(5'000, 1)}};
    std::vector<lzx::CabMember> members;
    std::string folder;
    for (const auto& [name, data] : files) {
        members.push_back({name, static_cast<std::uint32_t>(data.size()), 0x3A21, 0x6000});
        folder += data;
    }
    const unsigned windowBits = GetParam();
    const auto frames =
        lzx::EncodeLzx(std::vector<std::uint8_t>(folder.begin(), folder.end()), {windowBits, 32});
    const auto cabinet = lzx::BuildCabinet(members, frames, lzx::LzxCompressionType(windowBits));

    TempPrefix prefix;
    WriteFile(prefix.DriveC() / "lzx.cab", std::string(cabinet.begin(), cabinet.end()));
    MessageBoxRecorder messages;
    auto cab = CabFile::Create();
    cab->SetCabName("C:\\lzx.cab");
    ASSERT_TRUE(cab->GetInfo(""));
    ASSERT_TRUE(cab->Extract("", "C:\\out", ""));
    for (const auto& [name, data] : files) {
        std::string relative = name;
        std::replace(relative.begin(), relative.end(), '\\', '/');
        EXPECT_EQ(ReadFile(prefix.DriveC() / "out" / relative), data) << name;
    }
    EXPECT_TRUE(messages.Texts().empty());
}

INSTANTIATE_TEST_SUITE_P(WindowSizes, LzxCabinetTest, ::testing::Values(15U, 17U, 21U));

}  // namespace
}  // namespace vantrel::test
