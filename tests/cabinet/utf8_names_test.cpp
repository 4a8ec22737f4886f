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
    std::string Listed;  // the FileName the listing reports
    ErrorText Error;
    FileSet Output;
};

void PrintTo(const Utf8NameCase& value, std::ostream* out) {
    *out << value.Label;
}

class Utf8NameTest : public OutcomeTest, public ::testing::WithParamInterface<Utf8NameCase> {};

// The POSIX layer follows LC_ALL at once; Wine fixes the code page when the program starts, so
// there each locale's cases run in a program started in it.
TEST_P(Utf8NameTest, KeepsItsCharactersInTheAnsiCodePageOrFails) {
    const ScopedEnv locale("LC_ALL", GetParam().Locale);
    if (GetACP() != GetParam().CodePage) {
        GTEST_SKIP() << "runs in the program started in " << GetParam().Locale;
    }
    const auto cabinet = MakeGcabCabinet("cabs/Images.cab", {{GetParam().Name, "image"}}, true);
    EXPECT_EQ(ListCabinet(cabinet).Files, Names{GetParam().Listed});
    const auto extracted = ExtractCabinet(cabinet);
    EXPECT_EQ(extracted.Error, GetParam().Error);
    EXPECT_EQ(extracted.Output, GetParam().Output);
    const Names written =
        GetParam().Output.empty() ? Names{} : Names{Windows("out\\" + GetParam().Name)};
    EXPECT_EQ(extracted.AfterExtract, written);
}

const std::string kGreetings = "Grüße.png";
const std::string kReference = "参照画像.png";

INSTANTIATE_TEST_SUITE_P(
    CodePages, Utf8NameTest,
    ::testing::Values(
        Utf8NameCase{
            "Western", "C.UTF-8", 1252, kGreetings, kGreetings, kFinished, {{kGreetings, "image"}}},
        Utf8NameCase{
            "WesternLacksKanji", "C.UTF-8", 1252, kReference, "????.png", kInvalidName, {}},
        Utf8NameCase{"Japanese",
                     "ja_JP.UTF-8",
                     932,
                     kReference,
                     kReference,
                     kFinished,
                     {{kReference, "image"}}},
        // The system's conversion by near fits would write it as "Gruse.png".
        Utf8NameCase{
            "JapaneseLacksUmlauts", "ja_JP.UTF-8", 932, kGreetings, "Gr??e.png", kInvalidName, {}}),
    [](const auto& info) { return std::string(info.param.Label); });

}  // namespace
}  // namespace vantrel::test
