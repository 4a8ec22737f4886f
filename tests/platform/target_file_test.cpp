// How a written file reaches its target: whole, under the target's name only once complete,
// replacing a file that was there with that file's permissions kept, and with nothing else left
// in the folder, whether it takes one buffer or many, through a nameless file or, as on file
// systems without those, a hidden temporary file. A hidden temporary file a killed run left
// behind is removed by the next walk writing into its folder, unless a live writer holds it.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <optional>
#include <tuple>

#include "platform/kernel.h"
#include "platform/posix/cabinet/target.h"
#include "platform/posix/cabinet/temporary_files.h"
#include "platform/setupapi.h"
#include "platform/setupapi_walk.h"
#include "support/cab_builder.h"
#include "support/temp_dir.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

std::string Pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>(i * 7 + i / 251);
    }
    return bytes;
}

mode_t ModeOf(const fs::path& path) {
    struct stat status {};
    ::stat(path.c_str(), &status);
    return status.st_mode & 07777;
}

mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

struct TargetCase {
    const char* Name;
    std::size_t Size;
    bool Replaces;
};

void PrintTo(const TargetCase& target, std::ostream* out) {
    *out << target.Name;
}

// Nameless files where the file system has them, or hidden temporary files throughout.
std::optional<std::string> NamedTemporaryFiles(bool named) {
    return named ? std::optional<std::string>("1") : std::nullopt;
}

class TargetFileTest : public ::testing::TestWithParam<std::tuple<TargetCase, bool>> {};

TEST_P(TargetFileTest, ComesOutWholeUnderItsNameAlone) {
    const auto& [target, named] = GetParam();
    const test::ScopedEnv temporaries("VANTREL_NAMED_TEMPORARY_FILES", NamedTemporaryFiles(named));
    test::TempDir dir;
    const std::string data = Pattern(target.Size);
    test::WriteFile(dir / "one.cab", test::BuildStoredCab({{"sub\\file.bin", data}}));
    const fs::path out = dir / "out";
    fs::create_directories(out / "sub");
    if (target.Replaces) {
        test::WriteFile(out / "sub" / "file.bin", "previous");
        fs::permissions(out / "sub" / "file.bin", fs::perms(0640));
    }

    test::WalkRecorder recorder;
    recorder.FileAnswer = FILEOP_DOIT;
    recorder.OutputHostFolder = out;
    ASSERT_EQ(recorder.Walk(dir / "one.cab"), TRUE) << GetLastError();

    EXPECT_EQ(test::ReadFile(out / "sub" / "file.bin"), data);
    EXPECT_EQ(ModeOf(out / "sub" / "file.bin"), target.Replaces ? 0640 : NewFileMode());
    EXPECT_EQ(test::ListFiles(out), std::vector<std::string>{"sub/file.bin"});
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, TargetFileTest,
    ::testing::Combine(
        ::testing::Values(TargetCase{"EmptyNew", 0, false}, TargetCase{"SmallNew", 1000, false},
                          TargetCase{"SmallReplacing", 1000, true},
                          TargetCase{"SeveralBuffersNew", 3 * 128 * 1024 + 17, false},
                          TargetCase{"ManyBuffersNew", 2 * 1024 * 1024 + 5, false},
                          TargetCase{"ManyBuffersReplacing", 2 * 1024 * 1024 + 5, true}),
        ::testing::Bool()),
    [](const auto& info) {
        return std::string(std::get<0>(info.param).Name) +
               (std::get<1>(info.param) ? "Named" : "Nameless");
    });

// Hidden temporary files of the folder, each with whether a writer holds its lock.
std::map<std::string, bool> TemporariesIn(const fs::path& folder) {
    std::map<std::string, bool> found;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (IsTemporaryName(name)) {
            const int fd = ::open(entry.path().c_str(), O_RDONLY | O_CLOEXEC);
            found[name] = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
            ::close(fd);
        }
    }
    return found;
}

class TemporaryFileTest : public ::testing::TestWithParam<bool> {};

// A new file has no name at all until it is complete; with named temporary files forced, it has
// a hidden one, locked, from the start.
TEST_P(TemporaryFileTest, IsHiddenAndLockedWhileWritten) {
    const test::ScopedEnv temporaries("VANTREL_NAMED_TEMPORARY_FILES",
                                      NamedTemporaryFiles(GetParam()));
    test::TempDir dir;
    TargetFile file;
    ASSERT_EQ(file.Create(dir / "new.bin"), ERROR_SUCCESS);
    ASSERT_EQ(file.Write("data", 4), 4);

    const auto during = TemporariesIn(dir.Path());
    if (GetParam()) {
        ASSERT_EQ(during.size(), 1u);
        EXPECT_TRUE(during.begin()->second) << "not locked: " << during.begin()->first;
    } else {
        EXPECT_EQ(during, (std::map<std::string, bool>{}));
    }
    EXPECT_EQ(file.Commit(std::nullopt), ERROR_SUCCESS);
    EXPECT_EQ(test::ListFiles(dir.Path()), std::vector<std::string>{"new.bin"});
    EXPECT_EQ(test::ReadFile(dir / "new.bin"), "data");
}

INSTANTIATE_TEST_SUITE_P(Ways, TemporaryFileTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Named" : "Nameless"; });

// A leftover is a file of the temporary files' form that nobody holds; only the folders the walk
// writes into are cleaned.
TEST(LeftoverTemporaryTest, NextWalkIntoTheFolderRemovesOnlyUnlockedOnes) {
    test::TempDir dir;
    test::WriteFile(dir / "one.cab", test::BuildStoredCab({{"sub\\file.bin", "new"}}));
    const fs::path out = dir / "out";
    const fs::path sub = out / "sub";
    fs::create_directories(sub);
    fs::create_directories(out / "elsewhere");
    const std::vector<std::string> kept = {".other.bin.vantrel-Zz9Zz9", ".x.vantrel-abc",
                                           "notes.vantrel-abcdef"};
    for (const auto& name : kept) {
        test::WriteFile(sub / name, "kept");
    }
    test::WriteFile(sub / ".file.bin.vantrel-AbC123", "left by a killed run");
    test::WriteFile(out / "elsewhere" / ".y.vantrel-QwErTy", "not in a folder written to");
    const int live = ::open((sub / kept[0]).c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(live, LOCK_EX), 0);

    test::WalkRecorder recorder;
    recorder.FileAnswer = FILEOP_DOIT;
    recorder.OutputHostFolder = out;
    EXPECT_EQ(recorder.Walk(dir / "one.cab"), TRUE) << GetLastError();
    ::close(live);

    EXPECT_EQ(test::ListFiles(out),
              (std::vector<std::string>{"elsewhere/.y.vantrel-QwErTy", "sub/" + kept[0],
                                        "sub/" + kept[1], "sub/file.bin", "sub/" + kept[2]}));
}

}  // namespace
}  // namespace vantrel
