// Names inside a cabinet that would put a file outside the output folder are refused.

#include "cabinet/cabinet_fixture.h"
#include "cabinet/safe_name.h"

namespace vantrel::test {
namespace {

const std::vector<std::string> kHostileNames = {
    "..\\x",
    "a\\..\\..\\x",
    "\\x",
    "C:\\x",
    "../x",
    "a/../../x",
    "/x",
    "a:b",
    "C:x",
    "\\\\server\\share\\x",
    "..",
    "a\\..",
    "...\\x",
    ".. \\x",
    "a\\ \\x",
    "a\\",
    "a\\\\b",
    "",
    std::string("a\0b", 3),
};

class HostileNameTest : public ::testing::TestWithParam<std::string> {};

TEST_P(HostileNameTest, IsNotSafe) {
    EXPECT_FALSE(IsSafeRelativeName(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Names, HostileNameTest, ::testing::ValuesIn(kHostileNames));

class OrdinaryNameTest : public ::testing::TestWithParam<const char*> {};

TEST_P(OrdinaryNameTest, IsSafe) {
    EXPECT_TRUE(IsSafeRelativeName(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Names, OrdinaryNameTest,
                         ::testing::Values("a.jpg", "set1\\case01\\a.jpg", "s/b.jpg", ".hidden",
                                           "a..b\\..c", "x.", "with space\\f", "\xe8\xa1\xa8.jpg"));

// The whole scratch folder is checked afterwards: nothing may appear anywhere but the one ordinary
// file under the output folder, and no folder may be made for a refused name.
TEST_F(CabinetTest, ExtractRefusesHostileNamesAndWritesOnlyInsideTheOutputFolder) {
    std::vector<CabEntry> entries;
    std::vector<std::string> refused;
    for (const auto& name : kHostileNames) {
        if (!name.empty() && name.find('\0') == std::string::npos) {
            entries.push_back({.Name = name, .Data = "escaped"});
            refused.push_back(name);
        }
    }
    entries.push_back({.Name = "inside\\ok.txt", .Data = "ok"});
    const auto cabinet = WriteStoredCabinet("cabs/hostile.cab", entries);
    std::filesystem::create_directories(Host("out/deep"));
    const auto treeBefore = Tree();
    auto cab = CabFor(cabinet);
    std::vector<std::string> before, after;
    cab->BeforeExtract = [&](const std::string& FileName, bool&) { before.push_back(FileName); };
    cab->AfterExtract = [&](const std::string& FileName) { after.push_back(FileName); };

    EXPECT_TRUE(cab->Extract("", Windows("out/deep"), ""));

    EXPECT_EQ(cab->NotWritten(), refused);
    EXPECT_EQ(before.size(), entries.size());
    EXPECT_EQ(after, (Names{Windows("out\\deep\\inside\\ok.txt")}));
    auto expectedTree = treeBefore;
    expectedTree.push_back("out/deep/inside");
    expectedTree.push_back("out/deep/inside/ok.txt");
    std::sort(expectedTree.begin(), expectedTree.end());
    EXPECT_EQ(Tree(), expectedTree);
}

}  // namespace
}  // namespace vantrel::test
