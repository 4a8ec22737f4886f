// The walk's own MSZIP decoding. It must take every frame cabinet makers write, in every shape a
// valid cabinet may have, without leaving any to libmspack; and it must refuse every block header
// libmspack reads otherwise than an RFC 1951 decoder, or refuses itself.

#include "platform/posix/cabinet/mszip/mszip_decoder.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "platform/posix/cabinet/io.h"
#include "platform/posix/cabinet/mszip/deflate_header.h"
#include "platform/posix/cabinet/mszip/folder_table.h"
#include "platform/posix/cabinet/target.h"
#include "support/mszip_builder.h"
#include "support/temp_dir.h"

namespace vantrel {
namespace {

using test::CabEntry;
using test::FrameCoding;
using test::MszipLayout;

// ---------------------------------------------------------------------------------------------
// Valid cabinets of every shape are decoded here whole.

std::string Content(std::size_t size, unsigned kind) {
    std::string bytes(size, '\0');
    std::uint32_t noise = 12345 + kind;
    for (std::size_t i = 0; i < size; ++i) {
        noise = noise * 1103515245 + 12345;
        bytes[i] = static_cast<char>(kind == 0 ? noise >> 24 : i / 5 + (noise >> 28 == 0 ? 1 : 0));
    }
    return bytes;
}

std::vector<CabEntry> Files() {
    return {{.Name = "a.bin", .Data = Content(70000, 0)},
            {.Name = "empty", .Data = ""},
            {.Name = "b.bmp", .Data = Content(100000, 1)},
            {.Name = "c.txt", .Data = Content(5, 1)},
            {.Name = "d.jpg", .Data = Content(40000, 0)}};
}

struct Shape {
    const char* Name;
    MszipLayout Layout;
};

void PrintTo(const Shape& shape, std::ostream* out) {
    *out << shape.Name;
}

class MszipShapeTest : public ::testing::TestWithParam<Shape> {};

// Written by the walk's thread, and by the writer's thread while the next frames are decoded
// into other buffers: the ring, which short frames leave partly old, must follow either way.
void DecodeEveryFile(const Shape& shape, FrameWriter* writer) {
    test::TempDir dir;
    const auto files = Files();
    test::WriteFile(dir / "shape.cab", test::BuildMszipCab(files, shape.Layout));
    CabIo io;
    ASSERT_EQ(io.OpenCabinet((dir / "shape.cab").string()), ERROR_SUCCESS);
    const auto table = ReadFolderTable(io);
    ASSERT_TRUE(table);
    const std::size_t folders = table->Folders.size();
    ASSERT_EQ(folders, shape.Layout.Folders);

    std::vector<std::unique_ptr<MszipDecoder>> decoders;
    for (const FolderEntry& folder : table->Folders) {
        decoders.push_back(std::make_unique<MszipDecoder>(io, folder.DataOffset, folder.Blocks,
                                                          table->BlockReserve));
    }
    TargetFile target;
    for (std::size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(files[i].Name);
        MszipDecoder& decoder = *decoders[i % folders];
        ASSERT_EQ(target.Create(dir / files[i].Name), ERROR_SUCCESS);
        const bool delivered = decoder.Deliver(files[i].Data.size(), &target, writer);
        if (writer != nullptr) {
            writer->Drain();
        }
        ASSERT_TRUE(delivered);
        ASSERT_EQ(target.Commit(std::nullopt), ERROR_SUCCESS);
        EXPECT_EQ(test::ReadFile(dir / files[i].Name), files[i].Data);
    }
}

TEST_P(MszipShapeTest, DecodesEveryFrameItself) {
    {
        SCOPED_TRACE("written by the walk's thread");
        DecodeEveryFile(GetParam(), nullptr);
    }
    SCOPED_TRACE("written by the writer's thread");
    FrameWriter writer;
    ASSERT_TRUE(writer.Start());
    DecodeEveryFile(GetParam(), &writer);
}

MszipLayout With(void (*change)(MszipLayout&)) {
    MszipLayout layout;
    change(layout);
    return layout;
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, MszipShapeTest,
    ::testing::Values(
        Shape{"AsCabinetMakersWriteThem", {}},
        Shape{"ShortFramesFirst",
              With([](MszipLayout& l) { l.FrameSizes = {1, 7, 100, 32767, 20000, 3}; })},
        Shape{"StoredBlocks", With([](MszipLayout& l) { l.Codings = {FrameCoding::Stored}; })},
        Shape{"FixedCodes", With([](MszipLayout& l) { l.Codings = {FrameCoding::Fixed}; })},
        Shape{"LiteralsOnly", With([](MszipLayout& l) { l.Codings = {FrameCoding::HuffmanOnly}; })},
        Shape{"SeveralBlocksAFrame",
              With([](MszipLayout& l) { l.Codings = {FrameCoding::SeveralBlocks}; })},
        Shape{"EveryCodingInTurn", With([](MszipLayout& l) {
                  l.Codings = {FrameCoding::SeveralBlocks, FrameCoding::Stored,
                               FrameCoding::Default, FrameCoding::Fixed};
                  l.FrameSizes = {5000, 32768, 12, 32768, 32768, 900};
              })},
        Shape{"BytesBeforeTheSignature", With([](MszipLayout& l) { l.JunkBeforeSignature = 3; })},
        Shape{"ReservedAreas", With([](MszipLayout& l) {
                  l.HeaderReserve = 6;
                  l.FolderReserve = 3;
                  l.DataReserve = 5;
              })},
        Shape{"WithoutChecksums", With([](MszipLayout& l) { l.Checksums = false; })},
        Shape{"ThreeFolders", With([](MszipLayout& l) { l.Folders = 3; })}),
    [](const auto& info) { return std::string(info.param.Name); });

// ---------------------------------------------------------------------------------------------
// Block headers: taken only when libmspack builds the same codes from them as RFC 1951 does.

// Bits as deflate packs them: values least significant bit first, Huffman codes most
// significant bit first.
class BitWriter {
  public:
    void Put(unsigned value, unsigned bits) {
        for (unsigned i = 0; i < bits; ++i) {
            PutBit((value >> i) & 1);
        }
    }
    void PutCode(unsigned code, unsigned bits) {
        for (unsigned i = bits; i > 0; --i) {
            PutBit((code >> (i - 1)) & 1);
        }
    }
    const std::vector<unsigned char>& Bytes() const { return bytes_; }

