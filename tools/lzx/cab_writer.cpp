#include "lzx/cab_writer.h"

#include <stdexcept>

namespace vantrel::lzx {
namespace {

constexpr std::size_t kHeaderSize = 36;
constexpr std::size_t kFolderEntrySize = 8;
constexpr std::size_t kFileEntrySize = 16;  // before the name
constexpr std::size_t kDataHeaderSize = 8;
constexpr std::size_t kMaxCompressedBlock = 32768 + 6144;
constexpr std::size_t kMaxCount = 65535;

void Put16(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

// The cabinet checksum: little-endian 32-bit words XORed together, a tail of one to three bytes
// taken as a big-endian number.
std::uint32_t Checksum(const std::uint8_t* data, std::size_t size, std::uint32_t seed) {
    std::uint32_t sum = seed;
    std::size_t i = 0;
    for (; i + 4 <= size; i += 4) {
        sum ^= static_cast<std::uint32_t>(data[i]) | static_cast<std::uint32_t>(data[i + 1]) << 8 |
               static_cast<std::uint32_t>(data[i + 2]) << 16 |
               static_cast<std::uint32_t>(data[i + 3]) << 24;
    }
    std::uint32_t tail = 0;
    for (; i < size; ++i) {
        tail = tail << 8 | data[i];
    }
    return sum ^ tail;
}

// A data block's checksum covers its data and then its two size fields.
void PutDataBlock(std::vector<std::uint8_t>& out, const Frame& frame) {
    if (frame.Compressed.size() > kMaxCompressedBlock) {
        throw std::runtime_error("a compressed frame outgrew a cabinet data block");
    }
    std::vector<std::uint8_t> sizes;
    Put16(sizes, static_cast<std::uint32_t>(frame.Compressed.size()));
    Put16(sizes, frame.UncompressedSize);
    const std::uint32_t dataSum = Checksum(frame.Compressed.data(), frame.Compressed.size(), 0);
    Put32(out, Checksum(sizes.data(), sizes.size(), dataSum));
    out.insert(out.end(), sizes.begin(), sizes.end());
    out.insert(out.end(), frame.Compressed.begin(), frame.Compressed.end());
}

std::size_t FileTableSize(const std::vector<CabMember>& members) {
    std::size_t size = 0;
    for (const auto& member : members) {
        size += kFileEntrySize + member.Name.size() + 1;
    }
    return size;
}

std::size_t DataSize(const std::vector<Frame>& frames) {
    std::size_t size = 0;
    for (const auto& frame : frames) {
        size += kDataHeaderSize + frame.Compressed.size();
    }
    return size;
}

void PutHeader(std::vector<std::uint8_t>& out, std::size_t total, std::size_t filesAt,
               std::size_t fileCount) {
    for (const char c : {'M', 'S', 'C', 'F'}) {
        out.push_back(static_cast<std::uint8_t>(c));
    }
    Put32(out, 0);
    Put32(out, static_cast<std::uint32_t>(total));
    Put32(out, 0);
    Put32(out, static_cast<std::uint32_t>(filesAt));
    Put32(out, 0);
    out.push_back(3);  // format version 1.3
    out.push_back(1);
    Put16(out, 1);  // folders
    Put16(out, static_cast<std::uint32_t>(fileCount));
    Put16(out, 0);       // flags: no reserve, no neighbouring cabinets
    Put16(out, 0x5654);  // set id
    Put16(out, 0);       // number in the set
}

void PutFileEntries(std::vector<std::uint8_t>& out, const std::vector<CabMember>& members) {
    std::uint64_t offset = 0;
    for (const auto& member : members) {
        Put32(out, member.Size);
        Put32(out, static_cast<std::uint32_t>(offset));
        Put16(out, 0);  // folder index
        Put16(out, member.DosDate);
        Put16(out, member.DosTime);
        Put16(out, member.Attribs);
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
    const std::size_t filesAt = kHeaderSize + kFolderEntrySize;
    const std::size_t dataAt = filesAt + FileTableSize(members);
    const std::size_t total = dataAt + DataSize(frames);
    if (total > 0xFFFFFFFFu) {
        throw std::runtime_error("a cabinet is smaller than 4 GiB");
    }
    std::vector<std::uint8_t> out;
    out.reserve(total);
    PutHeader(out, total, filesAt, members.size());
    Put32(out, static_cast<std::uint32_t>(dataAt));
    Put16(out, static_cast<std::uint32_t>(frames.size()));
    Put16(out, compressionType);
    PutFileEntries(out, members);
    for (const auto& frame : frames) {
        PutDataBlock(out, frame);
    }
    return out;
}

}  // namespace vantrel::lzx
