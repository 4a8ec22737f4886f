// The drives and folders as the platform layer reports them, on real folders: the same answers
// from the Wine prefix's drives on POSIX and from the system on Windows.

#include "platform/file_system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>

#include "support/host_program.h"
#include "support/scratch_folder.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

class FileSystemTest : public ::testing::Test {
  protected:
    FileSystemTest() {
        for (const char* folder : {"Program Files/Viewer/b", "Program Files/Viewer/A",
                                   "Program Files/Viewer/c", "Setup/sub"}) {
            fs::create_directories(scratch_.Host(folder));
        }
        std::ofstream(scratch_.Host("Program Files/Viewer/x.txt")) << "x";
    }

    // The Windows path of `relative` ("a\b") inside the scratch folder.
    std::string In(const std::string& relative) const {
        return relative.empty() ? scratch_.WindowsPath() : scratch_.WindowsPath() + "\\" + relative;
    }
    std::string DriveRoot() const { return scratch_.WindowsPath().substr(0, 3); }

    test::ScratchFolder scratch_;
};

TEST_F(FileSystemTest, DriveLettersAreUpperCaseInOrderWithTheScratchDrive) {
    const std::vector<char> letters = DriveLetters();
    EXPECT_TRUE(std::all_of(letters.begin(), letters.end(),
                            [](char letter) { return letter >= 'A' && letter <= 'Z'; }));
    EXPECT_TRUE(std::adjacent_find(letters.begin(), letters.end(), std::greater_equal<>()) ==
                letters.end());
    EXPECT_NE(std::find(letters.begin(), letters.end(), DriveRoot()[0]), letters.end());
    EXPECT_EQ(std::find(letters.begin(), letters.end(), test::UnmappedDriveLetter()),
              letters.end());
}

struct SpellingCase {
    const char* label;
    const char* asked;     // inside the scratch folder
    const char* expected;  // inside the scratch folder; nullptr: no such folder
};

void PrintTo(const SpellingCase& c, std::ostream* out) {
    *out << c.asked;
}

class ExistingFolderTest : public FileSystemTest,
                           public ::testing::WithParamInterface<SpellingCase> {};

TEST_P(ExistingFolderTest, AnswersTheFolderAsTheDiskSpellsIt) {
    const auto answer = ExistingFolder(In(GetParam().asked));
    if (GetParam().expected == nullptr) {
        EXPECT_EQ(answer, std::nullopt);
    } else {
        EXPECT_EQ(answer, In(GetParam().expected));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ExistingFolderTest,
    ::testing::Values(
        SpellingCase{"AsSpelled", "Program Files\\Viewer", "Program Files\\Viewer"},
        SpellingCase{"OtherCase", "PROGRAM FILES\\viewer", "Program Files\\Viewer"},
        SpellingCase{"SeparatorAtTheEnd", "program files\\viewer\\", "Program Files\\Viewer"},
        SpellingCase{"SlashSeparators", "Program Files/Viewer/A", "Program Files\\Viewer\\A"},
        SpellingCase{"DotAndDotDot", "Program Files\\.\\Viewer\\..\\Viewer\\b",
                     "Program Files\\Viewer\\b"},
        SpellingCase{"DotDotOverAMissingFolder", "Program Files\\Missing\\..\\Viewer",
                     "Program Files\\Viewer"},
        SpellingCase{"ScratchItself", "", ""},
        SpellingCase{"AFile", "Program Files\\Viewer\\x.txt", nullptr},
        SpellingCase{"Missing", "Program Files\\Missing", nullptr},
        SpellingCase{"Star", "Program Files\\Vie*", nullptr},
        SpellingCase{"QuestionMark", "Program Files\\Vi?wer", nullptr},
        SpellingCase{"AngleBracket", "Program Files\\Viewer<", nullptr}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(FileSystemTest, TheLastNameMayDifferInCaseFromTheDisk) {
    EXPECT_EQ(ExistingFolder(In("Program Files\\Viewer\\a")), In("Program Files\\Viewer\\A"));
    EXPECT_EQ(ExistingFolder(In("setup")), In("Setup"));
}

TEST_F(FileSystemTest, DriveRootsKeepTheirSeparatorAndAnUpperCaseLetter) {
    std::string lowerRoot = DriveRoot();
    lowerRoot[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(lowerRoot[0])));
    EXPECT_EQ(ExistingFolder(lowerRoot), DriveRoot());
    EXPECT_EQ(ExistingFolder(std::string(1, test::UnmappedDriveLetter()) + ":\\"), std::nullopt);
}

TEST_F(FileSystemTest, RelativePathsStartAtTheCurrentFolder) {
    const test::ScopedCurrentFolder current(scratch_.Host("Program Files"));
    EXPECT_EQ(CurrentFolder(), In("Program Files"));
    EXPECT_EQ(ExistingFolder("viewer\\a"), In("Program Files\\Viewer\\A"));
    EXPECT_EQ(ExistingFolder("..\\Setup"), In("Setup"));
    EXPECT_EQ(ExistingFolder("\\"), DriveRoot());
}

TEST_F(FileSystemTest, SubFoldersLeaveOutFilesAndHiddenFoldersAndIgnoreCaseInTheirOrder) {
    scratch_.MakeHiddenFolder("Program Files/Viewer/Cache");
    EXPECT_EQ(SubFolders(In("program files\\viewer")), (std::vector<std::string>{"A", "b", "c"}));
    EXPECT_EQ(SubFolders(In("Setup")), std::vector<std::string>{"sub"});
    EXPECT_TRUE(SubFolders(In("Setup\\sub")).empty());
}

TEST_F(FileSystemTest, SubFoldersOfWhatIsNoFolderAreNone) {
    EXPECT_TRUE(SubFolders(In("Program Files\\Viewer\\x.txt")).empty());
    EXPECT_TRUE(SubFolders(In("Missing")).empty());
    EXPECT_TRUE(SubFolders(std::string(1, test::UnmappedDriveLetter()) + ":\\").empty());
}

TEST_F(FileSystemTest, ExecutableFolderHoldsThisProgram) {
    const auto folder = ExecutableFolder();
    ASSERT_TRUE(folder.has_value());
    EXPECT_NE(folder->back(), '\\');
    EXPECT_TRUE(ExistingFolder(*folder).has_value()) << *folder;
    EXPECT_TRUE(fs::is_regular_file(test::HostPathOf(*folder) / VANTREL_TEST_PROGRAM)) << *folder;
}

TEST_F(FileSystemTest, ArgumentsNameWindowsPathsWhetherTheyExistOrNot) {
    const test::ScopedCurrentFolder current(scratch_.Host("Setup"));
    EXPECT_EQ(WindowsPathOfArgument("Images.cab"), In("Setup\\Images.cab"));
    EXPECT_EQ(WindowsPathOfArgument("sub/new/Images.cab"), In("Setup\\sub\\new\\Images.cab"));
    EXPECT_EQ(WindowsPathOfArgument("../out"), In("out"));
    EXPECT_EQ(WindowsPathOfArgument(scratch_.Host("Program Files").string()), In("Program Files"));
}

// As the host's shell gives them: under Wine the host's own paths, mapped through the drives.
TEST_F(FileSystemTest, ArgumentsMayBeTheHostsOwnPaths) {
    EXPECT_EQ(WindowsPathOfArgument(test::HostSystemPath(scratch_.Host("Program Files"))),
              In("Program Files"));
    EXPECT_EQ(WindowsPathOfArgument(test::HostSystemPath(scratch_.Host("Setup")) + "/new.cab"),
              In("Setup\\new.cab"));
}

}  // namespace
}  // namespace vantrel
