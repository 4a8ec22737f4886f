// The ANSI code page over POSIX: which one a locale stands for, and the conversion functions'
// Windows conventions.

#include "platform/posix/locale/code_page.h"

#include <gtest/gtest.h>

#include "platform/ansi.h"
#include "platform/kernel.h"
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
        EXPECT_EQ(GetACP(), 1253u);
    }
    test::ScopedEnv noAll("LC_ALL", std::nullopt);
    EXPECT_EQ(GetACP(), 932u);
    test::ScopedEnv noCtype("LC_CTYPE", "");
    EXPECT_EQ(GetACP(), 1251u);
}

TEST(AnsiCodePageTest, ConversionsWithoutACodePageUseTheLocales) {
    test::ScopedEnv russian("LC_ALL", "ru_RU.UTF-8");
    EXPECT_EQ(ToAnsi("Путь"), "\xCF\xF3\xF2\xFC");
    EXPECT_EQ(FromAnsi("\xCF\xF3\xF2\xFC"), "Путь");
    test::ScopedEnv japanese("LC_ALL", "ja_JP.UTF-8");
    EXPECT_EQ(ToAnsi("画像"), "\x89\xe6\x91\x9c");
    EXPECT_EQ(FromAnsi("\x89\xe6\x91\x9c"), "画像");
}

// ---------------------------------------------------------------------------------------------
// MultiByteToWideChar and WideCharToMultiByte as Windows defines them.

TEST(CodePageConversionTest, SizeFirstThenTheText) {
    const char bytes[] = "\x89\xe6\x91\x9c!";  // 画像!
    EXPECT_EQ(MultiByteToWideChar(932, 0, bytes, 5, nullptr, 0), 3);
    WCHAR wide[3] = {};
    EXPECT_EQ(MultiByteToWideChar(932, 0, bytes, 5, wide, 3), 3);
    EXPECT_EQ(std::u16string(wide, 3), u"画像!");

    EXPECT_EQ(WideCharToMultiByte(932, 0, wide, 3, nullptr, 0, nullptr, nullptr), 5);
    char back[5] = {};
    EXPECT_EQ(WideCharToMultiByte(932, 0, wide, 3, back, 5, nullptr, nullptr), 5);
    EXPECT_EQ(std::string(back, 5), std::string(bytes, 5));
}

TEST(CodePageConversionTest, MinusOneTakesTheTerminatingZeroAlong) {
    WCHAR wide[4] = {u'x', u'x', u'x', u'x'};
    EXPECT_EQ(MultiByteToWideChar(1252, 0, "\xe9t\xe9", -1, wide, 4), 4);
    EXPECT_EQ(std::u16string(wide, 4), std::u16string(u"\u00e9t\u00e9\0", 4));
    char bytes[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(WideCharToMultiByte(1252, 0, wide, -1, bytes, 4, nullptr, nullptr), 4);
    EXPECT_EQ(std::string(bytes, 4), std::string("\xe9t\xe9\0", 4));
}

TEST(CodePageConversionTest, TooSmallABufferIsRefused) {
    WCHAR wide[2] = {u'x', u'x'};
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(1252, 0, "\xe9t\xe9", 3, wide, 2), 0);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(std::u16string(wide, 2), u"xx");
}

TEST(CodePageConversionTest, WrongParametersAreRefused) {
    WCHAR wide[4];
    char bytes[4];
    const WCHAR text[] = u"ab";
    for (const auto& call : std::vector<std::function<int()>>{
             [&] { return MultiByteToWideChar(1252, 0, "ab", 0, wide, 4); },
             [&] { return MultiByteToWideChar(1252, 0, "ab", -2, wide, 4); },
             [&] { return MultiByteToWideChar(1252, 0, nullptr, 2, wide, 4); },
             [&] { return MultiByteToWideChar(1252, 1, "ab", 2, wide, 4); },
             [&] { return MultiByteToWideChar(1252, 0, "ab", 2, nullptr, 4); },
             [&] { return WideCharToMultiByte(1252, 0, text, 0, bytes, 4, nullptr, nullptr); },
             [&] { return WideCharToMultiByte(1252, 0, text, 2, bytes, -1, nullptr, nullptr); },
         }) {
        SetLastError(0);
        EXPECT_EQ(call(), 0);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    }
}

TEST(CodePageConversionTest, MissingCharactersTakeTheDefaultCharacter) {
    const WCHAR text[] = u"a\u8868b";
    char bytes[3] = {};
    BOOL usedDefault = FALSE;
    EXPECT_EQ(WideCharToMultiByte(1252, 0, text, 3, bytes, 3, "#", &usedDefault), 3);
    EXPECT_EQ(std::string(bytes, 3), "a#b");
    EXPECT_EQ(usedDefault, TRUE);
    EXPECT_EQ(WideCharToMultiByte(1252, 0, text, 1, bytes, 3, nullptr, &usedDefault), 1);
    EXPECT_EQ(usedDefault, FALSE);
}

TEST(CodePageConversionTest, CodePageTheHostLacksIsReadAs1252) {
    WCHAR wide[1] = {};
    EXPECT_EQ(MultiByteToWideChar(59999, 0, "\x80", 1, wide, 1), 1);
    EXPECT_EQ(wide[0], u'€');
}

}  // namespace
}  // namespace vantrel
