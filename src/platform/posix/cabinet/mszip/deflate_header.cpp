#include "platform/posix/cabinet/mszip/deflate_header.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace vantrel {
namespace {

constexpr unsigned kMaxCodeBits = 15;
constexpr unsigned kCodeLengthCodes = 19;
constexpr unsigned kCodeLengthBits = 7;  // the longest code of the code-length alphabet
// libmspack 0.11alpha's tables hold this many symbols; RFC 1951 decoders allow two fewer of each.
constexpr unsigned kLiteralSymbols = 288;
constexpr unsigned kDistanceSymbols = 32;
constexpr unsigned kRfcLiteralCodes = 286;
constexpr unsigned kRfcDistanceCodes = 30;
constexpr unsigned kEndOfBlock = 256;
constexpr unsigned kFixedEndCodeBits = 7;
// libmspack 0.11alpha looks up this many bits at once and keeps longer codes in a tree after the
// table.
constexpr unsigned kLiteralTableBits = 9;
constexpr unsigned kDistanceTableBits = 6;

constexpr std::array<std::uint8_t, kCodeLengthCodes> kCodeLengthOrder = {
    16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

using CodeCounts = std::array<unsigned, kMaxCodeBits + 1>;

CodeCounts CountLengths(const std::uint8_t* lengths, unsigned symbols) {
    CodeCounts counts{};
    for (unsigned i = 0; i < symbols; ++i) {
        ++counts[lengths[i]];
    }
    return counts;
}

// Every code libmspack builds must fill its code space exactly: it refuses both a code with
// room left over and one that overflows, and an all-empty one.
bool IsComplete(const CodeCounts& counts) {
    std::uint32_t used = 0;
    for (unsigned bits = 1; bits <= kMaxCodeBits; ++bits) {
        used += counts[bits] << (kMaxCodeBits - bits);
    }
    return used == 1u << kMaxCodeBits;
}

// libmspack keeps the codes longer than its table's `tableBits` in a tree stored after the
// table, in room for as many nodes as the alphabet has symbols. A complete code can need more
// nodes than that, and libmspack then writes past its table; such a code is left to it.
bool FitsLibmspackTable(const CodeCounts& counts, unsigned symbols, unsigned tableBits) {
    std::uint32_t open = 1u << tableBits;  // unfilled entries at depth tableBits
    for (unsigned bits = 1; bits <= tableBits; ++bits) {
        open -= counts[bits] << (tableBits - bits);
    }
    std::uint32_t nodes = 0;
    for (unsigned depth = tableBits; depth < kMaxCodeBits; ++depth) {
        nodes += open;
        open = 2 * open - counts[depth + 1];
    }
    const std::uint32_t firstNode =
        symbols > (1u << (tableBits - 1)) ? symbols : 1u << (tableBits - 1);
    return 2 * (firstNode + nodes) <= (1u << tableBits) + 2 * symbols;
}

bool IsUsableCode(const std::uint8_t* lengths, unsigned symbols, unsigned tableBits) {
    const CodeCounts counts = CountLengths(lengths, symbols);
    return IsComplete(counts) && FitsLibmspackTable(counts, symbols, tableBits);
}

// A decoding table for the code-length alphabet: for every value of the next 7 bits, the symbol
// they begin with and its length.
struct CodeLengthTable {
    std::array<std::uint8_t, 1u << kCodeLengthBits> Symbol{};
    std::array<std::uint8_t, 1u << kCodeLengthBits> Bits{};
};

unsigned Reversed(unsigned code, unsigned bits) {
    unsigned reversed = 0;
    for (unsigned i = 0; i < bits; ++i) {
        reversed = reversed << 1 | ((code >> i) & 1);
    }
    return reversed;
}

// Canonical codes, shortest first and in symbol order within a length, as RFC 1951 and
// libmspack both assign them. `lengths` must describe a complete code.
CodeLengthTable BuildCodeLengthTable(const std::array<std::uint8_t, kCodeLengthCodes>& lengths) {
    CodeLengthTable table;
    unsigned code = 0;
    for (unsigned bits = 1; bits <= kCodeLengthBits; ++bits) {
        for (unsigned symbol = 0; symbol < kCodeLengthCodes; ++symbol) {
            if (lengths[symbol] != bits) {
                continue;
            }
            const unsigned start = Reversed(code++, bits);
            for (unsigned fill = start; fill < (1u << kCodeLengthBits); fill += 1u << bits) {
                table.Symbol[fill] = static_cast<std::uint8_t>(symbol);
                table.Bits[fill] = static_cast<std::uint8_t>(bits);
            }
        }
        code <<= 1;
    }
    return table;
}

bool ReadStoredHeader(BitReader& bits, DeflateBlockHeader& header) {
    bits.SkipToByte();
    unsigned length = 0;
    unsigned complement = 0;
    if (!bits.Read(16, length) || !bits.Read(16, complement) || length != (~complement & 0xFFFF)) {
        return false;
    }
    header.StoredDataByte = bits.Position() / 8;
    header.StoredLength = length;
    return true;
}

// Reads the literal and distance code lengths of a dynamic block into `lengths`. libmspack
// repeats, for code 16, the last length given literally, where RFC 1951 repeats the length just
// before, which is 0 after a run of zeros; only streams where the two agree are accepted.
bool ReadCodeLengths(BitReader& bits, const CodeLengthTable& table, unsigned total,
                     std::uint8_t* lengths) {
    unsigned lastLiteral = 0;
    for (unsigned i = 0; i < total;) {
        if (bits.BitsLeft() == 0) {
            return false;
        }
        const unsigned peeked = bits.Peek(kCodeLengthBits);
        const unsigned symbol = table.Symbol[peeked];
        if (!bits.Skip(table.Bits[peeked])) {
            return false;
        }
        if (symbol < 16) {
            lengths[i++] = static_cast<std::uint8_t>(symbol);
            lastLiteral = symbol;
            continue;
        }
        unsigned run = 0;
        std::uint8_t value = 0;
        if (symbol == 16) {
            if (!bits.Read(2, run) || i == 0 || lengths[i - 1] != lastLiteral) {
                return false;
            }
            run += 3;
            value = static_cast<std::uint8_t>(lastLiteral);
        } else if (symbol == 17) {
            if (!bits.Read(3, run)) {
                return false;
            }
            run += 3;
        } else {
            if (!bits.Read(7, run)) {
                return false;
            }
            run += 11;
        }
        if (i + run > total) {
            return false;
        }
        for (; run > 0; --run) {
            lengths[i++] = value;
        }
    }
    return true;
}

bool ReadDynamicHeader(BitReader& bits, DeflateBlockHeader& header) {
    unsigned literalCodes = 0;
    unsigned distanceCodes = 0;
    unsigned lengthCodes = 0;
    if (!bits.Read(5, literalCodes) || !bits.Read(5, distanceCodes) || !bits.Read(4, lengthCodes)) {
        return false;
    }
    literalCodes += 257;
    distanceCodes += 1;
    lengthCodes += 4;
    if (literalCodes > kRfcLiteralCodes || distanceCodes > kRfcDistanceCodes) {
        return false;
    }
    std::array<std::uint8_t, kCodeLengthCodes> lengthCodeLengths{};
    for (unsigned i = 0; i < lengthCodes; ++i) {
        unsigned length = 0;
        if (!bits.Read(3, length)) {
            return false;
        }
        lengthCodeLengths[kCodeLengthOrder[i]] = static_cast<std::uint8_t>(length);
    }
    if (!IsComplete(CountLengths(lengthCodeLengths.data(), kCodeLengthCodes))) {
        return false;
    }
    std::array<std::uint8_t, kLiteralSymbols + kDistanceSymbols> lengths{};
    if (!ReadCodeLengths(bits, BuildCodeLengthTable(lengthCodeLengths),
                         literalCodes + distanceCodes, lengths.data())) {
        return false;
    }
    std::array<std::uint8_t, kLiteralSymbols> literals{};
    std::array<std::uint8_t, kDistanceSymbols> distances{};
    std::copy_n(lengths.begin(), literalCodes, literals.begin());
    std::copy_n(lengths.begin() + literalCodes, distanceCodes, distances.begin());
    // An RFC 1951 decoder refuses a block without an end-of-block code; libmspack decodes on.
    if (literals[kEndOfBlock] == 0 ||
        !IsUsableCode(literals.data(), kLiteralSymbols, kLiteralTableBits) ||
        !IsUsableCode(distances.data(), kDistanceSymbols, kDistanceTableBits)) {
        return false;
    }
    header.EndCodeBits = literals[kEndOfBlock];
    return true;
}

}  // namespace

bool BitReader::Read(unsigned count, unsigned& value) {
    if (BitsLeft() < count) {
        return false;
    }
    value = Peek(count);
    position_ += count;
    return true;
}

unsigned BitReader::Peek(unsigned count) const {
    // At most 16 bits from any bit of a byte on: three bytes hold them.
    const std::size_t byte = position_ / 8;
    const std::size_t size = bitSize_ / 8;
    std::uint32_t word = 0;
    for (std::size_t i = 0; i < 3 && byte + i < size; ++i) {
        word |= static_cast<std::uint32_t>(bytes_[byte + i]) << (8 * i);
    }
    return (word >> (position_ % 8)) & ((1u << count) - 1);
}

bool BitReader::Skip(unsigned count) {
    if (BitsLeft() < count) {
        return false;
    }
    position_ += count;
    return true;
}

std::optional<DeflateBlockHeader> ReadDeflateBlockHeader(const unsigned char* bytes,
                                                         std::size_t size,
                                                         std::size_t bitPosition) {
    BitReader bits(bytes, size, bitPosition);
    unsigned final = 0;
    unsigned type = 0;
    if (!bits.Read(1, final) || !bits.Read(2, type)) {
        return std::nullopt;
    }
    DeflateBlockHeader header;
    header.Final = final != 0;
    header.Type = static_cast<DeflateBlockType>(type);
    bool read = false;
    switch (header.Type) {
        case DeflateBlockType::Stored:
            read = ReadStoredHeader(bits, header);
            break;
        case DeflateBlockType::Fixed:
            header.EndCodeBits = kFixedEndCodeBits;
            read = true;
            break;
        case DeflateBlockType::Dynamic:
            read = ReadDynamicHeader(bits, header);
            break;
        default:
            break;  // type 3 does not exist
    }
    return read ? std::optional<DeflateBlockHeader>(header) : std::nullopt;
}

}  // namespace vantrel
