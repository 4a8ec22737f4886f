// gcab stores a name beyond ASCII in UTF-8 and flags it so. Both layers hand such a name over in
// the ANSI code page: it keeps its characters where the code page has them, and fails loudly,
// as a name holding "?", where it has not, rather than coming out as another name.

#include "cabinet/extract_outcome.h"
#include "platform/kernel.h"

namespace vantrel::test {
namespace {

struct Utf8NameCase {
    const char* Label;
    const char* Locale;
    UINT CodePage;
    std::string Name;
    std::string Listed;  // as the listing reports it; the file is installed when it is Name
};

class Utf8NameTest : public OutcomeTest, public ::testing::WithParamInterface<Utf8NameCase> {};

// The POSIX layer follows LC_ALL at once; Wine fixes the code page when the program starts, so
// there each locale's cases run in a program started in it.
TEST_P(Utf8NameTest, KeepsItsCharactersInTheAnsiCodePageOrFails) {
    const auto& [label, locale, codePage, name, listed] = GetParam();
    const ScopedEnv scopedLocale("LC_ALL", locale);
    if (GetACP() != codePage) {
        GTEST_SKIP() << "runs in the program started in " << locale;
    }
    const auto cabinet = MakeGcabCabinet("cabs/Images.cab", {{name, "image"}}, true);
    EXPECT_EQ(ListCabinet(cabinet).Files, Names{listed});
    const bool kept = listed == name;
    const auto extracted = ExtractCabinet(cabinet);
    EXPECT_EQ(extracted.Error, kept ? kFinished : kInvalidName);
    EXPECT_EQ(extracted.Output, (kept ? FileSet{{name, "image"}} : FileSet{}));
}

INSTANTIATE_TEST_SUITE_P(
    CodePages, Utf8NameTest,
    ::testing::Values(
        Utf8NameCase{"Western", "C.UTF-8", 1252, "Grüße.png", "Grüße.png"},
        Utf8NameCase{"WesternLacksKanji", "C.UTF-8", 1252, "参照画像.png", "????.png"},
        Utf8NameCase{"Japanese", "ja_JP.UTF-8", 932, "参照画像.png", "参照画像.png"},
        // The system's conversion by near fits would write it as "Gruse.png".
        Utf8NameCase{"JapaneseLacksUmlauts", "ja_JP.UTF-8", 932, "Grüße.png", "Gr??e.png"}),
    [](const auto& info) { return std::string(info.param.Label); });

}  // namespace
}  // namespace vantrel::test
