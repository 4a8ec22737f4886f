#include "platform/posix/registry/reg_text.h"

namespace vantrel {

char16_t FoldCase(char16_t c) {
    const auto upper = [c](int offset) { return static_cast<char16_t>(c - offset); };
    if (c < 0x80) {
        return c >= 'a' && c <= 'z' ? upper(0x20) : c;
    }
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2) ||
        (c >= 0x430 && c <= 0x44F) || (c >= 0xFF41 && c <= 0xFF5A)) {
        return upper(0x20);
    }
    if (c == 0xFF) {
        return 0x178;
    }
    if (c == 0x3C2) {  // final sigma
        return 0x3A3;
    }
    if (c >= 0x450 && c <= 0x45F) {
        return upper(0x50);
    }
    if (c >= 0x561 && c <= 0x586) {
        return upper(0x30);
    }
    // Latin Extended-A and the Cyrillic supplement pair each capital with the small letter
    // right after it; the Latin block shifts the pairing at U+0138 and back at U+0149. The
    // dotless i has no capital of its own.
    const bool latinOddSmall =
        (c >= 0x100 && c <= 0x137 && c != 0x131) || (c >= 0x14A && c <= 0x177);
    const bool latinEvenSmall = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    const bool cyrillicOddSmall = (c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF);
    if (((latinOddSmall || cyrillicOddSmall) && (c & 1)) || (latinEvenSmall && !(c & 1))) {
        return upper(1);
    }
    return c;
}

std::u16string FoldCase(std::u16string_view text) {
    std::u16string out(text);
    for (auto& c : out) {
        c = FoldCase(c);
    }
    return out;
}

}  // namespace vantrel
