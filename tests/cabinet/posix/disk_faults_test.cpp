// Faults of the real file system while Extract writes: a disk that fills up, folders and files
// that may not be written. Each ends with the Windows code and text, no truncated file at any
// target, what was at a target before intact, and no temporary file left.

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "cabinet/extract_outcome.h"
#include "support/posix/child_process.h"
#include "support/posix/scratch_place.h"

namespace vantrel::test {
namespace {

namespace fs = std::filesystem;

std::string Pattern(std::size_t size, char seed) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>(seed + i % 251);
    }
    return bytes;
}

// ---------------------------------------------------------------------------------------------
// A disk of 512 KiB: a tmpfs mounted over C:\out, reached as drive D:.

class FullDiskTest : public OutcomeTest {
  protected:
    void SetUp() override {
        fs::create_directories(Host("out"));
        if (::mount("tmpfs", Host("out").c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=512k") !=
            0) {
            GTEST_SKIP() << "cannot mount a size-limited tmpfs here (" << std::strerror(errno)
                         << "); the full-disk cases need one, and root to make it";
        }
        mounted_ = true;
        PrefixOf(scratch_).MapDrive('d', Host("out"));
    }

    void TearDown() override {
        if (mounted_) {
            ::umount2(Host("out").c_str(), MNT_DETACH);
        }
    }

    ExtractOutcome ExtractToDisk(const std::vector<CabEntry>& entries, const FileSet& previous) {
        return ExtractCabinet(PutCabinet("disk.cab", BuildStoredCab(entries)), previous, "D:\\");
    }

    bool mounted_ = false;
};

struct FullDiskCase {
    const char* Label;
    std::size_t FirstSize;
    std::size_t SecondSize;
};

void PrintTo(const FullDiskCase& value, std::ostream* out) {
    *out << value.Label;
}

class FullDiskWriteTest : public FullDiskTest,
                          public ::testing::WithParamInterface<FullDiskCase> {};

// The first file fits, the second does not: Extract raises 112, the first file is whole, the
// second target still holds what it held, and the disk is as full as before the second file.
TEST_P(FullDiskWriteTest, RaisesNotEnoughSpaceAndKeepsThePreviousFile) {
    const std::string first = Pattern(GetParam().FirstSize, 'a');
    const std::string second = Pattern(GetParam().SecondSize, 'b');
    const FileSet previous = {{"sub/second.bin", "previous second"}};

    const auto extracted = ExtractToDisk(
        {{.Name = "first.bin", .Data = first}, {.Name = "sub\\second.bin", .Data = second}},
        previous);

    EXPECT_EQ(extracted.Error, kDiskFull);
    EXPECT_EQ(extracted.Output,
              (FileSet{{"first.bin", first}, {"sub/second.bin", "previous second"}}));
    EXPECT_EQ(extracted.AfterExtract, Names{"D:\\first.bin"});
}

INSTANTIATE_TEST_SUITE_P(Sizes, FullDiskWriteTest,
                         ::testing::Values(
                             // Larger than the whole disk.
                             FullDiskCase{"SecondLargerThanTheDisk", 100'000, 600'000},
                             // Written in one go: the disk fills up midway.
                             FullDiskCase{"DiskFillsUpMidFile", 300'000, 250'000}),
                         [](const auto& info) { return std::string(info.param.Label); });

// A size the cabinet merely claims is no reason to report a full disk: the file's data ends
// long before and that is what is reported.
TEST_F(FullDiskTest, LyingSizeIsInvalidDataNotAFullDisk) {
    for (std::uint32_t claimed : {0x7FFFFFF0u, 600'000u}) {
        SCOPED_TRACE(claimed);
        std::vector<CabEntry> entries = {{.Name = "first.bin", .Data = "first"},
                                         {.Name = "second.bin", .Data = "data"}};
        entries[1].DeclaredSize = claimed;
        // Enough blocks for the claim to be possible as far as the folder table goes.
        const auto extracted =
            ExtractCabinet(PutCabinet("lying.cab", BuildStoredCab(entries, {.DataBlocks = 20})),
                           {{"second.bin", "previous second"}}, "D:\\");
        EXPECT_EQ(extracted.Error, kInvalidData);
        EXPECT_EQ(extracted.Output,
                  (FileSet{{"first.bin", "first"}, {"second.bin", "previous second"}}));
    }
}

// A read-only medium: the mount itself refuses writing, whoever we are.
TEST_F(FullDiskTest, ReadOnlyMediumRaisesWriteProtected) {
    WriteFile(Host("out/a.txt"), "previous");
    ASSERT_EQ(::mount(nullptr, Host("out").c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0)
        << std::strerror(errno);
    auto cab = CabFor(PutCabinet("ro.cab", BuildStoredCab({{.Name = "a.txt", .Data = "new"}})));
    const auto error = RaisedBy([&] { cab->Extract("", "D:\\", ""); });
    EXPECT_EQ(TextOf(error), "19 CabFile: The media is write protected.");
    EXPECT_EQ(ReadFile(Host("out/a.txt")), "previous");
    EXPECT_EQ(ListFiles(Host("out")), Names{"a.txt"});
}

// ---------------------------------------------------------------------------------------------
// A disk that takes every write into memory and then fails to store it: an ext4 image on a loop
// device, the image a sparse file on a tmpfs too small for the data. Only the flush that ends
// Extract finds out, and Extract then fails as for a failed write.

class FailingDiskTest : public OutcomeTest {
  protected:
    void SetUp() override {
        fs::create_directories(Host("out"));
        const fs::path image = backing_ / "disk.img";
        if (::mount("tmpfs", backing_.Path().c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=3m") !=
            0) {
            GTEST_SKIP() << "cannot mount a tmpfs here (" << std::strerror(errno) << ")";
        }
        backingMounted_ = true;
        loop_ = Command("truncate -s 64M " + image.string() + " && mkfs.ext4 -q -O ^has_journal " +
                        image.string() + " && losetup -f --show " + image.string());
        if (loop_.empty() || ::mount(loop_.c_str(), Host("out").c_str(), "ext4", 0, nullptr) != 0) {
            GTEST_SKIP() << "cannot make an ext4 disk on a loop device here";
        }
        diskMounted_ = true;
        PrefixOf(scratch_).MapDrive('d', Host("out"));
    }

    void TearDown() override {
        if (diskMounted_) {
            ::umount2(Host("out").c_str(), MNT_DETACH);
        }
        if (!loop_.empty()) {
            Command("losetup -d " + loop_);
        }
        if (backingMounted_) {
            ::umount2(backing_.Path().c_str(), MNT_DETACH);
        }
    }

    // The last line the shell command printed, "" when it failed.
    static std::string Command(const std::string& command) {
        FILE* output = ::popen((command + " 2>/dev/null").c_str(), "r");
        std::string text;
        char line[256];
        while (output != nullptr && std::fgets(line, sizeof line, output) != nullptr) {
            text = line;
        }
        const bool succeeded = output != nullptr && ::pclose(output) == 0;
        return succeeded ? text.substr(0, text.find('\n')) : std::string();
    }

    TempDir backing_;
    std::string loop_;
    bool backingMounted_ = false;
    bool diskMounted_ = false;
};

TEST_F(FailingDiskTest, FailedFlushFailsTheExtraction) {
    const auto extracted = ExtractCabinet(
        PutCabinet("big.cab", BuildStoredCab({{.Name = "big.bin", .Data = Pattern(8 << 20, 'x')}})),
        {}, "D:\\");
    EXPECT_EQ(extracted.Error, "29 CabFile: The system cannot write to the specified device.");
}

// ---------------------------------------------------------------------------------------------
// Permissions as an ordinary user meets them: the extraction runs in a child process as
// "nobody" (root passes every permission check), the checks in the test itself.

class UnprivilegedTest : public OutcomeTest {
  protected:
    void SetUp() override {
        fs::permissions(PrefixOf(scratch_).Path(), fs::perms(0755));
        fs::create_directories(Host("out"));
        fs::permissions(Host("out"), fs::perms(0777));
    }

    ErrorText RunExtract(CabFile& cab, const std::string& outputPath) override {
        return InChildProcess(ChildUser::Unprivileged, [&] {
            try {
                cab.Extract("", outputPath, "");
                return kFinished;
            } catch (const RaisedError& error) {
                return TextOf(error);
            }
        });
    }
};

// The folder of the second file may not be written; the first file is written, the second keeps
// the file that was there.
TEST_F(UnprivilegedTest, ReadOnlyFolderRaisesAccessDenied) {
    fs::create_directories(Host("out/sub"));
    WriteFile(Host("out/sub/b.txt"), "previous b");
    fs::permissions(Host("out/sub/b.txt"), fs::perms(0666));
    fs::permissions(Host("out/sub"), fs::perms(0555));
    const auto cabinet =
        PutCabinet("x.cab", BuildStoredCab({{.Name = "a.txt", .Data = "alpha"},
                                            {.Name = "sub\\b.txt", .Data = "bravo"}}));
    const auto extracted = ExtractCabinet(cabinet);
    EXPECT_EQ(extracted.Error, kAccessDenied);
    EXPECT_EQ(extracted.Output, (FileSet{{"a.txt", "alpha"}, {"sub/b.txt", "previous b"}}));
}

// A folder we may not write in counts as existing when a subfolder is to be made in it (folder
// creation answers 75 for both); the file's write then finds no folder, for want of rights.
TEST_F(UnprivilegedTest, SubfolderOfAReadOnlyFolderRaisesAccessDenied) {
    fs::create_directories(Host("out/locked"));
    fs::permissions(Host("out/locked"), fs::perms(0555));
    const auto cabinet =
        PutCabinet("x.cab", BuildStoredCab({{.Name = "a.txt", .Data = "alpha"},
                                            {.Name = "locked\\sub\\b.txt", .Data = "bravo"}}));
    const auto extracted = ExtractCabinet(cabinet);
    EXPECT_EQ(extracted.Error, kAccessDenied);
    EXPECT_EQ(extracted.Output, (FileSet{{"a.txt", "alpha"}}));
    EXPECT_FALSE(fs::exists(Host("out/locked/sub")));
}

// A file of another user that we may not write is not replaced, though its folder is ours.
TEST_F(UnprivilegedTest, FileOfAnotherUserIsNotReplaced) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to lay down a file of another user";
    }
    WriteFile(Host("out/a.txt"), "root's");
    fs::permissions(Host("out/a.txt"), fs::perms(0644));
    const auto extracted =
        ExtractCabinet(PutCabinet("x.cab", BuildStoredCab({{.Name = "a.txt", .Data = "new"}})));
    EXPECT_EQ(extracted.Error, kAccessDenied);
    EXPECT_EQ(extracted.Output, (FileSet{{"a.txt", "root's"}}));
}

}  // namespace
}  // namespace vantrel::test
