#include "platform/posix/cabinet/mszip/folder_table.h"

#include <mspack.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "shared/cab_format.h"

namespace vantrel {
namespace {

constexpr std::size_t kLongestName = 256;  // libmspack 0.11alpha looks this far for a name's end

// libmspack reads the same header; where its public header has our values, they must agree.
static_assert(MSCAB_HDR_PREVCAB == cab::kHasPrevious && MSCAB_HDR_NEXTCAB == cab::kHasNext &&
              MSCAB_HDR_RESV == cab::kHasReserve);
static_assert(MSCAB_HDR_RESV_OFFSET == cab::kHeaderSize + cab::kReserveSizesSize);
static_assert(MSCAB_ATTRIB_UTF_NAME == cab::kAttribUtf8Name);

constexpr std::size_t kWindowSize = 16 * 1024;

// Reads the headers front to back through a window, as they lie one after another.
class HeaderReader {
  public:
    explicit HeaderReader(CabIo& io) : io_(io), window_(new unsigned char[kWindowSize]) {}

    // The next `size` bytes (at most a file entry and its name), or nullptr when the cabinet
    // ends first. Valid until the next call.
    const unsigned char* Take(std::size_t size) {
        const unsigned char* bytes = Peek(size);
        if (bytes != nullptr) {
            position_ += static_cast<off_t>(size);
        }
        return bytes;
    }

    // Up to `size` bytes from here on without taking them; `got` tells how many there are.
    const unsigned char* PeekUpTo(std::size_t size, std::size_t& got) {
        if (position_ < windowStart_ || position_ + static_cast<off_t>(size) > windowEnd_) {
            Fill();
        }
        got = static_cast<std::size_t>(std::min<off_t>(windowEnd_ - position_, size));
        return window_.get() + (position_ - windowStart_);
    }

    void Skip(std::size_t size) { position_ += static_cast<off_t>(size); }

  private:
    const unsigned char* Peek(std::size_t size) {
        std::size_t got = 0;
        const unsigned char* bytes = PeekUpTo(size, got);
        return got == size ? bytes : nullptr;
    }

    void Fill() {
        const ssize_t got = io_.ReadCabinetAt(position_, window_.get(), kWindowSize);
        windowStart_ = position_;
        windowEnd_ = position_ + std::max<ssize_t>(got, 0);
    }

    CabIo& io_;
    off_t position_ = 0;
    std::unique_ptr<unsigned char[]> window_;
    off_t windowStart_ = 0;
    off_t windowEnd_ = 0;
};

// Takes one file entry and its name; the entry's folder index, or nothing when it cannot be read.
std::optional<unsigned> TakeFileEntry(HeaderReader& reader) {
    const unsigned char* entry = reader.Take(cab::kFileEntrySize);
    if (entry == nullptr) {
        return std::nullopt;
    }
    const unsigned folder = cab::ReadFileEntry(entry).Folder;
    std::size_t got = 0;
    const unsigned char* name = reader.PeekUpTo(kLongestName, got);
    const auto* end = static_cast<const unsigned char*>(std::memchr(name, 0, got));
    if (end == nullptr || end == name) {
        return std::nullopt;
    }
    reader.Skip(static_cast<std::size_t>(end - name) + 1);
    return folder;
}

}  // namespace

std::optional<FolderTable> ReadFolderTable(CabIo& io) {
    HeaderReader reader(io);
    const unsigned char* bytes = reader.Take(cab::kHeaderSize);
    const auto header = bytes != nullptr ? cab::ReadHeader(bytes) : std::nullopt;
    if (!header || (header->Flags & (cab::kHasPrevious | cab::kHasNext)) != 0) {
        return std::nullopt;
    }
    FolderTable table;
    std::size_t folderReserve = 0;
    if ((header->Flags & cab::kHasReserve) != 0) {
        const unsigned char* sizes = reader.Take(cab::kReserveSizesSize);
        if (sizes == nullptr) {
            return std::nullopt;
        }
        const cab::ReserveSizes reserve = cab::ReadReserveSizes(sizes);
        folderReserve = reserve.Folder;
        table.BlockReserve = reserve.Data;
        reader.Skip(reserve.Header);
    }
    for (unsigned i = 0; i < header->Folders; ++i) {
        const unsigned char* entry = reader.Take(cab::kFolderEntrySize);
        if (entry == nullptr) {
            return std::nullopt;
        }
        const cab::FolderEntry folder = cab::ReadFolderEntry(entry);
        table.Folders.push_back(
            {static_cast<off_t>(folder.DataOffset), folder.Blocks, folder.CompressionType});
        reader.Skip(folderReserve);
    }
    for (unsigned i = 0; i < header->Files; ++i) {
        const auto folder = TakeFileEntry(reader);
        if (!folder) {
            return std::nullopt;
        }
        table.FirstFolderContinued = table.FirstFolderContinued ||
                                     *folder == cab::kContinuedFromPrevious ||
                                     *folder == cab::kContinuedBothWays;
    }
    return table;
}

}  // namespace vantrel
