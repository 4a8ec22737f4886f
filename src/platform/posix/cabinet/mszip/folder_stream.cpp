#include "platform/posix/cabinet/mszip/folder_stream.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "shared/cab_format.h"

namespace vantrel {
namespace {

// libmspack 0.11alpha's input buffer for a cabinet's decoders (MSCABD_PARAM_DECOMPBUF, left at
// 4 KiB).
constexpr std::uint64_t kPieceSize = 4096;
// A frame's input is rarely above 40 KiB; one that needs more than this held at once is left to
// libmspack, which streams it, so that a hostile cabinet cannot make us hold much of itself.
constexpr std::size_t kMostHeld = 1 << 20;
// Two blocks: the one a frame lies in, and the next, which libmspack reads a little of.
constexpr std::size_t kFirstBuffer = 96 * 1024;

std::uint64_t PieceStart(std::uint64_t position) {
    return position / kPieceSize * kPieceSize;
}

}  // namespace

FolderStream::FolderStream(CabIo& io, off_t dataOffset, unsigned blocks, unsigned blockReserve)
    : io_(io),
      next_(dataOffset),
      blocksLeft_(blocks),
      headerSize_(cab::kDataHeaderSize + blockReserve) {}

std::uint64_t FolderStream::Available() const {
    if (ended_) {
        return End() + kTrailingZeros;
    }
    return PieceStart(End());
}

bool FolderStream::MayRead() const {
    return !failed_ && !ended_ && End() < keepFrom_ + kMostHeld;
}

std::uint64_t FolderStream::ReadUpTo(std::uint64_t end) {
    while (MayRead() && Read() < end) {
        ReadBlock();
    }
    return Read();
}

std::uint64_t FolderStream::MakeAvailable(std::uint64_t end) {
    const std::uint64_t needed = PieceStart(end + kPieceSize - 1);
    while (MayRead() && End() < needed) {
        ReadBlock();
    }
    return Available();
}

// One block, as libmspack's block reader takes it, with the next block's header read in the
// same call.
void FolderStream::ReadBlock() {
    if (blocksLeft_ == 0) {
        ended_ = true;
        MakeRoom(kTrailingZeros);
        std::memset(buffer_.get() + filled_, 0, kTrailingZeros);
        return;
    }
    --blocksLeft_;
    if (!headerRead_) {
        const ssize_t got = io_.ReadCabinetAt(next_, header_.data(), headerSize_);
        headerBytes_ = got > 0 ? static_cast<std::size_t>(got) : 0;
        headerRead_ = true;
    }
    const cab::DataHeader block = cab::ReadDataHeader(header_.data());
    const unsigned length = block.Size;
    const unsigned unpacked = block.UncompressedSize;
    if (headerBytes_ < cab::kDataHeaderSize || length > cab::kLargestBlockData ||
        unpacked > cab::kFrameSize) {
        failed_ = true;
        return;
    }
    const std::size_t nextHeader = blocksLeft_ > 0 ? headerSize_ : 0;
    MakeRoom(length + nextHeader);
    unsigned char* data = buffer_.get() + filled_;
    const ssize_t got = io_.ReadCabinetAt(next_ + headerSize_, data, length + nextHeader);
    // A block that unpacks to nothing goes on in the next cabinet of a set.
    if (got < static_cast<ssize_t>(length) || unpacked == 0 ||
        (block.Checksum != 0 &&
         cab::DataBlockChecksum(data, block.Size, block.UncompressedSize) != block.Checksum)) {
        failed_ = true;
        return;
    }
    headerBytes_ = std::min(static_cast<std::size_t>(got) - length, nextHeader);
    std::memcpy(header_.data(), data + length, headerBytes_);
    filled_ += length;
    next_ += headerSize_ + length;
}

// Room for `bytes` more after the stream (and for the trailing zeros), dropping what was
// released when that is most of the buffer.
void FolderStream::MakeRoom(std::size_t bytes) {
    if (filled_ + bytes + kTrailingZeros <= capacity_) {
        return;
    }
    const std::size_t released = static_cast<std::size_t>(std::min(keepFrom_, End()) - base_);
    if (released > 0 && released >= filled_ / 2) {
        std::memmove(buffer_.get(), buffer_.get() + released, filled_ - released);
        filled_ -= released;
        base_ += released;
    }
    const std::size_t wanted = filled_ + bytes + kTrailingZeros;
    if (wanted > capacity_) {
        const std::size_t capacity = std::max({kFirstBuffer, 2 * capacity_, wanted});
        std::unique_ptr<unsigned char[]> larger(new unsigned char[capacity]);
        if (filled_ > 0) {
            std::memcpy(larger.get(), buffer_.get(), filled_);
        }
        buffer_ = std::move(larger);
        capacity_ = capacity;
    }
}

}  // namespace vantrel
