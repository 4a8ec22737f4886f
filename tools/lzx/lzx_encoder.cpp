#include "lzx/lzx_encoder.h"

#include <algorithm>
#include <array>
#include <limits>
#include <stdexcept>

#include "lzx/bit_writer.h"
#include "lzx/huffman.h"

namespace vantrel::lzx {
namespace {

constexpr unsigned kLiteralSymbols = 256;
constexpr unsigned kLengthHeaders = 8;     // length headers per position slot in the main tree
constexpr unsigned kLongLengthHeader = 7;  // the header whose length goes on in the length tree
constexpr unsigned kLengthSymbols = 249;
constexpr unsigned kFormatMinMatch = 2;  // what a length header of 0 stands for
constexpr unsigned kShortestMatch = 3;   // shorter matches rarely beat two literals
constexpr unsigned kLongestMatch = 257;
constexpr unsigned kPretreeSymbols = 20;
constexpr unsigned kMaxCodeLength = 16;
constexpr unsigned kMaxPretreeLength = 15;  // pretree lengths are stored in 4 bits
constexpr std::uint32_t kVerbatimBlock = 1;
// Each block carries its own trees: 256 KiB lets the codes follow the data (a photograph after a
// bitmap) while the trees stay a small share of the output.
constexpr std::uint32_t kFramesPerBlock = 8;
constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();
constexpr std::uint16_t kNoLengthSymbol = std::numeric_limits<std::uint16_t>::max();

// Pretree symbols 0-16 are deltas; these three are runs.
constexpr unsigned kShortZeroRun = 17;  // 4 + 4 bits zeros
constexpr unsigned kLongZeroRun = 18;   // 20 + 5 bits zeros
constexpr unsigned kSameRun = 19;       // 4 + 1 bit copies of one delta-coded length

// Match distances are coded as a position slot plus footer bits; the window size fixes how many
// slots the main tree has room for.
struct PositionSlots {
    std::array<std::uint32_t, 51> Base{};
    std::array<std::uint8_t, 51> FooterBits{};
    unsigned Count = 0;
};

PositionSlots MakePositionSlots(unsigned windowBits) {
    static constexpr unsigned kSlotsForWindow[] = {30, 32, 34, 36, 38, 42, 50};  // 2^15 .. 2^21
    PositionSlots slots;
    slots.Count = kSlotsForWindow[windowBits - 15];
    std::uint32_t base = 0;
    for (unsigned slot = 0; slot < slots.Base.size(); ++slot) {
        slots.FooterBits[slot] =
            static_cast<std::uint8_t>(std::min(slot < 4 ? 0u : slot / 2 - 1, 17u));
        slots.Base[slot] = base;
        base += 1u << slots.FooterBits[slot];
    }
    return slots;
}

struct Token {
    std::uint16_t MainSymbol = 0;
    std::uint16_t LengthSymbol = kNoLengthSymbol;
    std::uint32_t Footer = 0;
    std::uint8_t FooterBits = 0;
    std::uint32_t Covered = 1;  // bytes of output it stands for
};

struct Match {
    std::uint32_t Length = 0;
    std::uint32_t Distance = 0;
};

// Hash chains over three-byte prefixes, reaching back as far as the window allows.
class MatchFinder {
  public:
    MatchFinder(const std::vector<std::uint8_t>& data, unsigned windowBits, unsigned chainDepth)
        : data_(data),
          windowMask_((1u << windowBits) - 1),
          maxDistance_((1u << windowBits) - kWindowMargin),
          chainDepth_(chainDepth),
          head_(1u << kHashBits, kNone),
          previous_(1u << windowBits, kNone) {}

    void Insert(std::uint32_t position) {
        if (position + 2 >= data_.size()) {
            return;
        }
        std::uint32_t& bucket = head_[Hash(position)];
        previous_[position & windowMask_] = bucket;
        bucket = position;
    }

