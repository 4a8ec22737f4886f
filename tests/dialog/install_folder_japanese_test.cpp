// The registered path in a Japanese locale, where the registry's text reaches the program in
// code page 932.

#include "dialog/install_folder_fixture.h"
#include "platform/kernel.h"

namespace vantrel::test {
namespace {

// The POSIX layer follows LC_ALL at once; Wine fixes the code page when the program starts, so
// there this test runs in a program started in that locale.
TEST_F(InstallFolderTest, JapaneseFolderRoundTripsThroughCodePage932) {
    const ScopedEnv japanese("LC_ALL", "ja_JP.UTF-8");
    ASSERT_EQ(GetACP(), 932u);
    // 表示ソフト: both "表" and "ソ" end in the byte 0x5C, a "\", in code page 932.
    registry_.Register({ViewerPath("C:\\Program Files\\表示ソフト\\ZORVIKViewer.EXE")});
    EXPECT_EQ(Discover(), (Outcome{true, "C:\\Program Files\\表示ソフト\\"}));
}

}  // namespace
}  // namespace vantrel::test
