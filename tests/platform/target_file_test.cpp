// How a written file reaches its target: whole, under the target's name only once complete,
// replacing a file that was there with that file's permissions kept, and with nothing else left
// in the folder, whether it takes one buffer or many.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/kernel.h"
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

class TargetFileTest : public ::testing::TestWithParam<TargetCase> {};

TEST_P(TargetFileTest, ComesOutWholeUnderItsNameAlone) {
    const TargetCase& target = GetParam();
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
    ::testing::Values(TargetCase{"EmptyNew", 0, false}, TargetCase{"SmallNew", 1000, false},
                      TargetCase{"SmallReplacing", 1000, true},
                      TargetCase{"SeveralBuffersNew", 3 * 128 * 1024 + 17, false},
                      TargetCase{"ManyBuffersNew", 2 * 1024 * 1024 + 5, false},
                      TargetCase{"ManyBuffersReplacing", 2 * 1024 * 1024 + 5, true}),
    [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
}  // namespace vantrel
