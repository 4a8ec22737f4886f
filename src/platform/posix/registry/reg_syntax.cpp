#include "platform/posix/registry/reg_syntax.h"

#include <algorithm>
#include <cstdlib>

#include "platform/posix/registry/reg_file.h"
#include "platform/registry.h"
#include "shared/utf16.h"

namespace vantrel::wine_reg {
namespace {

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

unsigned HexDigitValue(char c) {
    if (c <= '9') {
        return static_cast<unsigned>(c - '0');
    }
    return static_cast<unsigned>((c | 0x20) - 'a' + 10);
}

std::optional<char16_t> ControlEscape(char letter) {
    switch (letter) {
        case 'a':
            return u'\a';
        case 'b':
            return u'\b';
        case 'e':
            return u'\x1b';
        case 'f':
            return u'\f';
        case 'n':
            return u'\n';
        case 'r':
            return u'\r';
        case 't':
            return u'\t';
        case 'v':
            return u'\v';
        default:
            return std::nullopt;
    }
}

// A character standing for itself: an ASCII byte, or a UTF-8 sequence.
char32_t PlainCharacter(std::string_view text, std::size_t& pos) {
    const auto byte = static_cast<unsigned char>(text[pos]);
    if (byte < 0x80) {
        ++pos;
        return byte;
    }
    return DecodeUtf8(text, pos);
}

struct DataTag {
    std::string_view Tag;
    DWORD Type;
    DataForm Form;
};

// The data forms Wine writes; "hex(N):" carries its type number in hex.
constexpr DataTag kDataTags[] = {
    {"\"", REG_SZ, DataForm::String},
    {"str:\"", REG_SZ, DataForm::String},
    {"str(2):\"", REG_EXPAND_SZ, DataForm::String},
    {"str(7):\"", REG_MULTI_SZ, DataForm::String},
    {"hex:", REG_BINARY, DataForm::Hex},
    {"dword:", REG_DWORD, DataForm::Dword},
};

}  // namespace

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::size_t SkipBlanks(std::string_view text, std::size_t pos) {
    while (pos < text.size() && IsBlank(text[pos])) {
        ++pos;
    }
    return pos;
}

std::string_view TrimLeft(std::string_view text) {
    return text.substr(std::min(SkipBlanks(text, 0), text.size()));
}

char32_t NextStringCharacter(std::string_view text, std::size_t& pos) {
    if (text[pos] != '\\') {
        return PlainCharacter(text, pos);
    }
    if (++pos == text.size()) {
        return kCutOffCharacter;
    }
    const char escaped = text[pos];
    if (const auto control = ControlEscape(escaped)) {
        ++pos;
        return *control;
    }
    if (escaped == 'x') {
        ++pos;
        char32_t unit = 0;
        std::size_t digits = 0;
        for (; digits < 4 && pos < text.size() && IsHexDigit(text[pos]); ++digits, ++pos) {
            unit = unit * 16 + HexDigitValue(text[pos]);
        }
        return digits == 0 ? U'x' : unit;
    }
    if (escaped >= '0' && escaped <= '7') {
        char32_t unit = 0;
        for (std::size_t digits = 0;
             digits < 3 && pos < text.size() && text[pos] >= '0' && text[pos] <= '7';
             ++digits, ++pos) {
            unit = unit * 8 + static_cast<char32_t>(text[pos] - '0');
        }
        return unit;
    }
    return PlainCharacter(text, pos);
}

std::optional<std::size_t> ParseString(std::string_view text, std::size_t pos, char end,
                                       std::u16string& out) {
    return ParseString(text, pos, end, [&out](char16_t unit) {
        out += unit;
        return true;
    });
}

std::optional<std::size_t> ParseHexBytes(std::string_view text, std::size_t pos,
                                         std::vector<BYTE>& out) {
    while (pos < text.size() && IsHexDigit(text[pos])) {
        unsigned byte = 0;
        for (; pos < text.size() && IsHexDigit(text[pos]); ++pos) {
            byte = byte * 16 + HexDigitValue(text[pos]);
            if (byte > 0xFF) {
                return std::nullopt;
            }
        }
        if (out.size() >= kMaxRegistryLineLength) {
            return std::nullopt;
        }
        out.push_back(static_cast<BYTE>(byte));
        pos = SkipBlanks(text, pos);
        if (pos < text.size() && text[pos] == ',') {
            pos = SkipBlanks(text, pos + 1);
        }
    }
    return pos;
}

DWORD ParseDword(std::string_view text) {
    const std::string digits(text);
    return static_cast<DWORD>(std::strtoul(digits.c_str(), nullptr, 16));
}

std::optional<DataStart> ParseDataTag(std::string_view text, std::size_t pos) {
    const std::string_view rest = text.substr(pos);
    for (const auto& tag : kDataTags) {
        if (rest.starts_with(tag.Tag)) {
            return DataStart{tag.Type, tag.Form, pos + tag.Tag.size()};
        }
    }
    if (!rest.starts_with("hex(")) {
        return std::nullopt;
    }
    std::size_t end = 4;
    unsigned long long type = 0;
    for (; end < rest.size() && IsHexDigit(rest[end]); ++end) {
        type = std::min<unsigned long long>(type * 16 + HexDigitValue(rest[end]), ~DWORD{0});
    }
    if (rest.substr(end, 2) != "):") {
        return std::nullopt;
    }
    return DataStart{static_cast<DWORD>(type), DataForm::Hex, pos + end + 2};
}

}  // namespace vantrel::wine_reg
