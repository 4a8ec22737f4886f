#include "platform/posix/files/drives.h"

#include <gtest/gtest.h>

#include "platform/folders.h"
#include "shared/runtime_error.h"
#include "support/posix/temp_prefix.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

constexpr int kExists = RuntimeError::PathFileAccessError;
constexpr int kMissing = RuntimeError::PathNotFound;

class DrivesTest : public ::testing::Test {
  protected:
    test::TempPrefix prefix;
    fs::path driveC = fs::canonical(prefix.DriveC());
};

TEST_F(DrivesTest, ListsTheDrivesOfThePrefixInLetterOrder) {
    const auto drives = MappedDrives();
    ASSERT_EQ(drives.size(), 2u);
    EXPECT_EQ(drives[0].Letter, 'C');
    EXPECT_EQ(drives[0].Root, driveC);
    EXPECT_EQ(drives[1].Letter, 'Z');
    EXPECT_EQ(drives[1].Root, fs::path("/"));
}

TEST_F(DrivesTest, SeesDrivesMappedAfterTheFirstLook) {
    ASSERT_EQ(MappedDrives().size(), 2u);
    test::TempDir other;
    prefix.MapDrive('d', other.Path());
    const auto host = ToHostPath("D:\\x");
    ASSERT_EQ(host.Error, ERROR_SUCCESS);
    EXPECT_EQ(host.Path, fs::canonical(other.Path()) / "x");
}

