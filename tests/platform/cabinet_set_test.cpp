// Cabinet sets: one file list spread over several cabinet files, each naming the next. The walk
// asks for every further part with SPFILENOTIFY_NEEDNEWCABINET and takes it from beside the first
// unless the callback names another folder.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/kernel.h"
#include "platform/setupapi.h"
#include "platform/setupapi_walk.h"
#include "support/cab_set_builder.h"
#include "support/temp_dir.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using test::CabEntry;
using test::CabSetLayout;
using test::ReadFile;
using test::WalkEvent;
using test::WalkRecorder;
using test::WindowsPathOf;

std::string Pattern(std::size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 131 + seed * 29 + i / 7) & 0xFF);
    }
    return bytes;
}

const std::vector<CabEntry> kFiles = {
    {"first.bmp", Pattern(1500, 1)},
    {"pics\\split.bmp", Pattern(9000, 2)},
    {"pics\\after.bmp", Pattern(700, 3)},
    {"empty.txt", ""},
    {"deep\\a\\b\\long.bmp", Pattern(6000, 5)},
    {"last.bmp", Pattern(300, 6)},
};

class CabinetSetTest : public ::testing::Test {
  protected:
    // Writes the set into `folder` and answers the first part's path.
    fs::path WriteSet(const CabSetLayout& layout, const fs::path& folder) {
        fs::create_directories(folder);
        const auto parts = test::BuildStoredCabSet(kFiles, layout);
        for (std::size_t i = 0; i < parts.size(); ++i) {
            test::WriteFile(folder / layout.PartNames[i], parts[i]);
        }
        return folder / layout.PartNames.front();
    }

    static CabSetLayout Layout(std::vector<std::string> names, std::vector<std::size_t> splits) {
        CabSetLayout layout;
        layout.PartNames = std::move(names);
        layout.SplitFiles = std::move(splits);
        return layout;
    }

    WalkRecorder ExtractingRecorder() { return WalkRecorder::WritingTo(out_); }

    void ExpectEveryFileWritten() const {
        for (const CabEntry& file : kFiles) {
            std::string relative = file.Name;
            std::replace(relative.begin(), relative.end(), '\\', '/');
            SCOPED_TRACE(relative);
            ASSERT_TRUE(fs::exists(out_ / relative));
            EXPECT_EQ(ReadFile(out_ / relative), file.Data);
        }
    }

    std::vector<std::string> NamesListed(const WalkRecorder& recorder) const {
        std::vector<std::string> names;
        for (const WalkEvent& event : recorder.EventsOf(SPFILENOTIFY_FILEINCABINET)) {
            names.push_back(event.Name);
        }
        return names;
    }

    test::TempDir dir_;
    fs::path out_ = dir_ / "out";
};

struct SetShape {
    const char* Name;
    std::vector<std::string> Parts;
    std::vector<std::size_t> Splits;
    std::size_t BlockSize;
};

class CabinetSetShapeTest : public CabinetSetTest,
                            public ::testing::WithParamInterface<SetShape> {};

TEST_P(CabinetSetShapeTest, EveryFileOfTheSetComesOutWholeAndOnce) {
    CabSetLayout layout = Layout(GetParam().Parts, GetParam().Splits);
    layout.BlockSize = GetParam().BlockSize;
    const fs::path first = WriteSet(layout, dir_ / "cab");

    WalkRecorder recorder = ExtractingRecorder();
    ASSERT_EQ(recorder.Walk(first), TRUE) << GetLastError();

    std::vector<std::string> expected;
    for (const CabEntry& file : kFiles) {
        expected.push_back(file.Name);
    }
    EXPECT_EQ(NamesListed(recorder), expected);
    ExpectEveryFileWritten();
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, CabinetSetShapeTest,
    ::testing::Values(
        SetShape{"TwoParts", {"Images.cab", "Images2.cab"}, {1}, 1024},
        SetShape{"FileOverThreeParts", {"Images.cab", "Images2.cab", "Images3.cab"}, {1, 1}, 1024},
        SetShape{
            "OneBlockInTheMiddle", {"Images.cab", "I2.cab", "I3.cab", "I4.cab"}, {1, 1, 4}, 16384},
        SetShape{"LastFileSplit", {"Images.cab", "Images2.cab"}, {5}, 100},
        SetShape{"SplitAtEveryFile", {"A.cab", "B.cab", "C.cab", "D.cab"}, {0, 1, 2}, 512}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(CabinetSetTest, AsksForEachPartAndAnnouncesItWithTheOneAfter) {
    const fs::path first =
        WriteSet(Layout({"Images.cab", "Images2.cab", "Images3.cab"}, {1, 4}), dir_ / "cab");
    WalkRecorder recorder;
    ASSERT_EQ(recorder.Walk(first), TRUE);

    const std::string folder = WindowsPathOf(dir_ / "cab") + "\\";
    std::vector<std::string> seen;
    for (const WalkEvent& event : recorder.Events) {
        if (event.Notification == SPFILENOTIFY_FILEINCABINET) {
            break;
        }
        EXPECT_EQ(event.Path, folder);
        seen.push_back(std::to_string(event.Notification) + " " + event.Name + " " +
                       event.DiskName + " " + std::to_string(event.CabinetNumber));
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"16 Images2.cab Disk 2 0", "18 Images2.cab Disk 2 1",
                                              "16 Images3.cab Disk 3 1", "18 Images3.cab Disk 3 2",
                                              "16   2"}));
}

