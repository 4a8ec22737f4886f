// vantrel-cab killed outright (SIGKILL) at many moments of an extraction over existing files,
// writing through nameless files and through hidden temporary files, and of many small files
// written ahead in batches on a second thread: every target is either its old file or the
// complete new one, and the next run, left to finish, writes every file and leaves no temporary
// file, the killed run's leftovers included.

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <thread>

#include "support/cab_builder.h"
#include "support/posix/temp_prefix.h"
#include "support/temp_dir.h"

extern char** environ;

namespace vantrel::test {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kKills = 80;

struct FileSet {
    const char* Name;
    bool NamedTemporaryFiles;
    int Files;
    std::size_t Size;  // of the first file; the others grow with their number
};

void PrintTo(const FileSet& set, std::ostream* out) {
    *out << set.Name;
}

std::map<std::string, std::string> NewFiles(const FileSet& set) {
    std::map<std::string, std::string> files;
    for (int i = 0; i < set.Files; ++i) {
        std::string data((i % 4 + 1) * set.Size + i, '\0');
        for (std::size_t at = 0; at < data.size(); ++at) {
            data[at] = static_cast<char>((at * (i + 3)) >> (at % 5));
        }
        files["set" + std::to_string(i % 3) + "/image" + std::to_string(i) + ".bmp"] = data;
    }
    return files;
}

bool HasTemporaryName(const std::string& path) {
    const std::string name = fs::path(path).filename().string();
    return name.starts_with('.') && name.find(".vantrel-") != std::string::npos;
}

class CrashTest : public ::testing::TestWithParam<FileSet> {
  protected:
    void SetUp() override {
        for (const auto& [name, data] : NewFiles(GetParam())) {
            fs::create_directories((source_ / name).parent_path());
            WriteFile(source_ / name, data);
        }
        MakeCabWithGcab(cabinet_, source_.Path(), true);
    }

    void PutOldFiles() const {
        fs::remove_all(out_);
        for (const auto& [name, data] : NewFiles(GetParam())) {
            fs::create_directories((out_ / name).parent_path());
            WriteFile(out_ / name, "old " + name);
        }
    }

    // Starts the extraction; kills it after `delay` unless negative; its exit status, -1 when
    // killed.
    int Extract(Clock::duration delay) const {
        const std::string tool = VANTREL_CAB_TOOL;
        std::vector<char*> arguments = {const_cast<char*>(tool.c_str()),
                                        const_cast<char*>("extract")};
        if (GetParam().NamedTemporaryFiles) {
            arguments.push_back(const_cast<char*>("--named-temporary-files"));
        }
        arguments.insert(arguments.end(), {const_cast<char*>(cabinet_.c_str()),
                                           const_cast<char*>(out_.c_str()), nullptr});
        pid_t child = 0;
        if (::posix_spawn(&child, tool.c_str(), nullptr, nullptr, arguments.data(), environ) != 0) {
            ADD_FAILURE() << "cannot start " << tool;
            return -2;
        }
        if (delay >= Clock::duration::zero()) {
            std::this_thread::sleep_for(delay);
            ::kill(child, SIGKILL);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    Clock::duration WholeRun() const {
        std::vector<Clock::duration> runs;
        for (int i = 0; i < 3; ++i) {
            PutOldFiles();
            const auto start = Clock::now();
            EXPECT_EQ(Extract(Clock::duration(-1)), 0);
            runs.push_back(Clock::now() - start);
        }
        std::sort(runs.begin(), runs.end());
        return runs[1];
    }

    TempPrefix prefix_;
    TempDir source_;
    fs::path cabinet_ = prefix_.DriveC() / "Images.cab";
    fs::path out_ = prefix_.DriveC() / "out";
};

TEST_P(CrashTest, EveryTargetIsOldOrNewAndTheNextRunLeavesNoTemporaryFile) {
    const auto files = NewFiles(GetParam());
    const Clock::duration whole = WholeRun();
    int killedMidway = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        SCOPED_TRACE("kill " + std::to_string(kill));
        PutOldFiles();
        Extract(whole * 3 / 2 * kill / kKills);

        int written = 0;
        for (const auto& [name, data] : files) {
            const std::string found = ReadFile(out_ / name);
            EXPECT_TRUE(found == data || found == "old " + name) << name;
            written += found == data ? 1 : 0;
        }
        killedMidway += written > 0 && written < GetParam().Files ? 1 : 0;

        ASSERT_EQ(Extract(Clock::duration(-1)), 0);
        auto left = ListFiles(out_);
        EXPECT_EQ(std::count_if(left.begin(), left.end(), HasTemporaryName), 0);
        for (const auto& [name, data] : files) {
            EXPECT_EQ(ReadFile(out_ / name), data) << name;
        }
    }
    // Without kills inside the extraction the test would prove nothing.
    EXPECT_GT(killedMidway, 0);
}

INSTANTIATE_TEST_SUITE_P(Writes, CrashTest,
                         ::testing::Values(FileSet{"NamelessFiles", false, 60, 40000},
                                           FileSet{"NamedTemporaryFiles", true, 60, 40000},
                                           FileSet{"ManySmallFiles", false, 600, 500}),
                         [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
}  // namespace vantrel::test
