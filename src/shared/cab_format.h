#pragma once

// The records of a Microsoft Cabinet as they lie in the file, every number least significant
// byte first: the header (CFHEADER), then, when its flags say so, the sizes of the reserved
// areas and the names of the parts before and after it in a cabinet set; the folder table
// (CFFOLDER each), the file table (CFFILE each, its name after it) and each folder's data blocks
// (CFDATA each). Both service layers read cabinets through these, and the tools and tests write
// them; nothing else knows where a field lies. Header-only, so that the Win32 layer and the
// tools, which sit below or beside the core library, can take it.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>

namespace vantrel::cab {

inline std::uint16_t ReadLe16(const unsigned char* bytes) {
    return static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
}

inline std::uint32_t ReadLe32(const unsigned char* bytes) {
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

inline void WriteLe16(unsigned char* bytes, std::uint16_t value) {
    bytes[0] = static_cast<unsigned char>(value);
    bytes[1] = static_cast<unsigned char>(value >> 8);
}

inline void WriteLe32(unsigned char* bytes, std::uint32_t value) {
    WriteLe16(bytes, static_cast<std::uint16_t>(value));
    WriteLe16(bytes + 2, static_cast<std::uint16_t>(value >> 16));
}

// ---- The header.

inline constexpr std::size_t kHeaderSize = 36;
inline constexpr unsigned char kSignature[] = {'M', 'S', 'C', 'F'};
inline constexpr unsigned char kVersionMinor = 3;
inline constexpr unsigned char kVersionMajor = 1;

inline constexpr std::uint16_t kHasPrevious = 0x0001;  // the names of the part before follow
inline constexpr std::uint16_t kHasNext = 0x0002;      // the names of the part after follow
inline constexpr std::uint16_t kHasReserve = 0x0004;   // the reserved areas' sizes follow

struct Header {
    std::uint32_t CabinetSize = 0;  // cbCabinet
    std::uint32_t FilesOffset = 0;  // coffFiles: where the file table starts
    std::uint16_t Folders = 0;      // cFolders
    std::uint16_t Files = 0;        // cFiles
    std::uint16_t Flags = 0;
    std::uint16_t SetId = 0;
    std::uint16_t Number = 0;  // iCabinet: the part's place in its set, from 0
};

// The header in the first kHeaderSize bytes; nothing when they do not start with "MSCF".
inline std::optional<Header> ReadHeader(const unsigned char* bytes) {
    if (std::memcmp(bytes, kSignature, sizeof kSignature) != 0) {
        return std::nullopt;
    }
    return Header{ReadLe32(bytes + 8),  ReadLe32(bytes + 16), ReadLe16(bytes + 26),
                  ReadLe16(bytes + 28), ReadLe16(bytes + 30), ReadLe16(bytes + 32),
                  ReadLe16(bytes + 34)};
}

// Writes `header` to kHeaderSize bytes, the signature and format version 1.3 included.
inline void WriteHeader(const Header& header, unsigned char* bytes) {
    std::memset(bytes, 0, kHeaderSize);
    std::memcpy(bytes, kSignature, sizeof kSignature);
    WriteLe32(bytes + 8, header.CabinetSize);
    WriteLe32(bytes + 16, header.FilesOffset);
    bytes[24] = kVersionMinor;
    bytes[25] = kVersionMajor;
    WriteLe16(bytes + 26, header.Folders);
    WriteLe16(bytes + 28, header.Files);
    WriteLe16(bytes + 30, header.Flags);
    WriteLe16(bytes + 32, header.SetId);
    WriteLe16(bytes + 34, header.Number);
}

// The sizes of the reserved areas: the header's after these sizes, one after each folder entry,
// and one after each data block's header.
inline constexpr std::size_t kReserveSizesSize = 4;
inline constexpr std::size_t kLargestHeaderReserve = 60000;

struct ReserveSizes {
    std::uint16_t Header = 0;  // cbCFHeader
    std::uint8_t Folder = 0;   // cbCFFolder
    std::uint8_t Data = 0;     // cbCFData
};

inline ReserveSizes ReadReserveSizes(const unsigned char* bytes) {
    return {ReadLe16(bytes), bytes[2], bytes[3]};
}

inline void WriteReserveSizes(const ReserveSizes& sizes, unsigned char* bytes) {
    WriteLe16(bytes, sizes.Header);
    bytes[2] = sizes.Folder;
    bytes[3] = sizes.Data;
}

// The names of a set's neighbours, each part's file name then its disk's name: NUL-terminated,
// at most this long without the NUL.
inline constexpr std::size_t kLongestString = 255;

// ---- A folder entry.

inline constexpr std::size_t kFolderEntrySize = 8;

// typeCompress: the method in its low four bits, the method's parameters above them.
inline constexpr std::uint16_t kMethodMask = 0x000F;
inline constexpr std::uint16_t kStored = 0;
inline constexpr std::uint16_t kMszip = 1;
inline constexpr std::uint16_t kQuantum = 2;
inline constexpr std::uint16_t kLzx = 3;

struct FolderEntry {
    std::uint32_t DataOffset = 0;  // coffCabStart: where the first data block lies
    std::uint16_t Blocks = 0;      // cCFData
    std::uint16_t CompressionType = kStored;
};

inline FolderEntry ReadFolderEntry(const unsigned char* bytes) {
    return {ReadLe32(bytes), ReadLe16(bytes + 4), ReadLe16(bytes + 6)};
}

inline void WriteFolderEntry(const FolderEntry& folder, unsigned char* bytes) {
    WriteLe32(bytes, folder.DataOffset);
    WriteLe16(bytes + 4, folder.Blocks);
    WriteLe16(bytes + 6, folder.CompressionType);
}

// ---- A file entry; the file's NUL-terminated name follows it.

inline constexpr std::size_t kFileEntrySize = 16;

// Folder indexes of a file split between the parts of a set.
inline constexpr std::uint16_t kContinuedFromPrevious = 0xFFFD;
inline constexpr std::uint16_t kContinuedToNext = 0xFFFE;
inline constexpr std::uint16_t kContinuedBothWays = 0xFFFF;

inline constexpr std::uint16_t kAttribArchive = 0x20;
inline constexpr std::uint16_t kAttribUtf8Name = 0x80;  // the name is UTF-8, not the code page's

struct FileEntry {
    std::uint32_t Size = 0;            // cbFile
    std::uint32_t OffsetInFolder = 0;  // uoffFolderStart, in the folder's unpacked data
    std::uint16_t Folder = 0;          // iFolder
    std::uint16_t DosDate = 0;
    std::uint16_t DosTime = 0;
    std::uint16_t Attribs = 0;
};

inline FileEntry ReadFileEntry(const unsigned char* bytes) {
    return {ReadLe32(bytes),      ReadLe32(bytes + 4),  ReadLe16(bytes + 8),
            ReadLe16(bytes + 10), ReadLe16(bytes + 12), ReadLe16(bytes + 14)};
}

inline void WriteFileEntry(const FileEntry& file, unsigned char* bytes) {
    WriteLe32(bytes, file.Size);
    WriteLe32(bytes + 4, file.OffsetInFolder);
    WriteLe16(bytes + 8, file.Folder);
    WriteLe16(bytes + 10, file.DosDate);
    WriteLe16(bytes + 12, file.DosTime);
    WriteLe16(bytes + 14, file.Attribs);
}

// ---- A data block's header; its reserved area and its data follow it.

inline constexpr std::size_t kDataHeaderSize = 8;
inline constexpr std::size_t kFrameSize = 32768;  // the most a block unpacks to
// The most a block may hold: a frame and what compressing it may add.
inline constexpr std::size_t kLargestBlockData = kFrameSize + 6144;

struct DataHeader {
    std::uint32_t Checksum = 0;  // csum; 0: none
    std::uint16_t Size = 0;      // cbData
    // cbUncomp; 0 in the last block of a part whose folder goes on in the next part
    std::uint16_t UncompressedSize = 0;
};

inline DataHeader ReadDataHeader(const unsigned char* bytes) {
    return {ReadLe32(bytes), ReadLe16(bytes + 4), ReadLe16(bytes + 6)};
}

inline void WriteDataHeader(const DataHeader& header, unsigned char* bytes) {
    WriteLe32(bytes, header.Checksum);
    WriteLe16(bytes + 4, header.Size);
    WriteLe16(bytes + 6, header.UncompressedSize);
}

// Microsoft's checksum: the 32-bit little-endian words of `data` XORed together and with
// `seed`, the last one to three bytes taken as one number, most significant first.
inline std::uint32_t Checksum(const unsigned char* data, std::size_t size, std::uint32_t seed) {
    std::uint32_t sum = seed;
    std::size_t at = 0;
    if constexpr (std::endian::native == std::endian::little) {
        // Eight bytes at a time, read in place: XOR is the same on two words side by side,
        // folded at the end.
        std::uint64_t wide = 0;
        for (; at + 8 <= size; at += 8) {
            std::uint64_t word = 0;
            std::memcpy(&word, data + at, 8);
            wide ^= word;
        }
        sum ^= static_cast<std::uint32_t>(wide) ^ static_cast<std::uint32_t>(wide >> 32);
    }
    for (; at + 4 <= size; at += 4) {
        sum ^= ReadLe32(data + at);
    }
    std::uint32_t tail = 0;
    for (; at < size; ++at) {
        tail = tail << 8 | data[at];
    }
    return sum ^ tail;
}

// A data block's checksum, over its data and then its two size fields: these make one whole
// word, which XORs in as a seed would.
inline std::uint32_t DataBlockChecksum(const unsigned char* data, std::uint16_t size,
                                       std::uint16_t uncompressedSize) {
    return Checksum(data, size, size | static_cast<std::uint32_t>(uncompressedSize) << 16);
}

}  // namespace vantrel::cab
