#include "platform/posix/cabinet/mszip/mszip_decoder.h"

#include <isa-l/igzip_lib.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "platform/posix/cabinet/mszip/deflate_header.h"
#include "shared/cab_format.h"

namespace vantrel {
namespace {

constexpr std::size_t kFrameSize = cab::kFrameSize;  // libmspack 0.11alpha's MSZIP frame
// Room for one byte more than a frame may hold, to see a frame that holds more.
constexpr std::size_t kFrameRoom = kFrameSize + 1;
// More than the longest dynamic block header, about 560 bytes.
constexpr std::uint64_t kHeaderLookahead = 2048;
// libmspack 0.11alpha's bit reader fills up to 16 bits before it decodes each Huffman code.
constexpr unsigned kHuffmanLookaheadBits = 16;
constexpr int kRawDeflate = -15;
constexpr int kAtBlockBoundary = 128;  // zlib's data_type bit for a stop between blocks
// Enough for the writer to be writing one frame while the next waits and a third is decoded.
constexpr std::size_t kBuffers = 4;

std::uint64_t BytesFor(std::uint64_t bits) {
    return (bits + 7) / 8;
}

// How far into the stream libmspack reads to decode a frame ending with `last` at `endBit`:
// past the end of a stored block's data it reads nothing; for the end-of-block code of a Huffman
// block it has filled its bit buffer 16 bits ahead.
std::uint64_t LastReadOf(const DeflateBlockHeader& last, std::uint64_t endBit) {
    if (last.Type == DeflateBlockType::Stored) {
        return BytesFor(endBit);
    }
    return BytesFor(endBit - last.EndCodeBits + kHuffmanLookaheadBits);
}

}  // namespace

MszipDecoder::MszipDecoder(CabIo& io, off_t dataOffset, unsigned blocks, unsigned blockReserve)
    : stream_(io, dataOffset, blocks, blockReserve), buffers_(1), isal_(new inflate_state) {
    buffers_[0].Bytes.reset(new unsigned char[kFrameRoom]);
    // libmspack's window starts out zeroed too (CabIo's allocations are), which is what a stream
    // looking back before its start finds there.
    std::memset(buffers_[0].Bytes.get(), 0, kFrameSize);
    isal_inflate_init(isal_.get());
}

MszipDecoder::~MszipDecoder() {
    if (zlib_) {
        inflateEnd(zlib_.get());
    }
}

bool MszipDecoder::Deliver(std::uint64_t length, HostFile* sink, FrameWriter* writer) {
    while (length > 0) {
        if (pendingBegin_ == pendingEnd_) {
            if (!DecodeFrame(writer)) {
                return false;
            }
            continue;
        }
        const auto count =
            static_cast<std::size_t>(std::min<std::uint64_t>(length, pendingEnd_ - pendingBegin_));
        Buffer& ring = buffers_[ring_];
        if (sink != nullptr && writer != nullptr) {
            ring.LastPiece = writer->Post(*sink, ring.Bytes.get() + pendingBegin_, count);
        } else if (sink != nullptr) {
            sink->Write(ring.Bytes.get() + pendingBegin_, static_cast<int>(count));
        }
        pendingBegin_ += count;
        offset_ += count;
        length -= count;
    }
    return true;
}

bool MszipDecoder::DecodeFrame(FrameWriter* writer) {
    const auto start = FindFrame();
    if (!start) {
        return false;
    }
    const HeaderChain chain = ReadHeaderChain(*start);
    if (chain.Kind == HeaderChain::Refused) {
        return false;
    }
    // Either takes the ring as its dictionary and writes the frame's output at the start of the
    // output buffer: what the ring holds past the output stays, as it does in libmspack's.
    const std::size_t out = OutputBuffer(writer);
    unsigned char* bytes = buffers_[out].Bytes.get();
    const std::optional<Frame> frame = chain.Kind == HeaderChain::Known
                                           ? InflateWithIsal(*start, chain.Last, bytes)
                                           : InflateWithZlib(*start, bytes);
    if (!frame) {
        return false;
    }
    if (out != ring_) {
        // The ring's bytes past a short frame stay in the ring, which has moved.
        std::memcpy(bytes + frame->Output, buffers_[ring_].Bytes.get() + frame->Output,
                    kFrameSize - frame->Output);
        ring_ = out;
    }
    // The frame was decoded from all the blocks read; libmspack must be able to read as far.
    nextFrameSearch_ = BytesFor(frame->EndBit);
    stream_.Release(nextFrameSearch_);
    if (stream_.MakeAvailable(frame->LastRead) < frame->LastRead) {
        return false;
    }
    pendingBegin_ = 0;
    pendingEnd_ = frame->Output;
    return true;
}

// Where the next frame is decoded: over the ring itself, as libmspack does, unless the writer
// may still be reading it; then into the next buffer the writer is done with.
std::size_t MszipDecoder::OutputBuffer(FrameWriter* writer) {
    if (writer == nullptr || writer->Written(buffers_[ring_].LastPiece)) {
        return ring_;
    }
    const std::size_t next = (ring_ + 1) % kBuffers;
    if (next == buffers_.size()) {
        buffers_.emplace_back().Bytes.reset(new unsigned char[kFrameRoom]);
    } else {
        writer->WaitWritten(buffers_[next].LastPiece);
    }
    return next;
}

// Where the next frame's deflate stream begins: after the first "CK" from the byte after the
// last frame on, wherever libmspack's scan would find it.
std::optional<std::uint64_t> MszipDecoder::FindFrame() {
    std::uint64_t position = nextFrameSearch_;
    bool afterC = false;
    for (;;) {
        const std::uint64_t read = stream_.ReadUpTo(position + 2);
        if (position >= read) {
            return std::nullopt;
        }
        const unsigned char* bytes = stream_.At(position);
        const auto count = static_cast<std::size_t>(read - position);
        for (std::size_t i = 0; i < count; ++i) {
            if (afterC && bytes[i] == 'K') {
                return position + i + 1;
            }
            afterC = bytes[i] == 'C';
        }
        position = read;
        stream_.Release(position);
    }
}

// The frame's block headers from `start` on, as long as each block's end is known without
// decoding it: stored blocks, up to the final block.
MszipDecoder::HeaderChain MszipDecoder::ReadHeaderChain(std::uint64_t start) {
    std::uint64_t bit = 8 * start;
    for (;;) {
        const std::uint64_t byte = bit / 8;
        const std::uint64_t read = stream_.ReadUpTo(byte + kHeaderLookahead);
        if (read <= byte) {
            return {HeaderChain::Refused, {}};
        }
        auto header = ReadDeflateBlockHeader(stream_.At(byte), read - byte, bit % 8);
        if (!header) {
            return {HeaderChain::Refused, {}};
        }
        header->StoredDataByte += byte;
        if (header->Final) {
            return {HeaderChain::Known, *header};
        }
        if (header->Type != DeflateBlockType::Stored) {
            return {HeaderChain::Unknown, {}};
        }
        bit = 8 * (header->StoredDataByte + header->StoredLength);
    }
}

std::optional<MszipDecoder::Frame> MszipDecoder::InflateWithIsal(std::uint64_t start,
                                                                 const DeflateBlockHeader& last,
                                                                 unsigned char* out) {
    inflate_state& state = *isal_;
    isal_inflate_reset(&state);
    state.crc_flag = ISAL_DEFLATE;
    state.hist_bits = 0;
    if (isal_inflate_set_dict(&state, buffers_[ring_].Bytes.get(), kFrameSize) != COMP_OK) {
        return std::nullopt;
    }
    std::uint64_t position = start;  // where state.next_in points in the stream
    std::uint64_t read = stream_.Read();
    state.next_in = const_cast<std::uint8_t*>(stream_.At(position));
    state.avail_in = static_cast<std::uint32_t>(read - position);
    state.next_out = out;
    state.avail_out = kFrameRoom;
    for (;;) {
        const std::uint8_t* before = state.next_in;
        if (isal_inflate(&state) != ISAL_DECOMP_OK) {
            return std::nullopt;
        }
        position += static_cast<std::uint64_t>(state.next_in - before);
        if (state.block_state == ISAL_BLOCK_FINISH) {
            break;
        }
        if (state.avail_out == 0 || state.avail_in != 0) {
            return std::nullopt;
        }
        const std::uint64_t more = stream_.ReadUpTo(read + 1);
        if (more <= read) {
            return std::nullopt;
        }
        read = more;
        state.next_in = const_cast<std::uint8_t*>(stream_.At(position));
        state.avail_in = static_cast<std::uint32_t>(read - position);
    }
    const std::size_t output = kFrameRoom - state.avail_out;
    if (output > kFrameSize) {
        return std::nullopt;
    }
    const std::uint64_t endBit = 8 * position - static_cast<std::uint64_t>(state.read_in_length);
    return Frame{output, endBit, LastReadOf(last, endBit)};
}

// Block by block, each header checked before zlib decodes the block: zlib stops after every
// block (Z_BLOCK) and tells where in its last byte it stopped.
std::optional<MszipDecoder::Frame> MszipDecoder::InflateWithZlib(std::uint64_t start,
                                                                 unsigned char* out) {
    z_stream_s* zlib = Zlib();
    if (zlib == nullptr || inflateReset(zlib) != Z_OK ||
        inflateSetDictionary(zlib, buffers_[ring_].Bytes.get(), kFrameSize) != Z_OK) {
        return std::nullopt;
    }
    zlib->next_out = out;
    zlib->avail_out = kFrameRoom;
    std::uint64_t position = start;  // where zlib->next_in points in the stream
    std::uint64_t bit = 8 * start;   // where the next block begins
    for (;;) {
        const std::uint64_t byte = bit / 8;
        std::uint64_t read = stream_.ReadUpTo(byte + kHeaderLookahead);
        if (read <= byte) {
            return std::nullopt;
        }
        const auto header = ReadDeflateBlockHeader(stream_.At(byte), read - byte, bit % 8);
        if (!header) {
            return std::nullopt;
        }
        zlib->next_in = const_cast<Bytef*>(stream_.At(position));
        zlib->avail_in = static_cast<uInt>(read - position);
        for (;;) {
            const Bytef* before = zlib->next_in;
            const int result = inflate(zlib, Z_BLOCK);
            position += static_cast<std::uint64_t>(zlib->next_in - before);
            if (result != Z_OK && result != Z_BUF_ERROR) {
                return std::nullopt;
            }
            if ((zlib->data_type & kAtBlockBoundary) != 0) {
                break;
            }
            if (zlib->avail_out == 0 || zlib->avail_in != 0) {
                return std::nullopt;
            }
            const std::uint64_t more = stream_.ReadUpTo(read + 1);
            if (more <= read) {
                return std::nullopt;
            }
            read = more;
            zlib->next_in = const_cast<Bytef*>(stream_.At(position));
            zlib->avail_in = static_cast<uInt>(read - position);
        }
        bit = 8 * position - static_cast<std::uint64_t>(zlib->data_type & 7);
        if (header->Final) {
            const std::size_t output = kFrameRoom - zlib->avail_out;
            if (output > kFrameSize) {
                return std::nullopt;
            }
            return Frame{output, bit, LastReadOf(*header, bit)};
        }
    }
}

z_stream_s* MszipDecoder::Zlib() {
    if (!zlib_) {
        auto zlib = std::make_unique<z_stream_s>();
        if (inflateInit2(zlib.get(), kRawDeflate) != Z_OK) {
            return nullptr;
        }
        zlib_ = std::move(zlib);
    }
    return zlib_.get();
}

}  // namespace vantrel
