#include "support/mszip_builder.h"

#include <zlib.h>

#include <algorithm>
#include <stdexcept>

namespace vantrel::test {
namespace {

constexpr std::size_t kWindow = 32768;

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

// One folder holding `data`.
CabFolder MszipFolder(const std::string& data, const MszipLayout& layout) {
    CabFolder folder{cab::kMszip, {}};
    std::string ring(kWindow, '\0');
    for (std::size_t start = 0; start < data.size();) {
        const std::size_t count = folder.Blocks.size();
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
        folder.Blocks.push_back({packed, static_cast<std::uint16_t>(frame.size())});
    }
    return folder;
}

}  // namespace

std::string BuildMszipCab(const std::vector<CabEntry>& entries, const MszipLayout& layout) {
    const std::size_t folders = std::max<std::size_t>(layout.Folders, 1);
    std::vector<std::string> data(folders);
    CabContent content;
    content.Checksums = layout.Checksums;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const auto folder = static_cast<std::uint16_t>(i % folders);
        content.Files.push_back({{static_cast<std::uint32_t>(entries[i].Data.size()),
                                  static_cast<std::uint32_t>(data[folder].size()), folder,
                                  entries[i].DosDate, entries[i].DosTime, entries[i].Attribs},
                                 entries[i].Name});
        data[folder] += entries[i].Data;
    }
    if (layout.HeaderReserve != 0 || layout.FolderReserve != 0 || layout.DataReserve != 0) {
        content.Reserve = {layout.HeaderReserve, layout.FolderReserve, layout.DataReserve};
    }
    for (const std::string& folderData : data) {
        content.Folders.push_back(MszipFolder(folderData, layout));
    }
    return WriteCab(content);
}

}  // namespace vantrel::test
