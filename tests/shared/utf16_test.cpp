#include "shared/utf16.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

struct Utf8Case {
    const char* label;
    std::string utf8;
    std::u16string utf16;
};

void PrintTo(const Utf8Case& c, std::ostream* out) {
    *out << c.label;
}

class Utf8ToUtf16Test : public ::testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8ToUtf16Test, DecodesEverySequence) {
    EXPECT_EQ(Utf8ToUtf16(GetParam().utf8), GetParam().utf16);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Utf8ToUtf16Test,
    ::testing::Values(Utf8Case{"Ascii", "C:\\a.jpg", u"C:\\a.jpg"},
                      Utf8Case{"TwoAndThreeBytes", "Vi\xC3\xA9wer \xE8\xA1\xA8",
                               u"Vi\u00e9wer \u8868"},
                      Utf8Case{"FourBytesMakeASurrogatePair", "\xF0\x9F\x98\x80", u"\xD83D\xDE00"},
                      Utf8Case{"StrayByte",
                               "a\xFF"
                               "b",
                               u"a\uFFFDb"},
                      // Each byte that starts no valid sequence stands for itself.
                      Utf8Case{"OverlongForm", "\xC0\xAF", u"\uFFFD\uFFFD"},
                      Utf8Case{"EncodedSurrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
                      Utf8Case{"CutOffAtTheEnd", "x\xE8\xA1", u"x\uFFFD\uFFFD"},
                      Utf8Case{"BeyondUnicode", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(Utf16ToUtf8Test, JoinsPairsAndReplacesLoneSurrogates) {
    EXPECT_EQ(Utf16ToUtf8(u"Vi\u00e9wer \u8868 \xD83D\xDE00"),
              "Vi\xC3\xA9wer \xE8\xA1\xA8 \xF0\x9F\x98\x80");
    EXPECT_EQ(Utf16ToUtf8(std::u16string{u'a', char16_t(0xD83D), u'b'}),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(Utf16ToUtf8(std::u16string{char16_t(0xDE00), char16_t(0xD83D)}),
              "\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(Utf16LeTest, StoresLowByteFirstAndDropsAnOddLastByte) {
    std::vector<std::uint8_t> bytes;
    AppendUtf16Le(bytes, u"A\u8868");
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{0x41, 0x00, 0x68, 0x88}));
    EXPECT_EQ(FromUtf16Le(bytes), u"A\u8868");
    bytes.push_back(0x42);
    EXPECT_EQ(FromUtf16Le(bytes), u"A\u8868");
}

}  // namespace
}  // namespace vantrel
