#include "support/cab_builder.h"

#include <stdexcept>

#include "support/host_program.h"
#include "support/temp_dir.h"

namespace vantrel::test {
namespace {

unsigned char* BytesAt(std::string& bytes, std::size_t at) {
    return reinterpret_cast<unsigned char*>(bytes.data() + at);
}

const unsigned char* BytesAt(const std::string& bytes, std::size_t at) {
    return reinterpret_cast<const unsigned char*>(bytes.data() + at);
}

// Appends a record of `size` bytes, written by `write`.
template <class Write>
void AppendRecord(std::string& out, std::size_t size, Write write) {
    out.resize(out.size() + size);
    write(BytesAt(out, out.size() - size));
}

std::uint16_t Flags(const CabContent& content) {
    return static_cast<std::uint16_t>((content.Previous ? cab::kHasPrevious : 0) |
                                      (content.Next ? cab::kHasNext : 0) |
                                      (content.Reserve ? cab::kHasReserve : 0));
}

std::string Neighbours(const CabContent& content) {
    std::string names;
    for (const auto& neighbour : {content.Previous, content.Next}) {
        if (neighbour) {
            names += neighbour->first + '\0' + neighbour->second + '\0';
        }
    }
    return names;
}

std::string FileTable(const CabContent& content) {
    std::string table;
    for (const CabListing& file : content.Files) {
        AppendRecord(table, cab::kFileEntrySize,
                     [&](unsigned char* bytes) { cab::WriteFileEntry(file.Fields, bytes); });
        table += file.Name + '\0';
    }
    return table;
}

std::string DataBlocks(const CabFolder& folder, const CabContent& content) {
    const std::uint8_t reserve = content.Reserve ? content.Reserve->Data : 0;
    std::string blocks;
    for (const CabBlock& block : folder.Blocks) {
        cab::DataHeader header{0, static_cast<std::uint16_t>(block.Data.size()),
                               block.UncompressedSize};
        if (content.Checksums) {
            header.Checksum = cab::DataBlockChecksum(BytesAt(block.Data, 0), header.Size,
                                                     header.UncompressedSize);
        }
        AppendRecord(blocks, cab::kDataHeaderSize,
                     [&](unsigned char* bytes) { cab::WriteDataHeader(header, bytes); });
        blocks += std::string(reserve, 'r') + block.Data;
    }
    return blocks;
}

// Stored data in blocks of 32 KiB.
std::vector<CabBlock> StoredBlocks(const std::string& data) {
    std::vector<CabBlock> blocks;
    for (std::size_t start = 0; start < data.size(); start += cab::kFrameSize) {
        const std::string block = data.substr(start, cab::kFrameSize);
        blocks.push_back({block, static_cast<std::uint16_t>(block.size())});
    }
    return blocks;
}

}  // namespace

std::string WriteCab(const CabContent& content) {
    cab::Header header{0,
                       0,
                       static_cast<std::uint16_t>(content.Folders.size()),
                       static_cast<std::uint16_t>(content.Files.size()),
                       Flags(content),
                       content.SetId,
                       content.Number};
    std::string cabinet(cab::kHeaderSize, '\0');
    if (content.Reserve) {
        AppendRecord(cabinet, cab::kReserveSizesSize, [&](unsigned char* bytes) {
            cab::WriteReserveSizes(*content.Reserve, bytes);
        });
        cabinet += std::string(content.Reserve->Header, 'h');
    }
    cabinet += Neighbours(content);
    const std::uint8_t folderReserve = content.Reserve ? content.Reserve->Folder : 0;
    header.FilesOffset = static_cast<std::uint32_t>(
        cabinet.size() + content.Folders.size() * (cab::kFolderEntrySize + folderReserve));
    const std::string files = FileTable(content);
    std::string blocks;
    for (const CabFolder& folder : content.Folders) {
        const cab::FolderEntry entry{
            static_cast<std::uint32_t>(header.FilesOffset + files.size() + blocks.size()),
            static_cast<std::uint16_t>(folder.Blocks.size()), folder.CompressionType};
        AppendRecord(cabinet, cab::kFolderEntrySize,
                     [&](unsigned char* bytes) { cab::WriteFolderEntry(entry, bytes); });
        cabinet += std::string(folderReserve, 'f');
        blocks += DataBlocks(folder, content);
    }
    cabinet += files + blocks;
    header.CabinetSize = static_cast<std::uint32_t>(cabinet.size());
    cab::WriteHeader(header, BytesAt(cabinet, 0));
    return cabinet;
}

std::string BuildStoredCab(const std::vector<CabEntry>& entries, const CabLayout& layout) {
    CabContent content;
    content.Checksums = layout.Checksums;
    std::string data;
    std::uint32_t offsetInFolder = 0;
    for (const auto& entry : entries) {
        data += entry.Data;
        const cab::FileEntry fields{
            entry.DeclaredSize.value_or(static_cast<std::uint32_t>(entry.Data.size())),
            entry.OffsetInFolder.value_or(offsetInFolder),
            entry.FolderIndex.value_or(0),
            entry.DosDate,
            entry.DosTime,
            entry.Attribs};
        content.Files.push_back({fields, entry.Name});
        offsetInFolder += static_cast<std::uint32_t>(entry.Data.size());
    }
    if (!entries.empty()) {
        content.Folders.push_back({layout.CompressionType, StoredBlocks(data)});
    }
    std::string cabinet = WriteCab(content);

    // The fields that lie, over the truth.
    cab::Header header = *cab::ReadHeader(BytesAt(cabinet, 0));
    header.CabinetSize = layout.CabinetSize.value_or(header.CabinetSize);
    header.FilesOffset = layout.FilesOffset.value_or(header.FilesOffset);
    cab::WriteHeader(header, BytesAt(cabinet, 0));
    if (!entries.empty()) {
        cab::FolderEntry folder = FolderEntryAt(cabinet, 0);
        folder.DataOffset = layout.DataOffset.value_or(folder.DataOffset);
        folder.Blocks = layout.DataBlocks.value_or(folder.Blocks);
        cab::WriteFolderEntry(folder, BytesAt(cabinet, cab::kHeaderSize));
    }
    return cabinet;
}

CabRegions RegionsOf(const std::string& cabinet) {
    const cab::Header header = *cab::ReadHeader(BytesAt(cabinet, 0));
    CabRegions regions;
    regions.End = cabinet.size();
    std::size_t at = cab::kHeaderSize;  // the names of a set's neighbours come first
    for (int names = ((header.Flags & cab::kHasPrevious) ? 2 : 0) +
                     ((header.Flags & cab::kHasNext) ? 2 : 0);
         names > 0; --names) {
        at = cabinet.find('\0', at) + 1;
    }
    regions.FolderTable = at;
    regions.FileTable = header.FilesOffset;
    regions.Data =
        header.Folders == 0 ? regions.End : cab::ReadFolderEntry(BytesAt(cabinet, at)).DataOffset;
    return regions;
}

cab::FolderEntry FolderEntryAt(const std::string& cabinet, std::size_t index) {
    return cab::ReadFolderEntry(BytesAt(cabinet, cab::kHeaderSize + index * cab::kFolderEntrySize));
}

cab::DataHeader DataHeaderAt(const std::string& cabinet, std::size_t at) {
    return cab::ReadDataHeader(BytesAt(cabinet, at));
}

void PatchDataHeader(std::string& cabinet, std::size_t at,
                     const std::function<void(cab::DataHeader&)>& change) {
    cab::DataHeader header = DataHeaderAt(cabinet, at);
    change(header);
    cab::WriteDataHeader(header, BytesAt(cabinet, at));
}

void PatchLe32(std::string& cabinet, std::size_t at, std::uint32_t value) {
    cab::WriteLe32(BytesAt(cabinet, at), value);
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
