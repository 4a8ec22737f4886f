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

#include <chrono>
#include <cstring>
#include <deque>
#include <filesystem>
#include <map>
#include <optional>
#include <random>
#include <thread>
#include <tuple>

#include "platform/cabinet_options.h"
#include "platform/kernel.h"
#include "platform/posix/cabinet/small_file_worker.h"
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

class TargetFileTest : public ::testing::TestWithParam<std::tuple<TargetCase, bool>> {};

TEST_P(TargetFileTest, ComesOutWholeUnderItsNameAlone) {
    const auto& [target, named] = GetParam();
    const CabinetOptionsScope temporaries({.NamedTemporaryFiles = named});
    test::TempDir dir;
    const std::string data = Pattern(target.Size);
    test::WriteFile(dir / "one.cab", test::BuildStoredCab({{"sub\\file.bin", data}}));
    const fs::path out = dir / "out";
    fs::create_directories(out / "sub");
    if (target.Replaces) {
        test::WriteFile(out / "sub" / "file.bin", "previous");
        fs::permissions(out / "sub" / "file.bin", fs::perms(0640));
    }

    test::WalkRecorder recorder = test::WalkRecorder::WritingTo(out);
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
    test::TempDir dir;
    TargetFile file({.NamedTemporaryFiles = GetParam()});
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

    test::WalkRecorder recorder = test::WalkRecorder::WritingTo(out);
    EXPECT_EQ(recorder.Walk(dir / "one.cab"), TRUE) << GetLastError();
    ::close(live);

    EXPECT_EQ(test::ListFiles(out),
              (std::vector<std::string>{"elsewhere/.y.vantrel-QwErTy", "sub/" + kept[0],
                                        "sub/" + kept[1], "sub/file.bin", "sub/" + kept[2]}));
}

// What a nameless file the worker wrote holds, read through its entry in /proc.
std::string NamelessContent(int fd) {
    return test::ReadFile("/proc/self/fd/" + std::to_string(fd));
}

// Takes the oldest file from the worker: its bytes, and its nameless file if the worker wrote one,
// must be what was posted.
void TakeOldest(SmallFileWorker& worker, std::deque<std::string>& posted, int& written) {
    const SmallFileWorker::Taken taken = worker.Take();
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(taken.Data), taken.Size), posted.front());
    if (taken.Fd >= 0) {
        EXPECT_EQ(NamelessContent(taken.Fd), posted.front());
        ::close(taken.Fd);
        ++written;
    }
    EXPECT_EQ(taken.Errno, 0);
    worker.Release();
    posted.pop_front();
}

// Files of every size the worker takes, some filling its ring of bytes to the last byte, a few of
// a group whose folder it never learns, go round the ring many times: each comes back whole,
// written by the worker or left to the walk.
TEST(SmallFileWorkerTest, EveryFileComesBackAsPosted) {
    test::TempDir dir;
    OutputFolders folders;
    DWORD error = ERROR_SUCCESS;
    const auto folder = folders.Open(dir.Path().string(), error);
    ASSERT_TRUE(folder);
    SmallFileWorker worker;
    ASSERT_TRUE(worker.Start());
    worker.Publish("known", folder);
    std::mt19937 random(19);
    std::deque<std::string> posted;
    int written = 0;
    for (int i = 0; i < 300; ++i) {
        // Pieces of 16 KiB fill the ring exactly, round after round.
        const std::size_t size =
            i % 2 == 0 ? 16384 : (random() % 4 == 0 ? random() % 65536 : random() % 3000);
        std::string data = Pattern(size);
        for (std::size_t at = 0; at < size; at += 1024) {
            data[at] = static_cast<char>(i);  // no two files alike
        }
        unsigned char* room = nullptr;
        while ((room = worker.Reserve(data.size())) == nullptr) {
            if (posted.empty()) {
                std::this_thread::yield();  // the worker has yet to pass the files taken
                continue;
            }
            TakeOldest(worker, posted, written);
        }
        std::memcpy(room, data.data(), data.size());
        worker.Post(data.size(), i % 10 == 9 ? "unknown" : "known", std::nullopt);
        worker.Flush(true);
        posted.push_back(data);
        if (i % 10 == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));  // a busy machine's worker
        }
    }
    while (!posted.empty()) {
        TakeOldest(worker, posted, written);
    }
    EXPECT_GT(written, 0);
}

}  // namespace
}  // namespace vantrel
