// The Windows layer in a Japanese locale, where the "A" functions speak code page 932: names
// go through it both ways, and dates take the Japanese short form. Windows only: the POSIX layer
// does not pass names through a code page. Run with LC_ALL=ja_JP.UTF-8, which Wine follows.

#include <gtest/gtest.h>
#include <windows.h>

#include "platform/date_format.h"
#include "platform/file_system.h"
#include "platform/folders.h"
#include "shared/runtime_error.h"
#include "support/scratch_folder.h"

namespace vantrel {
namespace {

const std::string kPictures = "\xE7\x94\xBB\xE5\x83\x8F";  // 画像 in UTF-8

class JapaneseLocaleTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(GetACP(), 932u) << "run with LC_ALL=ja_JP.UTF-8"; }

    test::ScratchFolder scratch_;
};

TEST_F(JapaneseLocaleTest, FolderNamesOfTheCodePageGoThroughBothWays) {
    const std::string folder = scratch_.WindowsPath() + "\\" + kPictures;
    ASSERT_EQ(MkDir(folder), kFolderCreated);
    EXPECT_TRUE(std::filesystem::is_directory(test::HostPathOf(folder)));
    EXPECT_EQ(SubFolders(scratch_.WindowsPath()), std::vector<std::string>{kPictures});
    EXPECT_EQ(ExistingFolder(folder), folder);
    EXPECT_EQ(MkDir(folder), RuntimeError::PathFileAccessError);
}

// What an ANSI program meets: the conversion makes "?" of a character the code page lacks
// without a near fit, and no name may hold "?".
TEST_F(JapaneseLocaleTest, ANameTheCodePageLacksIsABadFileName) {
    const std::string thaiKoKai = "\xE0\xB8\x81";
    EXPECT_EQ(MkDir(scratch_.WindowsPath() + "\\" + thaiKoKai), RuntimeError::BadFileName);
    EXPECT_TRUE(SubFolders(scratch_.WindowsPath()).empty());
}

TEST_F(JapaneseLocaleTest, DatesAreYearFirstWithA24HourClock) {
    const std::string text = GeneralDateTimeText({2024, 3, 5, 14, 7, 9});
    EXPECT_EQ(text.rfind("2024/", 0), 0u) << text;
    EXPECT_TRUE(text.ends_with(" 14:07:09")) << text;
}

}  // namespace
}  // namespace vantrel