  private:
    void PutBit(unsigned bit) {
        if (used_ % 8 == 0) {
            bytes_.push_back(0);
        }
        bytes_.back() |= static_cast<unsigned char>(bit << (used_ % 8));
        ++used_;
    }
    std::vector<unsigned char> bytes_;
    std::size_t used_ = 0;
};

// One code-length symbol (0 to 18) with its extra bits.
struct LengthOp {
    unsigned Symbol;
    unsigned Extra = 0;
};

struct DynamicHeader {
    unsigned LiteralCodes = 257;
    unsigned DistanceCodes = 2;
    std::array<unsigned, 19> LengthCodeBits{};  // by symbol
    std::vector<LengthOp> Lengths;
};

// Symbols 0 to 12 take 4 bits, 13 to 18 take 5: a complete code-length code with every symbol.
std::array<unsigned, 19> AllLengthSymbols() {
    std::array<unsigned, 19> bits{};
    for (unsigned symbol = 0; symbol < 19; ++symbol) {
        bits[symbol] = symbol < 13 ? 4 : 5;
    }
    return bits;
}

std::vector<LengthOp> Repeat(unsigned symbol, unsigned times) {
    return std::vector<LengthOp>(times, LengthOp{symbol});
}

std::vector<LengthOp> Join(std::initializer_list<std::vector<LengthOp>> parts) {
    std::vector<LengthOp> all;
    for (const auto& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

// 255 literals of 8 bits, 255 and end-of-block of 9; two distance codes of 1 bit.
DynamicHeader ValidHeader() {
    return {257, 2, AllLengthSymbols(), Join({Repeat(8, 255), Repeat(9, 2), Repeat(1, 2)})};
}

std::vector<unsigned char> Encode(const DynamicHeader& header) {
    static constexpr unsigned kOrder[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                            11, 4,  12, 3, 13, 2, 14, 1, 15};
    static constexpr unsigned kExtraBits[19] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                                0, 0, 0, 0, 0, 0, 2, 3, 7};
    BitWriter bits;
    bits.Put(1, 1);  // final
    bits.Put(2, 2);  // dynamic
    bits.Put(header.LiteralCodes - 257, 5);
    bits.Put(header.DistanceCodes - 1, 5);
    bits.Put(19 - 4, 4);
    for (unsigned symbol : kOrder) {
        bits.Put(header.LengthCodeBits[symbol], 3);
    }
    std::array<unsigned, 19> codes{};
    unsigned code = 0;
    for (unsigned length = 1; length <= 7; ++length, code <<= 1) {
        for (unsigned symbol = 0; symbol < 19; ++symbol) {
            if (header.LengthCodeBits[symbol] == length) {
                codes[symbol] = code++;
            }
        }
    }
    for (const LengthOp& op : header.Lengths) {
        bits.PutCode(codes[op.Symbol], header.LengthCodeBits[op.Symbol]);
        bits.Put(op.Extra, kExtraBits[op.Symbol]);
    }
    bits.Put(0, 16);  // room for a decoder to look ahead
    return bits.Bytes();
}

struct HeaderCase {
    const char* Name;
    std::vector<unsigned char> Bytes;
    std::optional<unsigned> EndCodeBits;  // nothing: refused
};

void PrintTo(const HeaderCase& header, std::ostream* out) {
    *out << header.Name;
}

HeaderCase Dynamic(const char* name, void (*change)(DynamicHeader&),
                   std::optional<unsigned> endCodeBits) {
    DynamicHeader header = ValidHeader();
    change(header);
    return {name, Encode(header), endCodeBits};
}

// Literal lengths that fill the code space exactly but need 273 tree nodes past libmspack's
// 9-bit table, which has room for 256: eight short codes, then five subtrees of long ones.
std::vector<LengthOp> TreeTooDeepForLibmspack() {
    std::vector<LengthOp> lengths;
    for (unsigned bits : {1, 2, 3, 4, 5, 6, 8, 9}) {
        lengths.push_back({bits});
    }
    return Join({lengths, Repeat(14, 42), Repeat(15, 236), Repeat(1, 2)});
}

class DeflateHeaderTest : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(DeflateHeaderTest, IsTakenOnlyWhenLibmspackReadsItAsRfc1951Does) {
    const HeaderCase& header = GetParam();
    const auto read = ReadDeflateBlockHeader(header.Bytes.data(), header.Bytes.size(), 0);
    ASSERT_EQ(read.has_value(), header.EndCodeBits.has_value());
    if (read) {
        EXPECT_TRUE(read->Final);
        EXPECT_EQ(read->EndCodeBits, *header.EndCodeBits);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Headers, DeflateHeaderTest,
    ::testing::Values(
        Dynamic(
            "Valid", [](DynamicHeader&) {}, 9),
        Dynamic(
            "RepeatAfterALength",
            [](DynamicHeader& h) {
                h.DistanceCodes = 4;  // 2 and three times again: four codes of 2 bits
                h.Lengths = Join({Repeat(8, 255), Repeat(9, 2), {{2}, {16, 0}}});
            },
            9),
        // libmspack repeats the last length given (3), RFC 1951 the zeros just before: the
        // distance code is complete to one and not to the other.
        Dynamic(
            "RepeatAfterZeros",
            [](DynamicHeader& h) {
                h.DistanceCodes = 9;
                h.Lengths = Join({Repeat(8, 255), Repeat(9, 2), {{2}, {2}, {3}, {17, 0}, {16, 0}}});
            },
            std::nullopt),
        Dynamic(
            "RepeatFirst",
            [](DynamicHeader& h) {
                h.Lengths.insert(h.Lengths.begin(), {16, 0});
            },
            std::nullopt),
        // libmspack allows 288 literal and 32 distance codes, RFC 1951 286 and 30.
        Dynamic(
            "LiteralCodes287",
            [](DynamicHeader& h) {
                h.LiteralCodes = 287;
                h.Lengths = Join({Repeat(8, 255), Repeat(9, 2), {{18, 19}}, Repeat(1, 2)});
            },
            std::nullopt),
        Dynamic(
            "DistanceCodes31",
            [](DynamicHeader& h) {
                h.DistanceCodes = 31;
                h.Lengths = Join({Repeat(8, 255), Repeat(9, 2), Repeat(1, 2), {{18, 18}}});
            },
            std::nullopt),
        Dynamic(
            "IncompleteLiteralCode", [](DynamicHeader& h) { h.Lengths[255].Symbol = 10; },
            std::nullopt),
        Dynamic(
            "OversubscribedLiteralCode", [](DynamicHeader& h) { h.Lengths[0].Symbol = 7; },
            std::nullopt),
        // RFC 1951 decoders take a lone distance code of one bit; libmspack does not.
        Dynamic(
            "LoneDistanceCode",
            [](DynamicHeader& h) {
                h.DistanceCodes = 1;
                h.Lengths.pop_back();
            },
            std::nullopt),
        Dynamic(
            "NoEndOfBlockCode",
            [](DynamicHeader& h) {
                h.Lengths = Join({Repeat(8, 256), {{0}}, Repeat(1, 2)});
            },
            std::nullopt),
        Dynamic(
            "IncompleteLengthCode", [](DynamicHeader& h) { h.LengthCodeBits[18] = 6; },
            std::nullopt),
        Dynamic(
            "TreeTooDeepForLibmspack",
            [](DynamicHeader& h) {
                h.LiteralCodes = 286;
                h.Lengths = TreeTooDeepForLibmspack();
            },
            std::nullopt),
        Dynamic(
            "HeaderCutShort", [](DynamicHeader& h) { h.Lengths.resize(100); }, std::nullopt),
        HeaderCase{"Fixed", {0x03, 0x00, 0x00}, 7},
        HeaderCase{"BlockTypeThree", {0x07, 0x00, 0x00}, std::nullopt},
        HeaderCase{
            "StoredLengthWithoutItsComplement", {0x01, 0x05, 0x00, 0xFA, 0xFE}, std::nullopt}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(DeflateHeaderTest, StoredBlockSaysWhereItsDataLies) {
    // Two bits into the byte: final, stored; the length comes at the next whole byte.
    const std::vector<unsigned char> bytes = {0x02, 0x05, 0x00, 0xFA, 0xFF,
                                              'h',  'e',  'l',  'l',  'o'};
    const auto read = ReadDeflateBlockHeader(bytes.data(), bytes.size(), 1);
    ASSERT_TRUE(read);
    EXPECT_TRUE(read->Final);
    EXPECT_EQ(read->Type, DeflateBlockType::Stored);
    EXPECT_EQ(read->StoredDataByte, 5u);
    EXPECT_EQ(read->StoredLength, 5u);
}

}  // namespace
}  // namespace vantrel
