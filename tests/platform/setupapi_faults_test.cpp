// Write failures the file system really produces: folders and files we may not write to, and a
// file size limit that cuts a file off midway. Each runs in a child process, so that a limit or a
// changed user never reaches the rest of the tests; as root (whose writes pass any permission)
// the child takes the user "nobody" first.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>

#include "platform/kernel.h"
#include "platform/setupapi.h"
#include "platform/setupapi_walk.h"
#include "support/cab_builder.h"
#include "support/mszip_builder.h"
#include "support/posix/child_process.h"
#include "support/posix/temp_prefix.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempDir;
using test::TempPrefix;
using test::WalkRecorder;
using test::WindowsPathOf;

// What a walk in the child ended with: its result, the last error and the codes of
// notification 19, as text.
std::string Summary(BOOL result, const WalkRecorder& recorder) {
    std::ostringstream text;
    text << result << " " << GetLastError();
    for (const auto& event : recorder.EventsOf(SPFILENOTIFY_FILEEXTRACTED)) {
        text << " " << event.Win32Error;
    }
    return text.str();
}

class WriteFaultTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // The user "nobody" has to reach the prefix, the cabinet and the output folder.
        fs::permissions(prefix_.Path(), fs::perms(0755));
        fs::permissions(dir_.Path(), fs::perms(0755));
        fs::create_directories(Out());
        fs::permissions(Out(), fs::perms(0777));
    }

    fs::path Out() const { return dir_ / "out"; }

    fs::path Cabinet(const std::vector<test::CabEntry>& entries) const {
        test::WriteFile(dir_ / "files.cab", test::BuildStoredCab(entries));
        fs::permissions(dir_ / "files.cab", fs::perms(0644));
        return dir_ / "files.cab";
    }

    std::vector<std::string> Leftovers() const {
        std::vector<std::string> found;
        for (const auto& name : test::ListFiles(dir_.Path())) {
            if (name.find(".vantrel-") != std::string::npos) {
                found.push_back(name);
            }
        }
        return found;
    }

    TempPrefix prefix_;
    TempDir dir_;
};

TEST_F(WriteFaultTest, ReadOnlyFolderGivesAccessDenied) {
    const fs::path cabinet = Cabinet({{"a.txt", "content"}});
    const fs::path locked = Out() / "locked";
    fs::create_directories(locked);
    fs::permissions(locked, fs::perms(0555));

    const std::string summary = test::InChildProcess(test::ChildUser::Unprivileged, [&] {
        WalkRecorder recorder = WalkRecorder::WritingTo(locked);
        return Summary(recorder.Walk(cabinet), recorder);
    });
    EXPECT_EQ(summary, "0 5 5");
    EXPECT_FALSE(fs::exists(locked / "a.txt"));
    EXPECT_EQ(Leftovers(), std::vector<std::string>{});
}

std::string Pattern(size_t size, int period) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>('a' + i % period);
    }
    return bytes;
}

// Stored, or MSZIP, whose large files are written on a thread of their own, and whose small
// files are decoded ahead and written on another, in batches.
class WriteFailingMidwayTest : public WriteFaultTest, public ::testing::WithParamInterface<bool> {
  protected:
    fs::path CabinetOf(const std::vector<test::CabEntry>& entries) const {
        if (!GetParam()) {
            return Cabinet(entries);
        }
        test::WriteFile(dir_ / "files.cab", test::BuildMszipCab(entries));
        fs::permissions(dir_ / "files.cab", fs::perms(0644));
        return dir_ / "files.cab";
    }

    // Walks the cabinet in a child whose files may not grow past `limit` bytes.
    std::string WalkWithLimit(const fs::path& cabinet, rlim_t limit,
                              std::optional<UINT> extractedReply) const {
        return test::InChildProcess(test::ChildUser::Same, [&] {
            signal(SIGXFSZ, SIG_IGN);
            const rlimit limits{limit, limit};
            setrlimit(RLIMIT_FSIZE, &limits);
            WalkRecorder recorder = WalkRecorder::WritingTo(Out(), extractedReply);
            return Summary(recorder.Walk(cabinet), recorder);
        });
    }
};

