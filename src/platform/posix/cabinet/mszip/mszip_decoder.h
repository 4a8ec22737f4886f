#pragma once

// One MSZIP folder decoded with a fast inflate (Intel ISA-L's; zlib's where a frame holds a
// compressed block before its last one), giving exactly what libmspack would give, or saying it
// cannot be sure it would.
//
// An MSZIP folder is a series of frames, each "CK" and a deflate stream of at most 32 KiB of
// output that may look back into a 32 KiB window. libmspack's window is a ring written from its
// start by every frame, so a frame shorter than 32 KiB leaves older bytes behind it; that ring,
// as it stands, is the dictionary of the next frame. libmspack finds each frame by scanning for
// "CK" from the byte after the previous one ends.
//
// A frame is taken only when libmspack would decode it the same: every block header is one both
// read alike (see deflate_header.h), the frame unpacks to at most 32 KiB, and every byte libmspack
// would read to get there is available (see folder_stream.h; its bit reader looks 16 bits ahead
// of the end-of-block code). Anything else, damaged data above all, is left to libmspack.

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "platform/posix/cabinet/io.h"
#include "platform/posix/cabinet/mszip/deflate_header.h"
#include "platform/posix/cabinet/mszip/folder_stream.h"
#include "platform/posix/cabinet/mszip/frame_writer.h"

struct inflate_state;
struct z_stream_s;

namespace vantrel {

class MszipDecoder {
  public:
    MszipDecoder(CabIo& io, off_t dataOffset, unsigned blocks, unsigned blockReserve);
    ~MszipDecoder();
    MszipDecoder(const MszipDecoder&) = delete;
    MszipDecoder& operator=(const MszipDecoder&) = delete;

    // Bytes of the folder's output handed on so far.
    std::uint64_t Offset() const { return offset_; }

    // Hands the next `length` bytes of output to `sink` (nowhere when null), through `writer`
    // when given, which must have written them all before this decoder goes. false when
    // libmspack might not decode them the same way; this decoder is spent then.
    bool Deliver(std::uint64_t length, HostFile* sink, FrameWriter* writer = nullptr);

  private:
    struct Frame {
        std::size_t Output = 0;
        std::uint64_t EndBit = 0;    // the stream position right after the last block, in bits
        std::uint64_t LastRead = 0;  // how far libmspack reads to decode it, in bytes
    };
    // A frame's block headers, as far as they can be found without decoding a block.
    struct HeaderChain {
        enum { Known, Unknown, Refused } Kind;
        DeflateBlockHeader Last;  // the final block's, when Known
    };

    // A frame's room, which holds the ring once the frame is decoded into it; the last piece of
    // it handed to the writer.
    struct Buffer {
        std::unique_ptr<unsigned char[]> Bytes;
        std::uint64_t LastPiece = 0;
    };

    bool DecodeFrame(FrameWriter* writer);
    std::size_t OutputBuffer(FrameWriter* writer);
    std::optional<std::uint64_t> FindFrame();
    HeaderChain ReadHeaderChain(std::uint64_t start);
    std::optional<Frame> InflateWithIsal(std::uint64_t start, const DeflateBlockHeader& last,
                                         unsigned char* out);
    std::optional<Frame> InflateWithZlib(std::uint64_t start, unsigned char* out);
    z_stream_s* Zlib();

    FolderStream stream_;
    // One buffer while the walk writes for itself; while the writer still writes the ring, the
    // next frame goes into another, up to kBuffers.
    std::vector<Buffer> buffers_;
    std::size_t ring_ = 0;
    std::size_t pendingBegin_ = 0;  // output of the last frame not handed on yet, in the ring
    std::size_t pendingEnd_ = 0;
    std::uint64_t nextFrameSearch_ = 0;
    std::uint64_t offset_ = 0;
    std::unique_ptr<inflate_state> isal_;
    std::unique_ptr<z_stream_s> zlib_;
};

}  // namespace vantrel
