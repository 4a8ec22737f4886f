#pragma once

// The header of one deflate block inside an MSZIP frame, read the way libmspack reads it. The
// walk decodes MSZIP with a faster inflate than libmspack's, but libmspack is the reference: it
// accepts some headers RFC 1951 decoders refuse (up to 288 literal and 32 distance codes), reads
// a repeat code after a run of zeros differently, and refuses every incomplete code. A header is
// handed to the fast inflate only when both would build the very same codes from it.

#include <cstddef>
#include <optional>

namespace vantrel {

// Bits of a byte buffer, least significant bit first, as deflate packs them.
class BitReader {
  public:
    BitReader(const unsigned char* bytes, std::size_t size, std::size_t bitPosition)
        : bytes_(bytes), bitSize_(size * 8), position_(bitPosition) {}

    // Takes `count` (at most 16) bits; false when the buffer ends first.
    bool Read(unsigned count, unsigned& value);
    // The next `count` bits without taking them; bits past the end read as 0.
    unsigned Peek(unsigned count) const;
    bool Skip(unsigned count);
    void SkipToByte() { position_ = (position_ + 7) / 8 * 8; }
    std::size_t Position() const { return position_; }
    std::size_t BitsLeft() const { return position_ < bitSize_ ? bitSize_ - position_ : 0; }

  private:
    const unsigned char* bytes_;
    std::size_t bitSize_;
    std::size_t position_;
};

enum class DeflateBlockType { Stored = 0, Fixed = 1, Dynamic = 2 };

struct DeflateBlockHeader {
    bool Final = false;
    DeflateBlockType Type = DeflateBlockType::Stored;
    // Stored blocks: where the data begins (a whole byte) and how long it is.
    std::size_t StoredDataByte = 0;
    unsigned StoredLength = 0;
    // Huffman blocks: the length of the end-of-block code, which the block ends with.
    unsigned EndCodeBits = 0;
};

// The header of the block at `bitPosition` of `bytes`. Nothing when it runs past the bytes, when
// libmspack would refuse it, or when libmspack would build other codes from it than an RFC 1951
// decoder does: the caller then leaves the frame to libmspack.
std::optional<DeflateBlockHeader> ReadDeflateBlockHeader(const unsigned char* bytes,
                                                         std::size_t size, std::size_t bitPosition);

}  // namespace vantrel
