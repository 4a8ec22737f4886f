#include "support/cab_set_builder.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>

namespace vantrel::test {
namespace {

using cab::kContinuedBothWays;
using cab::kContinuedFromPrevious;
using cab::kContinuedToNext;

// A file as listed in one part.
struct Listing {
    std::size_t File;
    std::uint32_t FolderOffset;  // where the whole file starts in its folder's data
    std::uint16_t FolderIndex;
};

// One folder, or the piece of a split folder, that a part holds.
// A folder cut at a part's end ends with a split data block: its bytes in this part say
// "uncompressed size 0", and the part continuing the folder finishes the block.
struct FolderPiece {
    std::string Data;
    std::size_t CarriedIn = 0;  // bytes of a split block that lie in earlier parts
    bool SplitsIntoNext = false;
};

struct Part {
    std::vector<FolderPiece> Folders;
    std::vector<Listing> Files;
};

class SetPlanner {
  public:
    SetPlanner(const std::vector<CabEntry>& entries, const CabSetLayout& layout)
        : entries_(entries), layout_(layout), parts_(layout.PartNames.size()) {
        if (layout.SplitFiles.size() + 1 != parts_.size()) {
            throw std::invalid_argument("a set of N parts needs N-1 split files");
        }
        std::size_t next = 0;  // first file not yet placed
        for (std::size_t part = 0; part < parts_.size(); ++part) {
            next = PlacePart(part, next);
        }
    }

    const std::vector<Part>& Parts() const { return parts_; }

  private:
    bool SplitAfter(std::size_t part) const { return part + 1 < parts_.size(); }

    std::size_t SplitFile(std::size_t part) const { return layout_.SplitFiles[part]; }

    // How many parts the file split after `part` lies in, and its piece in `part`.
    std::string PieceOf(std::size_t file, std::size_t part) const {
        std::size_t first = part;
        while (first > 0 && SplitFile(first - 1) == file) {
            --first;
        }
        std::size_t last = part;
        while (SplitAfter(last) && SplitFile(last) == file) {
            ++last;
        }
        const std::string& data = entries_[file].Data;
        const std::size_t pieces = last - first + 1;
        if (data.size() < pieces) {
            throw std::invalid_argument("a split file needs a byte for every part it lies in");
        }
        const std::size_t size = data.size() / pieces;
        const std::size_t start = (part - first) * size;
        return part == last ? data.substr(start) : data.substr(start, size);
    }

    std::size_t PlacePart(std::size_t part, std::size_t next) {
        Part& out = parts_[part];
        const bool continues = part > 0 && SplitFile(part - 1) < next;
        if (continues) {
            const std::size_t file = SplitFile(part - 1);
            const bool further = SplitAfter(part) && SplitFile(part) == file;
            out.Folders.push_back({PieceOf(file, part), carried_, further});
            Carry(out.Folders.back());
            out.Files.push_back(
                {file, continuedOffset_, further ? kContinuedBothWays : kContinuedFromPrevious});
            if (further) {
                return next;
            }
        }
        const std::size_t end = SplitAfter(part) ? SplitFile(part) + 1 : entries_.size();
        FolderPiece folder;
        const auto index = static_cast<std::uint16_t>(out.Folders.size());
        for (std::size_t file = next; file < end; ++file) {
            const auto offset = static_cast<std::uint32_t>(folder.Data.size());
            const bool split = SplitAfter(part) && file == SplitFile(part);
            folder.Data += split ? PieceOf(file, part) : entries_[file].Data;
            out.Files.push_back({file, offset, split ? kContinuedToNext : index});
            if (split) {
                continuedOffset_ = offset;
            }
        }
        if (next < end) {
            folder.SplitsIntoNext = SplitAfter(part);
            Carry(folder);
            out.Folders.push_back(folder);
        }
        return end;
    }

    // Bytes of the split block that `piece` leaves to the next part.
    void Carry(const FolderPiece& piece) {
        if (!piece.SplitsIntoNext) {
            carried_ = 0;
            return;
        }
        const std::size_t blockSize = layout_.BlockSize;
        const std::size_t tail =
            piece.Data.size() - (piece.Data.size() - 1) / blockSize * blockSize;
        const bool oneBlock = piece.Data.size() <= blockSize;
        carried_ = (oneBlock ? piece.CarriedIn : 0) + tail;
    }

    const std::vector<CabEntry>& entries_;
    const CabSetLayout& layout_;
    std::vector<Part> parts_;
    std::uint32_t continuedOffset_ = 0;
    std::size_t carried_ = 0;
};

std::vector<std::string> Blocks(const std::string& data, std::size_t blockSize) {
    std::vector<std::string> blocks;
    for (std::size_t at = 0; at < data.size(); at += blockSize) {
        blocks.push_back(data.substr(at, blockSize));
    }
    if (blocks.empty()) {
        blocks.emplace_back();
    }
    return blocks;
}

CabFolder StoredFolder(const FolderPiece& piece, std::size_t blockSize) {
    CabFolder folder;
    const auto blocks = Blocks(piece.Data, blockSize);
    for (std::size_t n = 0; n < blocks.size(); ++n) {
        const bool split = piece.SplitsIntoNext && n + 1 == blocks.size();
        const std::size_t whole = blocks[n].size() + (n == 0 ? piece.CarriedIn : 0);
        folder.Blocks.push_back({blocks[n], static_cast<std::uint16_t>(split ? 0 : whole)});
    }
    return folder;
}

std::string WritePart(const std::vector<CabEntry>& entries, const CabSetLayout& layout,
                      std::size_t part, const Part& planned) {
    const auto& names = layout.PartNames;
    CabContent content;
    content.SetId = layout.SetId;
    content.Number = static_cast<std::uint16_t>(part);
    if (part > 0) {
        content.Previous = {names[part - 1], "Disk " + std::to_string(part)};
    }
    if (part + 1 < names.size()) {
        content.Next = {names[part + 1], "Disk " + std::to_string(part + 2)};
    }
    for (const FolderPiece& piece : planned.Folders) {
        content.Folders.push_back(StoredFolder(piece, layout.BlockSize));
    }
    for (const Listing& listing : planned.Files) {
        const CabEntry& entry = entries[listing.File];
        content.Files.push_back(
            {{static_cast<std::uint32_t>(entry.Data.size()), listing.FolderOffset,
              listing.FolderIndex, entry.DosDate, entry.DosTime, entry.Attribs},
             entry.Name});
    }
    return WriteCab(content);
}

}  // namespace

std::vector<std::string> BuildStoredCabSet(const std::vector<CabEntry>& entries,
                                           const CabSetLayout& layout) {
    const SetPlanner planner(entries, layout);
    std::vector<std::string> parts;
    for (std::size_t part = 0; part < planner.Parts().size(); ++part) {
        parts.push_back(WritePart(entries, layout, part, planner.Parts()[part]));
    }
    return parts;
}

}  // namespace vantrel::test
