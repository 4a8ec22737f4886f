#include "support/mszip_builder.h"

#include <zlib.h>

#include <algorithm>
#include <stdexcept>

namespace vantrel::test {
namespace {

constexpr std::size_t kWindow = 32768;
constexpr std::size_t kHeaderSize = 36;
constexpr std::uint16_t kMszip = 1;
constexpr std::uint16_t kReservePresent = 0x0004;

struct Deflater {
    z_stream stream{};
    std::string output;

    Deflater(int level, int strategy) {
        if (deflateInit2(&stream, level, Z_DEFLATED, -15, 8, strategy) != Z_OK) {
            throw std::runtime_error("deflateInit2 failed");
        }
    }
    ~Deflater() { deflateEnd(&stream); }

    void Feed(const std::string& input, int flush) {
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
        stream.avail_in = static_cast<uInt>(input.size());
        do {
            Produce([&] { return deflate(&stream, flush); });
        } while (stream.avail_out == 0 || stream.avail_in != 0);
    }

    // Goes on with another level and strategy; what was fed so far ends its block.
    void Switch(int level, int strategy) {
        Produce([&] { return deflateParams(&stream, level, strategy); });
    }

  private:
    template <class Step>
    void Produce(Step step) {
        char chunk[16384];
        stream.next_out = reinterpret_cast<Bytef*>(chunk);
        stream.avail_out = sizeof chunk;
        if (step() == Z_STREAM_ERROR) {
            throw std::runtime_error("deflate failed");
        }
        output.append(chunk, sizeof chunk - stream.avail_out);
    }
};

std::pair<int, int> LevelAndStrategy(FrameCoding coding) {
    switch (coding) {
        case FrameCoding::Stored:
            return {0, Z_DEFAULT_STRATEGY};
        case FrameCoding::Fixed:
            return {6, Z_FIXED};
        case FrameCoding::HuffmanOnly:
            return {6, Z_HUFFMAN_ONLY};
        default:
            return {6, Z_DEFAULT_STRATEGY};
    }
}

// "CK" and the deflate stream of one frame, which may look back into `dictionary`.
std::string DeflateFrame(const std::string& input, const std::string& dictionary,
                         FrameCoding coding) {
    const auto [level, strategy] = LevelAndStrategy(coding);
    Deflater deflater(level, strategy);
    if (!dictionary.empty()) {
        deflateSetDictionary(&deflater.stream, reinterpret_cast<const Bytef*>(dictionary.data()),
                             static_cast<uInt>(dictionary.size()));
    }
    if (coding == FrameCoding::SeveralBlocks) {
        // A block ended anywhere in a byte, one followed by an empty fixed block, one by an
        // empty stored block, each of another kind.
        const std::size_t quarter = input.size() / 4;
        deflater.Feed(input.substr(0, quarter), Z_BLOCK);
        deflater.Switch(1, Z_HUFFMAN_ONLY);
        deflater.Feed(input.substr(quarter, quarter), Z_PARTIAL_FLUSH);
        deflater.Switch(0, Z_DEFAULT_STRATEGY);
        deflater.Feed(input.substr(2 * quarter, quarter), Z_SYNC_FLUSH);
        deflater.Switch(9, Z_FIXED);
        deflater.Feed(input.substr(3 * quarter), Z_FINISH);
    } else {
        deflater.Feed(input, Z_FINISH);
    }
    return "CK" + deflater.output;
}

// The data blocks of one folder's data, and how many there are.
std::pair<std::string, std::size_t> FolderBlocks(const std::string& data,
                                                 const MszipLayout& layout) {
    std::string blocks;
    std::string ring(kWindow, '\0');
    std::size_t count = 0;
    for (std::size_t start = 0; start < data.size(); ++count) {
        const std::size_t wanted =
            count < layout.FrameSizes.size() ? layout.FrameSizes[count] : kWindow;
        const std::string frame = data.substr(start, std::min(wanted, data.size() - start));
        std::string dictionary;
        if (start > 0) {
            dictionary = layout.RingDictionary ? ring
                                               : data.substr(start - std::min(start, kWindow),
                                                             std::min(start, kWindow));
        }
        const std::string packed =
            std::string(layout.JunkBeforeSignature, 'x') +
            DeflateFrame(frame, dictionary, layout.Codings[count % layout.Codings.size()]);
        ring.replace(0, frame.size(), frame);
        start += frame.size();

        std::string sizes;
        AppendLe16(sizes, static_cast<std::uint32_t>(packed.size()));
        AppendLe16(sizes, static_cast<std::uint32_t>(frame.size()));
        const auto* bytes = reinterpret_cast<const unsigned char*>(packed.data());
        AppendLe32(blocks, layout.Checksums
                               ? CabChecksum(reinterpret_cast<const unsigned char*>(sizes.data()),
                                             4, CabChecksum(bytes, packed.size(), 0))
                               : 0);
        blocks += sizes + std::string(layout.DataReserve, 'r') + packed;
    }
    return {blocks, count};
}

}  // namespace

std::string BuildMszipCab(const std::vector<CabEntry>& entries, const MszipLayout& layout) {
    const std::size_t folders = std::max<std::size_t>(layout.Folders, 1);
    std::vector<std::string> data(folders);
    std::vector<std::uint32_t> offsets;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        offsets.push_back(static_cast<std::uint32_t>(data[i % folders].size()));
        data[i % folders] += entries[i].Data;
    }
    const bool reserve =
        layout.HeaderReserve != 0 || layout.FolderReserve != 0 || layout.DataReserve != 0;

