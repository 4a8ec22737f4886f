#include "shared/ansi.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace vantrel {
namespace {

struct LocaleCase {
    const char* locale;
    int codePage;
};

void PrintTo(const LocaleCase& c, std::ostream* out) {
    *out << '"' << c.locale << '"';
}

class AnsiCodePageTest : public ::testing::TestWithParam<LocaleCase> {};

TEST_P(AnsiCodePageTest, FollowsTheLocale) {
    EXPECT_EQ(AnsiCodePageForLocale(GetParam().locale), GetParam().codePage);
}

INSTANTIATE_TEST_SUITE_P(
    Locales, AnsiCodePageTest,
    ::testing::Values(LocaleCase{"ja_JP.UTF-8", 932}, LocaleCase{"zh_CN.UTF-8", 936},
                      LocaleCase{"zh_TW.UTF-8", 950}, LocaleCase{"zh_HK", 950},
                      LocaleCase{"ko_KR.UTF-8", 949}, LocaleCase{"th_TH", 874},
                      LocaleCase{"pl_PL.UTF-8", 1250}, LocaleCase{"ru_RU.UTF-8", 1251},
                      LocaleCase{"el_GR", 1253}, LocaleCase{"tr_TR.UTF-8", 1254},
                      LocaleCase{"he_IL", 1255}, LocaleCase{"ar_EG", 1256},
                      LocaleCase{"lt_LT", 1257}, LocaleCase{"vi_VN", 1258},
                      LocaleCase{"sr_RS@latin", 1250}, LocaleCase{"de_DE.UTF-8", 1252},
                      LocaleCase{"C", 1252}, LocaleCase{"POSIX", 1252}, LocaleCase{"", 1252}));

TEST(AnsiCodePageTest, ReadsLcAllBeforeLcCtypeBeforeLang) {
    test::ScopedEnv lang("LANG", "ru_RU.UTF-8");
    test::ScopedEnv ctype("LC_CTYPE", "ja_JP.UTF-8");
    {
        test::ScopedEnv all("LC_ALL", "el_GR.UTF-8");
        EXPECT_EQ(AnsiCodePage(), 1253);
    }
    test::ScopedEnv noAll("LC_ALL", std::nullopt);
    EXPECT_EQ(AnsiCodePage(), 932);
    test::ScopedEnv noCtype("LC_CTYPE", "");
    EXPECT_EQ(AnsiCodePage(), 1251);
}

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

TEST(AnsiConversionTest, InvalidBytesBecomeReplacementCharacters) {
    EXPECT_EQ(FromAnsi("a\x81", 932), "a\xEF\xBF\xBD");  // lead byte cut off at the end
    EXPECT_EQ(FromAnsi("\xa0\xff", 932).find('\0'), std::string::npos);
}

}  // namespace
}  // namespace vantrel
