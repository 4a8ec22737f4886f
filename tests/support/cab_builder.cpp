#include "support/cab_builder.h"

#include <algorithm>
#include <stdexcept>

#include "support/host_program.h"
#include "support/temp_dir.h"

namespace vantrel::test {
namespace {

constexpr std::size_t kHeaderSize = 36;
constexpr std::size_t kFolderSize = 8;
constexpr std::size_t kFileFixedSize = 16;
constexpr std::size_t kMaxBlock = 32768;

std::uint16_t Get16(const std::string& bytes, std::size_t at) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + at);
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

std::string DataBlocks(const std::string& data, bool checksums) {
    std::string blocks;
    for (std::size_t start = 0; start < data.size(); start += kMaxBlock) {
        const std::size_t length = std::min(kMaxBlock, data.size() - start);
        std::string sizes;
        AppendLe16(sizes, static_cast<std::uint32_t>(length));
        AppendLe16(sizes, static_cast<std::uint32_t>(length));
        std::uint32_t checksum = 0;
        if (checksums) {
            const auto* bytes = reinterpret_cast<const unsigned char*>(data.data() + start);
            checksum = CabChecksum(reinterpret_cast<const unsigned char*>(sizes.data()), 4,
                                   CabChecksum(bytes, length, 0));
        }
        AppendLe32(blocks, checksum);
        blocks += sizes;
        blocks.append(data, start, length);
    }
    return blocks;
}

}  // namespace

void AppendLe16(std::string& out, std::uint32_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void AppendLe32(std::string& out, std::uint32_t value) {
    AppendLe16(out, value & 0xFFFF);
    AppendLe16(out, value >> 16);
}

std::uint32_t ReadLe32(const std::string& bytes, std::size_t at) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + at);
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::string BuildStoredCab(const std::vector<CabEntry>& entries, const CabLayout& layout) {
    std::string data;
    for (const auto& entry : entries) {
        data += entry.Data;
    }
    const std::string blocks = DataBlocks(data, layout.Checksums);
    const std::size_t blockCount = (data.size() + kMaxBlock - 1) / kMaxBlock;
    const std::size_t folders = entries.empty() ? 0 : 1;

    std::size_t fileTableSize = 0;
    for (const auto& entry : entries) {
        fileTableSize += kFileFixedSize + entry.Name.size() + 1;
    }
    const std::size_t filesOffset = kHeaderSize + folders * kFolderSize;
    const std::size_t dataOffset = filesOffset + fileTableSize;
    const std::size_t total = dataOffset + blocks.size();

    std::string cab = "MSCF";
    AppendLe32(cab, 0);
    AppendLe32(cab, layout.CabinetSize.value_or(static_cast<std::uint32_t>(total)));
    AppendLe32(cab, 0);
    AppendLe32(cab, layout.FilesOffset.value_or(static_cast<std::uint32_t>(filesOffset)));
    AppendLe32(cab, 0);
    cab += '\x03';  // format version 1.3
    cab += '\x01';
    AppendLe16(cab, static_cast<std::uint32_t>(folders));
    AppendLe16(cab, static_cast<std::uint32_t>(entries.size()));
    AppendLe16(cab, 0);  // flags: no reserve, no previous or next cabinet
    AppendLe16(cab, 0x1234);
    AppendLe16(cab, 0);

    if (folders != 0) {
        AppendLe32(cab, layout.DataOffset.value_or(static_cast<std::uint32_t>(dataOffset)));
        AppendLe16(cab, layout.DataBlocks.value_or(static_cast<std::uint16_t>(blockCount)));
        AppendLe16(cab, layout.CompressionType);
    }
    std::uint32_t offsetInFolder = 0;
    for (const auto& entry : entries) {
        AppendLe32(cab, entry.DeclaredSize.value_or(static_cast<std::uint32_t>(entry.Data.size())));
        AppendLe32(cab, entry.OffsetInFolder.value_or(offsetInFolder));
        AppendLe16(cab, entry.FolderIndex.value_or(0));
        AppendLe16(cab, entry.DosDate);
        AppendLe16(cab, entry.DosTime);
        AppendLe16(cab, entry.Attribs);
        cab += entry.Name;
        cab += '\0';
        offsetInFolder += static_cast<std::uint32_t>(entry.Data.size());
    }
    return cab + blocks;
}

CabRegions RegionsOf(const std::string& cabinet) {
    CabRegions regions;
    regions.End = cabinet.size();
    const std::uint16_t flags = Get16(cabinet, 30);
    std::size_t at = kHeaderSize;  // the names of a set's neighbours come first
    for (int names = ((flags & kCabHasPrevious) ? 2 : 0) + ((flags & kCabHasNext) ? 2 : 0);
         names > 0; --names) {
        at = cabinet.find('\0', at) + 1;
    }
    regions.FolderTable = at;
    regions.FileTable = ReadLe32(cabinet, 16);
    regions.Data = Get16(cabinet, 26) == 0 ? regions.End : ReadLe32(cabinet, at);
    return regions;
}

void PatchLe16(std::string& cabinet, std::size_t at, std::uint16_t value) {
    cabinet[at] = static_cast<char>(value & 0xFF);
    cabinet[at + 1] = static_cast<char>(value >> 8);
}

void PatchLe32(std::string& cabinet, std::size_t at, std::uint32_t value) {
    PatchLe16(cabinet, at, static_cast<std::uint16_t>(value & 0xFFFF));
    PatchLe16(cabinet, at + 2, static_cast<std::uint16_t>(value >> 16));
}

std::uint32_t CabChecksum(const unsigned char* data, std::size_t size, std::uint32_t seed) {
    std::uint32_t sum = seed;
    std::size_t i = 0;
    for (; i + 4 <= size; i += 4) {
        sum ^= data[i] | data[i + 1] << 8 | data[i + 2] << 16 |
               static_cast<std::uint32_t>(data[i + 3]) << 24;
    }
    std::uint32_t tail = 0;
    for (; i < size; ++i) {
        tail = tail << 8 | data[i];
    }
    return sum ^ tail;
}

void MakeCabWithGcab(const std::filesystem::path& cabinet, const std::filesystem::path& sourceDir,
                     bool compress) {
    std::vector<std::string> arguments = {"-c"};
    if (compress) {
        arguments.push_back("-z");
    }
    arguments.push_back(HostSystemPath(cabinet));
    for (const auto& file : ListFiles(sourceDir)) {
        arguments.push_back(file);
    }
    if (RunHostProgram(VANTREL_GCAB, arguments, sourceDir) != 0) {
        throw std::runtime_error("gcab failed to write " + cabinet.string());
    }
}

std::filesystem::path FixturePath(const std::string& name) {
    return std::filesystem::path(VANTREL_TEST_DATA_DIR) / "cabinets" / name;
}

}  // namespace vantrel::test