    std::string fileTable;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        AppendLe32(fileTable, static_cast<std::uint32_t>(entries[i].Data.size()));
        AppendLe32(fileTable, offsets[i]);
        AppendLe16(fileTable, static_cast<std::uint32_t>(i % folders));
        AppendLe16(fileTable, entries[i].DosDate);
        AppendLe16(fileTable, entries[i].DosTime);
        AppendLe16(fileTable, entries[i].Attribs);
        fileTable += entries[i].Name + '\0';
    }
    const std::size_t folderTable = kHeaderSize + (reserve ? 4 + layout.HeaderReserve : 0);
    const std::size_t filesOffset = folderTable + folders * (8 + layout.FolderReserve);
    std::size_t dataOffset = filesOffset + fileTable.size();

    std::string folderEntries;
    std::string blocks;
    for (const std::string& folderData : data) {
        const auto [folderBlocks, count] = FolderBlocks(folderData, layout);
        AppendLe32(folderEntries, static_cast<std::uint32_t>(dataOffset + blocks.size()));
        AppendLe16(folderEntries, static_cast<std::uint32_t>(count));
        AppendLe16(folderEntries, kMszip);
        folderEntries += std::string(layout.FolderReserve, 'f');
        blocks += folderBlocks;
    }

    std::string cab = "MSCF";
    AppendLe32(cab, 0);
    AppendLe32(cab, static_cast<std::uint32_t>(dataOffset + blocks.size()));
    AppendLe32(cab, 0);
    AppendLe32(cab, static_cast<std::uint32_t>(filesOffset));
    AppendLe32(cab, 0);
    cab += "\x03\x01";  // format version 1.3
    AppendLe16(cab, static_cast<std::uint32_t>(folders));
    AppendLe16(cab, static_cast<std::uint32_t>(entries.size()));
    AppendLe16(cab, reserve ? kReservePresent : 0);
    AppendLe16(cab, 0x1234);
    AppendLe16(cab, 0);
    if (reserve) {
        AppendLe16(cab, layout.HeaderReserve);
        cab += static_cast<char>(layout.FolderReserve);
        cab += static_cast<char>(layout.DataReserve);
        cab += std::string(layout.HeaderReserve, 'h');
    }
    return cab + folderEntries + fileTable + blocks;
}

}  // namespace vantrel::test
