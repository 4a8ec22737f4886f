#pragma once

// The data blocks of one cabinet folder as one stream of bytes, read the way libmspack reads
// them: a block's checksum is checked when it has one, its reserved area is skipped, and a block
// longer than 38,912 bytes, one claiming to unpack to more than 32 KiB, or one continued into a
// next cabinet cannot be read.
//
// libmspack's decoders take the stream in pieces of 4 KiB, and a piece that needs a block that
// cannot be read fails as a whole. So a byte counts as available only once every block its piece
// needs was read; after the last block come two zero bytes, which libmspack adds so that a
// decoder may look a little past the end.

#include <sys/types.h>

#include <array>
#include <cstdint>
#include <memory>

#include "platform/posix/cabinet/io.h"
#include "shared/cab_format.h"

namespace vantrel {

class FolderStream {
  public:
    FolderStream(CabIo& io, off_t dataOffset, unsigned blocks, unsigned blockReserve);

    // Reads blocks until the stream holds `end` bytes or no more can be read, and answers how
    // many it holds: all the blocks read gave, and the two zeros once the last one was read.
    std::uint64_t ReadUpTo(std::uint64_t end);
    std::uint64_t Read() const { return End() + (ended_ ? kTrailingZeros : 0); }

    // Reads blocks until the stream is available up to `end` (exclusive) or no more can be, and
    // answers how far it is available.
    std::uint64_t MakeAvailable(std::uint64_t end);
    std::uint64_t Available() const;

    // The bytes from stream position `position` on, up to Read(). Valid until the next block is
    // read; `position` may not lie before what was released.
    const unsigned char* At(std::uint64_t position) const {
        return buffer_.get() + (position - base_);
    }

    // The bytes before `position` are not needed any more.
    void Release(std::uint64_t position) { keepFrom_ = position; }

  private:
    static constexpr std::size_t kTrailingZeros = 2;  // as libmspack 0.11alpha adds

    std::uint64_t End() const { return base_ + filled_; }
    bool MayRead() const;
    void ReadBlock();
    void MakeRoom(std::size_t bytes);

    CabIo& io_;
    off_t next_;  // where the next block's header lies in the cabinet
    unsigned blocksLeft_;
    unsigned headerSize_;
    // The next block's header, read together with the data of the block before it.
    std::array<unsigned char, cab::kDataHeaderSize + 255> header_{};  // 255: the largest reserve
    std::size_t headerBytes_ = 0;
    bool headerRead_ = false;
    std::unique_ptr<unsigned char[]> buffer_;  // the stream from base_ on
    std::size_t capacity_ = 0;
    std::uint64_t base_ = 0;
    std::size_t filled_ = 0;
    std::uint64_t keepFrom_ = 0;
    bool failed_ = false;  // a block could not be read: nothing from its piece on is available
    bool ended_ = false;   // every block was read
};

}  // namespace vantrel
