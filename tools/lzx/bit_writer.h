#pragma once

#include <cstdint>
#include <vector>

namespace vantrel::lzx {

// The LZX bit stream: bits go most significant first into 16-bit words, and each word is stored
// little-endian. Decoders refill 16 bits at a time, so the stream only ever ends on a word.
class BitWriter {
  public:
    // Appends the low `count` bits of `value`, highest first. At most 24 bits at a time.
    void Put(std::uint32_t value, unsigned count) {
        pending_ = pending_ << count | (value & ((1u << count) - 1));
        pendingBits_ += count;
        while (pendingBits_ >= 16) {
            pendingBits_ -= 16;
            EmitWord(static_cast<std::uint16_t>(pending_ >> pendingBits_));
        }
    }

    // Pads the word in progress with zero bits, as a decoder skips them at the end of a frame.
    void AlignToWord() {
        if (pendingBits_ > 0) {
            Put(0, 16 - pendingBits_);
        }
    }

    // The whole words written since the last call.
    std::vector<std::uint8_t> TakeBytes() {
        std::vector<std::uint8_t> taken;
        taken.swap(bytes_);
        return taken;
    }

  private:
    void EmitWord(std::uint16_t word) {
        bytes_.push_back(static_cast<std::uint8_t>(word));
        bytes_.push_back(static_cast<std::uint8_t>(word >> 8));
    }

    std::uint64_t pending_ = 0;
    unsigned pendingBits_ = 0;
    std::vector<std::uint8_t> bytes_;
};

}  // namespace vantrel::lzx