TEST_F(DrivesTest, WithoutDosdevicesTheOnlyDriveIsZ) {
    fs::remove_all(prefix.Path() / "dosdevices");
    const auto drives = MappedDrives();
    ASSERT_EQ(drives.size(), 1u);
    EXPECT_EQ(drives[0].Letter, 'Z');
    EXPECT_EQ(ToHostPath("C:\\x").Error, ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(ToHostPath("z:\\tmp\\x").Path, fs::path("/tmp/x"));
}

struct MappingCase {
    const char* windowsPath;
    const char* hostRelativeToDriveC;
};

void PrintTo(const MappingCase& c, std::ostream* out) {
    *out << c.windowsPath;
}

class DrivesMappingTest : public DrivesTest, public ::testing::WithParamInterface<MappingCase> {};

// Outside a walk, and in one, where the second time the folder's mapping is remembered.
TEST_P(DrivesMappingTest, MapsOntoTheDriveFolder) {
    fs::create_directories(driveC / "V" / "s");
    const fs::path relative = GetParam().hostRelativeToDriveC;
    const fs::path expected = relative.empty() ? driveC : driveC / relative;
    EXPECT_EQ(ToHostPath(GetParam().windowsPath).Path, expected);
    const FolderMemory walk;
    ToHostPath("C:\\V\\s\\x");
    for (int time = 0; time < 2; ++time) {
        const auto host = ToHostPath(GetParam().windowsPath);
        ASSERT_EQ(host.Error, ERROR_SUCCESS);
        EXPECT_EQ(host.Path, expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Paths, DrivesMappingTest,
    ::testing::Values(MappingCase{"C:\\V\\a.jpg", "V/a.jpg"}, MappingCase{"c:/V/a.jpg", "V/a.jpg"},
                      MappingCase{"C:\\V\\\\s\\.\\b.jpg", "V/s/b.jpg"},
                      MappingCase{"C:\\V\\s\\..\\b.jpg", "V/b.jpg"},
                      MappingCase{"C:\\v\\S\\b.jpg", "V/s/b.jpg"}, MappingCase{"C:\\V\\s\\..", "V"},
                      MappingCase{"C:\\..\\..\\x", "x"}, MappingCase{"C:\\a\\..\\..\\x", "x"},
                      MappingCase{"C:\\", ""}, MappingCase{"C:", ""}));

TEST_F(DrivesTest, FindsExistingComponentsWhateverTheirCase) {
    fs::create_directories(driveC / "Program Files" / "Viewer");
    const auto host = ToHostPath("C:\\PROGRAM FILES\\viewer\\New\\ZORVIKViewer.EXE");
    ASSERT_EQ(host.Error, ERROR_SUCCESS);
    EXPECT_EQ(host.Path, driveC / "Program Files" / "Viewer" / "New" / "ZORVIKViewer.EXE");
}

TEST_F(DrivesTest, UnmappedDrivesAndUncPathsAreNotFound) {
    EXPECT_EQ(ToHostPath("Q:\\x").Error, ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(ToHostPath("\\\\server\\share\\x").Error, ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(ToHostPath("//server/share/x").Error, ERROR_PATH_NOT_FOUND);
}

class DrivesInvalidNameTest : public DrivesTest,
                              public ::testing::WithParamInterface<std::string> {};

TEST_P(DrivesInvalidNameTest, ForbiddenCharactersMakeThePathInvalid) {
    EXPECT_EQ(ToHostPath(GetParam()).Error, ERROR_INVALID_NAME);
    fs::create_directories(driveC / "d");
    const FolderMemory walk;
    ToHostPath("C:\\ok");
    ToHostPath("C:\\d\\ok");
    EXPECT_EQ(ToHostPath(GetParam()).Error, ERROR_INVALID_NAME);
}

INSTANTIATE_TEST_SUITE_P(Names, DrivesInvalidNameTest,
                         ::testing::Values("C:\\a<b", "C:\\a>b", "C:\\a:b", "C:\\d\\a\"b",
                                           "C:\\a|b", "C:\\a?b\\c", "C:\\a*", "C:\\a\tb",
                                           std::string("C:\\a\x01"
                                                       "b")));

TEST_F(DrivesTest, HostPathsMapBackThroughTheLongestDriveRoot) {
    EXPECT_EQ(ToWindowsPath(driveC / "V" / "a.jpg"), "C:\\V\\a.jpg");
    EXPECT_EQ(ToWindowsPath(driveC), "C:\\");
    EXPECT_EQ(ToWindowsPath("/usr/share"), "Z:\\usr\\share");
    EXPECT_EQ(ToWindowsPath("/"), "Z:\\");
}

TEST_F(DrivesTest, RelativePathsAreTakenFromTheCurrentFolder) {
    fs::create_directories(driveC / "Setup");
    const fs::path previous = fs::current_path();
    fs::current_path(driveC / "Setup");
    const auto windows = ToWindowsPath("Images.cab");
    const auto host = ToHostPath("sub\\a.jpg");
    const auto rooted = ToHostPath("\\x.txt");
    fs::current_path(previous);
    EXPECT_EQ(windows, "C:\\Setup\\Images.cab");
    EXPECT_EQ(host.Path, driveC / "Setup" / "sub" / "a.jpg");
    EXPECT_EQ(rooted.Path, driveC / "x.txt");
}

TEST_F(DrivesTest, HostPathsNoDriveCoversHaveNoWindowsPath) {
    fs::remove(prefix.Path() / "dosdevices" / "z:");
    EXPECT_EQ(ToWindowsPath("/usr"), std::nullopt);
}

class MkDirTest : public DrivesTest {};

TEST_F(MkDirTest, AnswersWithTheOutcomeNumbers) {
    test::WriteFile(driveC / "file", "x");
    EXPECT_EQ(MkDir("C:\\V"), kFolderCreated);
    EXPECT_TRUE(fs::is_directory(driveC / "V"));
    EXPECT_EQ(MkDir("C:\\V"), kExists);
    EXPECT_EQ(MkDir("C:\\"), kExists);
    EXPECT_EQ(MkDir("C:\\file"), kExists);
    EXPECT_EQ(MkDir("C:\\missing\\V"), kMissing);
    EXPECT_EQ(MkDir("C:\\file\\V"), kMissing);
    EXPECT_EQ(MkDir("Q:\\V"), kMissing);
    EXPECT_EQ(MkDir("C:\\a?b"), RuntimeError::BadFileName);
    EXPECT_FALSE(fs::exists(driveC / "missing"));
}

// A link that cannot be followed, in a circle or to nothing, holds the name but is no folder:
// neither it nor anything below it can be made.
TEST_F(MkDirTest, LinksThatLeadNowhereAreNoFolders) {
    fs::create_directory_symlink("loop", driveC / "loop");
    fs::create_directory_symlink("nowhere", driveC / "dangling");
    for (const char* folder : {"C:\\loop", "C:\\loop\\V", "C:\\dangling", "C:\\dangling\\V"}) {
        EXPECT_EQ(MkDir(folder), kMissing) << folder;
    }
    EXPECT_FALSE(fs::exists(driveC / "nowhere"));
}

// A cabinet walk remembers the folders it saw; the next walk, or a call outside any walk, must
// not take a folder removed in between for still there.
TEST_F(MkDirTest, FoldersRemovedAfterAWalkAreCreatedAgain) {
    {
        const FolderMemory walk;
        EXPECT_EQ(MkDir("C:\\V"), kFolderCreated);
        EXPECT_EQ(MkDir("C:\\V"), kExists);
        EXPECT_EQ(ToHostPath("C:\\V\\x").Path, driveC / "V" / "x");
    }
    fs::remove(driveC / "V");
    EXPECT_EQ(MkDir("C:\\V"), kFolderCreated);
    fs::remove(driveC / "V");
    fs::create_directory(driveC / "v");
    const FolderMemory nextWalk;
    EXPECT_EQ(ToHostPath("C:\\V\\x").Path, driveC / "v" / "x");
    EXPECT_EQ(MkDir("C:\\V"), kExists);
}

}  // namespace
}  // namespace vantrel