    // The longest match at `position` of at most `maxLength` bytes, preferring `repeatDistance`
    // (cheaper to code) when nothing longer turns up.
    Match Longest(std::uint32_t position, std::uint32_t maxLength,
                  std::uint32_t repeatDistance) const {
        Match best;
        const std::uint32_t reach = std::min(position, maxDistance_);
        if (repeatDistance <= reach) {
            best = {Extent(position, position - repeatDistance, maxLength), repeatDistance};
        }
        std::uint32_t candidate = head_[Hash(position)];
        for (unsigned tries = 0; tries < chainDepth_ && candidate < position; ++tries) {
            const std::uint32_t distance = position - candidate;
            if (distance > reach || best.Length == maxLength) {
                break;
            }
            if (data_[candidate + best.Length] == data_[position + best.Length]) {
                const std::uint32_t length = Extent(position, candidate, maxLength);
                if (length > best.Length) {
                    best = {length, distance};
                }
            }
            const std::uint32_t next = previous_[candidate & windowMask_];
            candidate = next < candidate ? next : kNone;
        }
        return best.Length >= kShortestMatch ? best : Match{};
    }

  private:
    static constexpr unsigned kHashBits = 20;
    // The format reaches back 2^N - 3 bytes, but 7-Zip (26.02) decodes a match at that full
    // reach wrongly once its window has wrapped; one byte less costs nothing.
    static constexpr std::uint32_t kWindowMargin = 4;

    std::uint32_t Hash(std::uint32_t position) const {
        const std::uint32_t prefix = static_cast<std::uint32_t>(data_[position]) << 16 |
                                     static_cast<std::uint32_t>(data_[position + 1]) << 8 |
                                     data_[position + 2];
        return (prefix * 2654435761u) >> (32 - kHashBits);
    }

    std::uint32_t Extent(std::uint32_t position, std::uint32_t source,
                         std::uint32_t maxLength) const {
        std::uint32_t length = 0;
        while (length < maxLength && data_[source + length] == data_[position + length]) {
            ++length;
        }
        return length;
    }

    const std::vector<std::uint8_t>& data_;
    std::uint32_t windowMask_;
    std::uint32_t maxDistance_;
    unsigned chainDepth_;
    std::vector<std::uint32_t> head_;
    std::vector<std::uint32_t> previous_;
};

struct PretreeItem {
    unsigned Symbol;
    unsigned ExtraBits = 0;
    std::uint32_t Extra = 0;
    unsigned DeltaSymbol = 0;  // the delta that follows a same-length run
};

unsigned Delta(std::uint8_t previous, std::uint8_t next) {
    return (previous + 17u - next) % 17u;
}

std::size_t RunLength(const std::vector<std::uint8_t>& lengths, std::size_t start,
                      std::size_t end) {
    std::size_t run = 1;
    while (start + run < end && lengths[start + run] == lengths[start]) {
        ++run;
    }
    return run;
}

// The pretree items that turn `previous[first, last)` into `next[first, last)`. Runs never cross
// `last`: each range is read with a pretree of its own. A run of equal lengths is coded once only
// where the old lengths agree too, so the delta means the same whichever position it is taken
// against.
std::vector<PretreeItem> TreeDeltaItems(const std::vector<std::uint8_t>& previous,
                                        const std::vector<std::uint8_t>& next, std::size_t first,
                                        std::size_t last) {
    std::vector<PretreeItem> items;
    for (std::size_t i = first; i < last;) {
        const std::size_t sameNext = RunLength(next, i, last);
        if (next[i] == 0 && sameNext >= 20) {
            const auto run = static_cast<std::uint32_t>(std::min<std::size_t>(sameNext, 51));
            items.push_back({kLongZeroRun, 5, run - 20});
            i += run;
        } else if (next[i] == 0 && sameNext >= 4) {
            const auto run = static_cast<std::uint32_t>(std::min<std::size_t>(sameNext, 19));
            items.push_back({kShortZeroRun, 4, run - 4});
            i += run;
        } else if (const std::size_t same = std::min(sameNext, RunLength(previous, i, last));
                   same >= 4) {
            const auto run = static_cast<std::uint32_t>(std::min<std::size_t>(same, 5));
            items.push_back({kSameRun, 1, run - 4, Delta(previous[i], next[i])});
            i += run;
        } else {
            items.push_back({Delta(previous[i], next[i])});
            ++i;
        }
    }
    return items;
}

class Encoder {
  public:
    Encoder(const std::vector<std::uint8_t>& data, const EncoderOptions& options)
        : data_(data),
          slots_(MakePositionSlots(options.WindowBits)),
          finder_(data, options.WindowBits, options.ChainDepth),
          previousMain_(kLiteralSymbols + slots_.Count * kLengthHeaders, 0),
          previousLength_(kLengthSymbols, 0) {}

