#include "platform/ansi.h"

#include <gtest/gtest.h>

#include "support/platform.h"

namespace vantrel {
namespace {

TEST(AnsiConversionTest, JapaneseRoundTripsThroughCodePage932) {
    const std::string text = "C:\\画像\\ビューア\\";
    const std::string ansi = ToAnsi(text, 932);
    EXPECT_EQ(ansi, "C:\\\x89\xe6\x91\x9c\\\x83r\x83\x85\x81[\x83\x41\\");
    EXPECT_EQ(FromAnsi(ansi, 932), text);
}

TEST(AnsiConversionTest, Latin1TextIsOneBytePerCharacterIn1252) {
    EXPECT_EQ(ToAnsi("Bücher€", 1252),
              "B\xfc"
              "cher\x80");
    EXPECT_EQ(FromAnsi("B\xfc"
                       "cher\x80",
                       1252),
              "Bücher€");
}

TEST(AnsiConversionTest, MissingCharactersBecomeQuestionMarks) {
    EXPECT_EQ(ToAnsi("a日b", 1252), "a?b");
    EXPECT_EQ(ToAnsi("x\xff\xfey", 1252), "x??y");  // broken UTF-8
}

TEST(AnsiConversionTest, AsciiAndEmptyTextStayAsTheyAre) {
    EXPECT_EQ(ToAnsi("", 932), "");
    EXPECT_EQ(FromAnsi("", 932), "");
    EXPECT_EQ(ToAnsi("C:\\a b\\~x.jpg", 932), "C:\\a b\\~x.jpg");
    EXPECT_EQ(FromAnsi(std::string_view("a\0b", 3), 1252), std::string("a\0b", 3));
    EXPECT_EQ(FromAnsi(std::string_view("\xe9\0", 2), 1252), std::string("\xC3\xA9\0", 3));
}

TEST(AnsiConversionTest, InvalidBytesBecomeReplacementCharacters) {
    // A lead byte cut off at the end. Windows' table for the code page has a default character
    // of its own for such bytes, U+30FB.
    EXPECT_EQ(FromAnsi("a\x81", 932),
              test::OnPlatform<std::string>("a\xEF\xBF\xBD", "a\xE3\x83\xBB"));
    EXPECT_EQ(FromAnsi("\xa0\xff", 932).find('\0'), std::string::npos);
}

}  // namespace
}  // namespace vantrel