// Windows refuses to overwrite a file we may not write; a rename in a writable folder would
// quietly get around that, so the service must refuse it too. The refusal is that file's alone,
// also when it is one of a batch written ahead.
TEST_P(WriteFailingMidwayTest, FileWeMayNotWriteIsNotReplaced) {
    const fs::path cabinet =
        CabinetOf({{"0.txt", "first"}, {"a.txt", "new"}, {"b.txt", "second"}, {"c.txt", "third"}});
    test::WriteFile(Out() / "a.txt", "protected");
    fs::permissions(Out() / "a.txt", fs::perms(0444));

    const std::string summary = test::InChildProcess(test::ChildUser::Unprivileged, [&] {
        WalkRecorder recorder = WalkRecorder::WritingTo(Out(), 0);
        return Summary(recorder.Walk(cabinet), recorder);
    });
    if (geteuid() != 0 && access((Out() / "a.txt").c_str(), W_OK) == 0) {
        GTEST_SKIP() << "this user may write read-only files";
    }
    EXPECT_EQ(summary, "1 0 0 5 0 0");
    EXPECT_EQ(ReadFile(Out() / "a.txt"), "protected");
    EXPECT_EQ(ReadFile(Out() / "b.txt"), "second");
    EXPECT_EQ(ReadFile(Out() / "c.txt"), "third");
    EXPECT_EQ(Leftovers(), std::vector<std::string>{});
}

// A small file cut off midway by the size limit fails alone; the files before and after it, in
// the same batch, come out whole.
TEST_P(WriteFailingMidwayTest, SmallFileCutOffFailsAlone) {
    const std::string middle = Pattern(6000, 31);
    const fs::path cabinet = CabinetOf({{"a.txt", Pattern(1000, 7)},
                                        {"b.bin", middle},
                                        {"c.txt", Pattern(1000, 11)},
                                        {"d.txt", Pattern(1000, 13)}});
    test::WriteFile(Out() / "b.bin", "previous");

    EXPECT_EQ(WalkWithLimit(cabinet, 4096, 0), "1 0 0 29 0 0");
    EXPECT_EQ(ReadFile(Out() / "b.bin"), "previous");
    EXPECT_EQ(ReadFile(Out() / "c.txt"), Pattern(1000, 11));
    EXPECT_EQ(ReadFile(Out() / "d.txt"), Pattern(1000, 13));
    EXPECT_EQ(Leftovers(), std::vector<std::string>{});
}

// A file cut off by the file size limit (EFBIG, like a full disk midway) leaves the file that
// was at the target as it was. Answered with 0, the walk goes on and the next files of the same
// folder, one large and one small, still come out whole; passed on as the installer does, the
// failure ends the walk.
TEST_P(WriteFailingMidwayTest, KeepsThePreviousFile) {
    const std::string big = Pattern(600'000, 23);
    const std::string middle = Pattern(90'000, 29);
    const fs::path cabinet =
        CabinetOf({{"big.bin", big}, {"middle.bin", middle}, {"small.txt", "small"}});
    test::WriteFile(Out() / "big.bin", "previous");
    EXPECT_EQ(WalkWithLimit(cabinet, 100'000, 0), "1 0 29 0 0");
    EXPECT_EQ(ReadFile(Out() / "big.bin"), "previous");
    EXPECT_EQ(ReadFile(Out() / "middle.bin"), middle);
    EXPECT_EQ(ReadFile(Out() / "small.txt"), "small");
    EXPECT_EQ(Leftovers(), std::vector<std::string>{});

    EXPECT_EQ(WalkWithLimit(cabinet, 100'000, std::nullopt), "0 29 29");
    EXPECT_EQ(ReadFile(Out() / "big.bin"), "previous");
    EXPECT_EQ(Leftovers(), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Methods, WriteFailingMidwayTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Mszip" : "Stored"; });

}  // namespace
}  // namespace vantrel