    std::vector<Frame> Run() {
        writer_.Put(0, 1);  // no Intel E8 call translation
        const auto total = static_cast<std::uint32_t>(data_.size());
        for (std::uint32_t begin = 0; begin < total;) {
            const std::uint32_t end = std::min<std::uint64_t>(
                total, static_cast<std::uint64_t>(begin) + kFramesPerBlock * kFrameSize);
            WriteBlock(ParseBlock(begin, end), end - begin);
            begin = end;
        }
        return std::move(frames_);
    }

  private:
    // Greedy parse. No match runs over the end of a frame: decoders stop each frame exactly there.
    std::vector<Token> ParseBlock(std::uint32_t begin, std::uint32_t end) {
        std::vector<Token> tokens;
        for (std::uint32_t position = begin; position < end;) {
            const std::uint32_t frameEnd = std::min(end, (position / kFrameSize + 1) * kFrameSize);
            const std::uint32_t maxLength = std::min(frameEnd - position, kLongestMatch);
            const Match match = maxLength >= kShortestMatch
                                    ? finder_.Longest(position, maxLength, repeated_)
                                    : Match{};
            const std::uint32_t covered = match.Length > 0 ? match.Length : 1;
            tokens.push_back(match.Length > 0 ? MatchToken(match) : Token{data_[position]});
            for (std::uint32_t i = 0; i < covered; ++i) {
                finder_.Insert(position + i);
            }
            position += covered;
        }
        return tokens;
    }

    // Distance R0 (the last one coded) is slot 0; any other distance becomes the new R0 and
    // pushes the older two back, as the decoder does.
    Token MatchToken(const Match& match) {
        Token token;
        token.Covered = match.Length;
        unsigned slot = 0;
        if (match.Distance != repeated_) {
            const std::uint32_t formatted = match.Distance + 2;
            slot = static_cast<unsigned>(std::upper_bound(slots_.Base.begin(),
                                                          slots_.Base.begin() + slots_.Count,
                                                          formatted) -
                                         slots_.Base.begin() - 1);
            token.Footer = formatted - slots_.Base[slot];
            token.FooterBits = slots_.FooterBits[slot];
            repeated_ = match.Distance;
        }
        const unsigned lengthHeader = std::min(match.Length - kFormatMinMatch, kLongLengthHeader);
        if (lengthHeader == kLongLengthHeader) {
            token.LengthSymbol =
                static_cast<std::uint16_t>(match.Length - kFormatMinMatch - kLongLengthHeader);
        }
        token.MainSymbol =
            static_cast<std::uint16_t>(kLiteralSymbols + slot * kLengthHeaders + lengthHeader);
        return token;
    }

