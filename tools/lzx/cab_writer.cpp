#include "lzx/cab_writer.h"

#include <stdexcept>

#include "shared/cab_format.h"

namespace vantrel::lzx {
namespace {

constexpr std::size_t kMaxCount = 65535;

// Appends a record of `size` bytes, written by `write`.
template <class Write>
void PutRecord(std::vector<std::uint8_t>& out, std::size_t size, Write write) {
    out.resize(out.size() + size);
    write(out.data() + out.size() - size);
}

void PutDataBlock(std::vector<std::uint8_t>& out, const Frame& frame) {
    if (frame.Compressed.size() > cab::kLargestBlockData) {
        throw std::runtime_error("a compressed frame outgrew a cabinet data block");
    }
    const auto size = static_cast<std::uint16_t>(frame.Compressed.size());
    const auto unpacked = static_cast<std::uint16_t>(frame.UncompressedSize);
    const cab::DataHeader header{cab::DataBlockChecksum(frame.Compressed.data(), size, unpacked),
                                 size, unpacked};
    PutRecord(out, cab::kDataHeaderSize,
              [&](std::uint8_t* bytes) { cab::WriteDataHeader(header, bytes); });
    out.insert(out.end(), frame.Compressed.begin(), frame.Compressed.end());
}

std::size_t FileTableSize(const std::vector<CabMember>& members) {
    std::size_t size = 0;
    for (const auto& member : members) {
        size += cab::kFileEntrySize + member.Name.size() + 1;
    }
    return size;
}

std::size_t DataSize(const std::vector<Frame>& frames) {
    std::size_t size = 0;
    for (const auto& frame : frames) {
        size += cab::kDataHeaderSize + frame.Compressed.size();
    }
    return size;
}

void PutFileEntries(std::vector<std::uint8_t>& out, const std::vector<CabMember>& members) {
    std::uint64_t offset = 0;
    for (const auto& member : members) {
        const cab::FileEntry entry{
            member.Size,   static_cast<std::uint32_t>(offset), 0, member.DosDate, member.DosTime,
            member.Attribs};
        PutRecord(out, cab::kFileEntrySize,
                  [&](std::uint8_t* bytes) { cab::WriteFileEntry(entry, bytes); });
        out.insert(out.end(), member.Name.begin(), member.Name.end());
        out.push_back(0);
        offset += member.Size;
    }
}

}  // namespace

std::vector<std::uint8_t> BuildCabinet(const std::vector<CabMember>& members,
                                       const std::vector<Frame>& frames,
                                       std::uint16_t compressionType) {
    if (members.size() > kMaxCount || frames.size() > kMaxCount) {
        throw std::runtime_error("a cabinet holds at most 65535 files and data blocks");
    }
    const std::size_t filesAt = cab::kHeaderSize + cab::kFolderEntrySize;
    const std::size_t dataAt = filesAt + FileTableSize(members);
    const std::size_t total = dataAt + DataSize(frames);
    if (total > 0xFFFFFFFFu) {
        throw std::runtime_error("a cabinet is smaller than 4 GiB");
    }
    std::vector<std::uint8_t> out;
    out.reserve(total);
    // One folder, no reserved areas, no neighbouring cabinets.
    const cab::Header header{static_cast<std::uint32_t>(total),
                             static_cast<std::uint32_t>(filesAt),
                             1,
                             static_cast<std::uint16_t>(members.size()),
                             0,
                             0x5654,
                             0};
    PutRecord(out, cab::kHeaderSize, [&](std::uint8_t* bytes) { cab::WriteHeader(header, bytes); });
    const cab::FolderEntry folder{static_cast<std::uint32_t>(dataAt),
                                  static_cast<std::uint16_t>(frames.size()), compressionType};
    PutRecord(out, cab::kFolderEntrySize,
              [&](std::uint8_t* bytes) { cab::WriteFolderEntry(folder, bytes); });
    PutFileEntries(out, members);
    for (const auto& frame : frames) {
        PutDataBlock(out, frame);
    }
    return out;
}

}  // namespace vantrel::lzx
