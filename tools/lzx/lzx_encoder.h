#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vantrel::lzx {

// 32 KiB of output: the unit a cabinet stores in one data block, and after which the LZX bit
// stream is realigned to a 16-bit word.
constexpr std::uint32_t kFrameSize = 32768;

struct Frame {
    std::vector<std::uint8_t> Compressed;
    std::uint32_t UncompressedSize = 0;
};

struct EncoderOptions {
    unsigned WindowBits = 21;  // 15 to 21
    unsigned ChainDepth = 32;  // candidates tried per position: speed against ratio
};

// Compresses one cabinet folder's data as an LZX stream of verbatim blocks: Huffman-coded
// literals and greedy LZ77 matches found through hash chains, no Intel E8 translation. Returns one
// frame per 32 KiB of input (the last one shorter), each ending on a 16-bit word.
std::vector<Frame> EncodeLzx(const std::vector<std::uint8_t>& data, const EncoderOptions& options);

// The cabinet folder's compression type for LZX with a window of 2^windowBits bytes.
std::uint16_t LzxCompressionType(unsigned windowBits);

}  // namespace vantrel::lzx