    void WriteBlock(const std::vector<Token>& tokens, std::uint32_t size) {
        std::vector<std::uint32_t> mainCounts(previousMain_.size(), 0);
        std::vector<std::uint32_t> lengthCounts(kLengthSymbols, 0);
        for (const Token& token : tokens) {
            ++mainCounts[token.MainSymbol];
            if (token.LengthSymbol != kNoLengthSymbol) {
                ++lengthCounts[token.LengthSymbol];
            }
        }
        const auto mainLengths = CodeLengths(mainCounts, kMaxCodeLength);
        const auto lengthLengths = CodeLengths(lengthCounts, kMaxCodeLength);

        writer_.Put(kVerbatimBlock, 3);
        writer_.Put(size >> 8, 16);
        writer_.Put(size & 0xFF, 8);
        WriteTreeDelta(previousMain_, mainLengths, 0, kLiteralSymbols);
        WriteTreeDelta(previousMain_, mainLengths, kLiteralSymbols, mainLengths.size());
        WriteTreeDelta(previousLength_, lengthLengths, 0, kLengthSymbols);
        previousMain_ = mainLengths;
        previousLength_ = lengthLengths;
        WriteTokens(tokens, mainLengths, lengthLengths);
    }

    void WriteTreeDelta(const std::vector<std::uint8_t>& previous,
                        const std::vector<std::uint8_t>& next, std::size_t first,
                        std::size_t last) {
        const auto items = TreeDeltaItems(previous, next, first, last);
        std::vector<std::uint32_t> counts(kPretreeSymbols, 0);
        for (const auto& item : items) {
            ++counts[item.Symbol];
            if (item.Symbol == kSameRun) {
                ++counts[item.DeltaSymbol];
            }
        }
        const auto lengths = CodeLengths(counts, kMaxPretreeLength);
        const auto codes = CanonicalCodes(lengths);
        for (const auto length : lengths) {
            writer_.Put(length, 4);
        }
        for (const auto& item : items) {
            writer_.Put(codes[item.Symbol], lengths[item.Symbol]);
            writer_.Put(item.Extra, item.ExtraBits);
            if (item.Symbol == kSameRun) {
                writer_.Put(codes[item.DeltaSymbol], lengths[item.DeltaSymbol]);
            }
        }
    }

    void WriteTokens(const std::vector<Token>& tokens, const std::vector<std::uint8_t>& mainLengths,
                     const std::vector<std::uint8_t>& lengthLengths) {
        const auto mainCodes = CanonicalCodes(mainLengths);
        const auto lengthCodes = CanonicalCodes(lengthLengths);
        for (const Token& token : tokens) {
            writer_.Put(mainCodes[token.MainSymbol], mainLengths[token.MainSymbol]);
            if (token.LengthSymbol != kNoLengthSymbol) {
                writer_.Put(lengthCodes[token.LengthSymbol], lengthLengths[token.LengthSymbol]);
            }
            writer_.Put(token.Footer, token.FooterBits);
            Advance(token.Covered);
        }
    }

    // Closes a frame where the output reaches a 32 KiB boundary or the end of the data.
    void Advance(std::uint32_t covered) {
        written_ += covered;
        frameFill_ += covered;
        if (frameFill_ == kFrameSize || written_ == data_.size()) {
            writer_.AlignToWord();
            frames_.push_back({writer_.TakeBytes(), frameFill_});
            frameFill_ = 0;
        }
    }

    const std::vector<std::uint8_t>& data_;
    PositionSlots slots_;
    MatchFinder finder_;
    BitWriter writer_;
    std::vector<std::uint8_t> previousMain_;
    std::vector<std::uint8_t> previousLength_;
    std::uint32_t repeated_ = 1;  // R0; the decoder starts with 1
    std::uint64_t written_ = 0;
    std::uint32_t frameFill_ = 0;
    std::vector<Frame> frames_;
};

}  // namespace

std::vector<Frame> EncodeLzx(const std::vector<std::uint8_t>& data, const EncoderOptions& options) {
    if (options.WindowBits < 15 || options.WindowBits > 21) {
        throw std::invalid_argument("the LZX window is 2^15 to 2^21 bytes");
    }
    if (data.size() >= (1ull << 31)) {
        throw std::invalid_argument("a cabinet folder holds less than 2 GiB");
    }
    return Encoder(data, options).Run();
}

std::uint16_t LzxCompressionType(unsigned windowBits) {
    return static_cast<std::uint16_t>(3 | windowBits << 8);
}

}  // namespace vantrel::lzx