TEST_F(CabinetSetTest, MissingPartFailsWithFileNotFoundBeforeAnyFile) {
    const fs::path first = WriteSet(Layout({"Images.cab", "Images2.cab"}, {1}), dir_ / "cab");
    fs::remove(dir_ / "cab" / "Images2.cab");

    WalkRecorder recorder = ExtractingRecorder();
    EXPECT_EQ(recorder.Walk(first), FALSE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(recorder.EventsOf(SPFILENOTIFY_FILEINCABINET).empty());
    EXPECT_FALSE(fs::exists(out_));
}

TEST_F(CabinetSetTest, PartNameIsMatchedWithoutRegardToCase) {
    const fs::path first = WriteSet(Layout({"Images.cab", "IMAGES2.CAB"}, {1}), dir_ / "cab");
    fs::rename(dir_ / "cab" / "IMAGES2.CAB", dir_ / "cab" / "images2.cab");

    WalkRecorder recorder = ExtractingRecorder();
    ASSERT_EQ(recorder.Walk(first), TRUE) << GetLastError();
    ExpectEveryFileWritten();
}

TEST_F(CabinetSetTest, PathGivenByTheCallbackIsWhereTheNextPartIsTaken) {
    const CabSetLayout layout = Layout({"Images.cab", "Images2.cab"}, {1});
    const fs::path first = WriteSet(layout, dir_ / "cab");
    fs::create_directories(dir_ / "disk2");
    fs::rename(dir_ / "cab" / "Images2.cab", dir_ / "disk2" / "Images2.cab");

    WalkRecorder recorder = ExtractingRecorder();
    recorder.NewCabinetPath = WindowsPathOf(dir_ / "disk2");
    ASSERT_EQ(recorder.Walk(first), TRUE) << GetLastError();
    ExpectEveryFileWritten();
}

TEST_F(CabinetSetTest, ErrorAnsweredToTheRequestEndsTheWalkWithIt) {
    const fs::path first = WriteSet(Layout({"Images.cab", "Images2.cab"}, {1}), dir_ / "cab");
    constexpr UINT kCancelled = 1223;
    WalkRecorder recorder = ExtractingRecorder();
    recorder.NewCabinetReply = kCancelled;
    EXPECT_EQ(recorder.Walk(first), FALSE);
    EXPECT_EQ(GetLastError(), kCancelled);
    EXPECT_FALSE(fs::exists(out_));
}

// Parts that do not belong: the walk refuses them as invalid data and reads nothing else.
struct WrongPart {
    const char* Name;
    std::vector<std::string> Parts;  // names written into the headers
    std::string FileOfSecond;        // what the second part is called on disk
    unsigned short SecondSetId;
    bool Asked;  // whether the callback is asked for the part at all
};

class CabinetSetWrongPartTest : public CabinetSetTest,
                                public ::testing::WithParamInterface<WrongPart> {};

TEST_P(CabinetSetWrongPartTest, IsRefusedAsInvalidData) {
    const WrongPart& wrong = GetParam();
    CabSetLayout layout = Layout(wrong.Parts, {1});
    const auto parts = test::BuildStoredCabSet(kFiles, layout);
    layout.SetId = wrong.SecondSetId;
    const auto other = test::BuildStoredCabSet(kFiles, layout);
    fs::create_directories(dir_ / "cab");
    test::WriteFile(dir_ / "cab" / "Images.cab", parts[0]);
    if (!wrong.FileOfSecond.empty()) {
        test::WriteFile(dir_ / "cab" / wrong.FileOfSecond, other[1]);
    }
    fs::create_directories(dir_ / "elsewhere");
    test::WriteFile(dir_ / "elsewhere" / "x.cab", other[1]);

    WalkRecorder recorder = ExtractingRecorder();
    EXPECT_EQ(recorder.Walk(dir_ / "cab" / "Images.cab"), FALSE);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_DATA);
    EXPECT_EQ(recorder.EventsOf(SPFILENOTIFY_NEEDNEWCABINET).size(), wrong.Asked ? 1U : 0U);
    EXPECT_FALSE(fs::exists(out_));
}

INSTANTIATE_TEST_SUITE_P(
    Parts, CabinetSetWrongPartTest,
    ::testing::Values(
        WrongPart{"OfAnotherSet", {"Images.cab", "Images2.cab"}, "Images2.cab", 7, true},
        WrongPart{"FirstPartNamingItself", {"Images.cab", "Images.cab"}, "", 0x1234, true},
        WrongPart{"NameClimbingOut", {"Images.cab", "..\\elsewhere\\x.cab"}, "", 0x1234, false},
        WrongPart{"NameWithADrive", {"Images.cab", "Z:x.cab"}, "", 0x1234, false},
        WrongPart{"NameWithAFolder", {"Images.cab", "sub/x.cab"}, "", 0x1234, false}),
    [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
}  // namespace vantrel
