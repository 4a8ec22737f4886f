#include "platform/posix/cabinet/mszip/mszip_extractor.h"

#include <cstdint>
#include <utility>

#include "shared/cab_format.h"

namespace vantrel {
namespace {

// libmspack 0.11alpha's bounds: nothing past 2 GiB, and no more output than 32 KiB a data block.
constexpr std::uint64_t kLargestOffset = 0x7FFFFFFF;
constexpr std::uint64_t kFrameSize = cab::kFrameSize;

static_assert(MSCAB_COMP_MSZIP == cab::kMszip && MSCAB_COMP_NONE == cab::kStored);

}  // namespace

// Maps libmspack's folders to the folder table; for a lone cabinet they are the same list.
void MszipExtractor::Prepare(const mscabd_cabinet& cabinet) {
    prepared_ = true;
    if (leftToLibmspack_ || cabinet.prevcab != nullptr || cabinet.nextcab != nullptr) {
        return;
    }
    auto table = ReadFolderTable(io_);
    if (!table) {
        return;
    }
    std::size_t index = 0;
    for (const mscabd_folder* folder = cabinet.folders; folder != nullptr;
         folder = folder->next, ++index) {
        if (index >= table->Folders.size()) {
            mszipFolders_.clear();
            return;
        }
        const FolderEntry& entry = table->Folders[index];
        if (static_cast<int>(entry.CompressionType) != folder->comp_type ||
            entry.Blocks != folder->num_blocks) {
            mszipFolders_.clear();
            return;
        }
        if (MSCABD_COMP_METHOD(folder->comp_type) == MSCAB_COMP_MSZIP &&
            !(index == 0 && table->FirstFolderContinued)) {
            mszipFolders_.emplace(folder, index);
        }
    }
    handedOver_.assign(index, false);
    table_ = std::move(table);
}

// What libmspack checks before it decodes: the file lies within 2 GiB and within the output
// the folder's data blocks can hold.
bool MszipExtractor::LiesInFolder(const mscabd_file& file, const FolderEntry& folder) const {
    const std::uint64_t end = std::uint64_t{file.offset} + file.length;
    return file.offset <= kLargestOffset && file.length <= kLargestOffset &&
           end <= kLargestOffset && end <= folder.Blocks * kFrameSize;
}

bool MszipExtractor::Handles(const mscabd_cabinet& cabinet, const mscabd_file& file) {
    if (!prepared_) {
        Prepare(cabinet);
    }
    const auto found = mszipFolders_.find(file.folder);
    return found != mszipFolders_.end() && !handedOver_[found->second] &&
           LiesInFolder(file, table_->Folders[found->second]);
}

bool MszipExtractor::Extract(const mscabd_cabinet& cabinet, const mscabd_file& file,
                             HostFile& sink) {
    if (!prepared_) {
        Prepare(cabinet);
    }
    const mscabd_folder* previous = std::exchange(lastFolder_, file.folder);
    const auto found = mszipFolders_.find(file.folder);
    if (found == mszipFolders_.end() || handedOver_[found->second]) {
        return false;
    }
    const std::size_t index = found->second;
    const FolderEntry& folder = table_->Folders[index];
    if (!LiesInFolder(file, folder)) {
        return false;
    }
    if (!decoder_ || decoderFolder_ != index || previous != file.folder ||
        decoder_->Offset() > file.offset) {
        decoder_ = std::make_unique<MszipDecoder>(io_, folder.DataOffset, folder.Blocks,
                                                  table_->BlockReserve);
        decoderFolder_ = index;
    }
    if (file.length == 0) {
        return true;
    }
    if (DeliverFile(file, sink)) {
        return true;
    }
    handedOver_[index] = true;
    decoder_.reset();
    return false;
}

// Large files are written on the writer's thread, each whole before this returns; a small one
// would spend more on handing its frames over than it gains.
FrameWriter* MszipExtractor::WriterFor(const mscabd_file& file) {
    if (file.length < kLargeFile || writerFailed_) {
        return nullptr;
    }
    if (!writer_.Start()) {
        writerFailed_ = true;
        return nullptr;
    }
    return &writer_;
}

bool MszipExtractor::DeliverFile(const mscabd_file& file, HostFile& sink) {
    FrameWriter* writer = WriterFor(file);
    const bool delivered = decoder_->Deliver(file.offset - decoder_->Offset(), nullptr) &&
                           decoder_->Deliver(file.length, &sink, writer);
    if (writer != nullptr) {
        writer->Drain();
    }
    return delivered;
}

}  // namespace vantrel
