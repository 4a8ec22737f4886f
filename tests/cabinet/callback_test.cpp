// The Callback module: folder-tree creation, and the iteration protocol driven directly with
// records made by hand, as the service would hand them over.

#include "cabinet/callback.h"

#include <cstring>
#include <exception>

#include "cabinet/cabinet_fixture.h"
#include "platform/setupapi.h"

namespace vantrel::test {
namespace {

struct TreeCase {
    const char* label;
    const char* folder;
    bool result;
    const char* afterCall;             // the caller's variable afterwards
    std::vector<std::string> created;  // new folders under drive C:
};

class MakeDirTreeTest : public CabinetTest, public ::testing::WithParamInterface<TreeCase> {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(Host("V"));
        WriteFile(Host("V/file"), "not a folder");
    }
};

TEST_P(MakeDirTreeTest, CreatesMissingFoldersAndAnswers) {
    const auto& c = GetParam();
    const auto treeBefore = Tree();
    std::string folder = c.folder;

    EXPECT_EQ(Callback::MakeDirTree(folder), c.result);

    EXPECT_EQ(folder, c.afterCall);
    auto expected = treeBefore;
    for (const auto& created : c.created) {
        expected.push_back("drive_c/" + created);
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Tree(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Folders, MakeDirTreeTest,
    ::testing::Values(
        TreeCase{"ParentsMissing", "C:\\V\\a\\b\\", true, "C:\\V\\a\\b", {"V/a", "V/a/b"}},
        TreeCase{"OnlyDriveExists", "C:\\x\\y\\z", true, "C:\\x\\y\\z", {"x", "x/y", "x/y/z"}},
        TreeCase{"ParentExists", "C:\\V\\new", true, "C:\\V\\new", {"V/new"}},
        TreeCase{"AlreadyThere", "C:\\V\\", true, "C:\\V", {}},
        TreeCase{"OtherCase", "c:\\v\\A", true, "c:\\v\\A", {"V/A"}},
        TreeCase{"Empty", "", false, "", {}},
        TreeCase{"UnmappedDrive", "Q:\\x\\y\\", false, "Q:\\x\\y", {}},
        TreeCase{"BelowAFile", "C:\\V\\file\\sub\\deeper", false, "C:\\V\\file\\sub\\deeper", {}},
        TreeCase{"ForbiddenCharacter", "C:\\V\\a\\b?c", false, "C:\\V\\a\\b?c", {}}),
    [](const auto& info) { return info.param.label; });

TEST(AddBackslashTest, EndsTheFolderWithOneBackslash) {
    EXPECT_EQ(Callback::AddBackslash(""), "\\");
    EXPECT_EQ(Callback::AddBackslash("C:\\V"), "C:\\V\\");
    EXPECT_EQ(Callback::AddBackslash("C:\\V\\"), "C:\\V\\");
}

// A record for one file, as notification 17 brings it.
struct FileRecord {
    explicit FileRecord(std::string name, DWORD size = 0, WORD date = 0x3A21, WORD time = 0)
        : name_(std::move(name)) {
        record.NameInCabinet = name_.c_str();
        record.FileSize = size;
        record.DosDate = date;
        record.DosTime = time;
        std::memset(record.FullTargetName, 0x7F, sizeof record.FullTargetName);
    }
    UINT_PTR Param() { return reinterpret_cast<UINT_PTR>(&record); }

    std::string name_;
    FILE_IN_CABINET_INFO_A record{};
};

PVOID Context(UINT mode) {
    return reinterpret_cast<PVOID>(static_cast<UINT_PTR>(mode));
}

class ProtocolTest : public CabinetTest {
  protected:
    void SetUp() override {
        cab_->FileFound = [this](const std::string& FileName, const DateTime& Date,
                                 std::int32_t Size, const std::string& Path) {
            found_.push_back({FileName, Date, Size, Path});
        };
        cab_->BeforeExtract = [this](const std::string& FileName, bool&) {
            events_.push_back("before " + FileName);
        };
        cab_->AfterExtract = [this](const std::string& FileName) {
            events_.push_back("after " + FileName);
        };
        Callback::SetActiveCab(cab_);
    }
    void TearDown() override { Callback::SetActiveCab(nullptr); }

    std::shared_ptr<CabFile> cab_ = CabFile::Create();
    std::vector<FoundFile> found_;
    std::vector<std::string> events_;
};

TEST_F(ProtocolTest, WithoutActiveObjectEveryNotificationAnswersZero) {
    Callback::SetActiveCab(nullptr);
    FileRecord file("a.jpg", 1);
    FILEPATHS_A paths{"C:\\a.jpg", "a.jpg", 0, 0};
    CABINET_INFO_A cabinet{"C:\\", "x.cab", "", 0, 0};
    for (UINT mode : {CabFile::ListMode, CabFile::ExtractMode}) {
        EXPECT_EQ(Callback::CabIterateCallback(Context(mode), SPFILENOTIFY_CABINETINFO,
                                               reinterpret_cast<UINT_PTR>(&cabinet), 0),
                  0u);
        EXPECT_EQ(Callback::CabIterateCallback(Context(mode), SPFILENOTIFY_FILEINCABINET,
                                               file.Param(), 0),
                  FILEOP_ABORT);
        EXPECT_EQ(Callback::CabIterateCallback(Context(mode), SPFILENOTIFY_NEEDNEWCABINET,
                                               reinterpret_cast<UINT_PTR>(&cabinet), 0),
                  0u);
        EXPECT_EQ(Callback::CabIterateCallback(Context(mode), SPFILENOTIFY_FILEEXTRACTED,
                                               reinterpret_cast<UINT_PTR>(&paths), 0),
                  0u);
    }
    EXPECT_TRUE(found_.empty());
    EXPECT_EQ(events_, Names{});
}

TEST_F(ProtocolTest, CabinetNotificationsAreAnsweredWithZero) {
    CABINET_INFO_A cabinet{"C:\\", "x.cab", "", 0, 0};
    char newCabinet[MAX_PATH] = {};
    EXPECT_EQ(Callback::CabIterateCallback(Context(CabFile::ExtractMode), SPFILENOTIFY_CABINETINFO,
                                           reinterpret_cast<UINT_PTR>(&cabinet), 0),
              0u);
    EXPECT_EQ(Callback::CabIterateCallback(
                  Context(CabFile::ExtractMode), SPFILENOTIFY_NEEDNEWCABINET,
                  reinterpret_cast<UINT_PTR>(&cabinet), reinterpret_cast<UINT_PTR>(newCabinet)),
              0u);
    EXPECT_STREQ(newCabinet, "");
    EXPECT_EQ(events_, Names{});
}

// FileSize is read as a signed 32-bit value, so a file of 2 GiB or more has a negative Size.
TEST_F(ProtocolTest, ListingReadsTheSizeAsSigned) {
    for (DWORD size : {0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu}) {
        FileRecord file("big\\f.bin", size, (20 << 9) | (1 << 5) | 2, (3 << 11) | 2);
        EXPECT_EQ(Callback::CabIterateCallback(Context(CabFile::ListMode),
                                               SPFILENOTIFY_FILEINCABINET, file.Param(), 0),
                  FILEOP_SKIP);
    }
    const DateTime date{2000, 1, 2, 3, 0, 4};
    EXPECT_EQ(found_, (std::vector<FoundFile>{FoundFile{"f.bin", date, 2147483647, "big\\"},
                                              FoundFile{"f.bin", date, -2147483647 - 1, "big\\"},
                                              FoundFile{"f.bin", date, -1, "big\\"}}));
}

struct ExtractedCase {
    UINT win32Error;
    UINT result;
    bool afterExtract;
};

class FileExtractedTest : public ProtocolTest,
                          public ::testing::WithParamInterface<ExtractedCase> {};

// Only the low 16 bits of Win32Error count; they go back to the service sign-extended.
TEST_P(FileExtractedTest, LowWordDecidesSuccess) {
    FILEPATHS_A paths{"C:\\out\\a.jpg", "a.jpg", GetParam().win32Error, 0};
    EXPECT_EQ(
        Callback::CabIterateCallback(Context(CabFile::ExtractMode), SPFILENOTIFY_FILEEXTRACTED,
                                     reinterpret_cast<UINT_PTR>(&paths), 0),
        GetParam().result);
    if (GetParam().afterExtract) {
        EXPECT_EQ(events_, (Names{"after C:\\out\\a.jpg"}));
    } else {
        EXPECT_EQ(events_, Names{});
    }
}

INSTANTIATE_TEST_SUITE_P(Codes, FileExtractedTest,
                         ::testing::Values(ExtractedCase{0, 0, true},
                                           ExtractedCase{0x00010000, 0, true},
                                           ExtractedCase{0xFFFF0000, 0, true},
                                           ExtractedCase{5, 5, false},
                                           ExtractedCase{0x00020070, 0x70, false},
                                           ExtractedCase{0x8000, 0xFFFF8000, false},
                                           ExtractedCase{0xFFFF, 0xFFFFFFFF, false}));

// The target goes into the record's 260-byte field: 259 bytes and the zero fit; with 260 the
// first 260 bytes are stored and the zero is out of range.
TEST_F(ProtocolTest, TargetFieldHolds259BytesAndItsZero) {
    const std::string out = Windows("out");
    auto setup = CabFor(WriteStoredCabinet("x.cab", {{.Name = "f", .Data = "f"}}));
    setup->Extract("", out, "");  // leaves the output settings for the hand-made calls below
    Callback::SetActiveCab(setup);
    const std::string fits(259 - out.size() - 1, 'n');

    FileRecord ok(fits);
    EXPECT_EQ(Callback::CabIterateCallback(Context(CabFile::ExtractMode),
                                           SPFILENOTIFY_FILEINCABINET, ok.Param(), 0),
              FILEOP_DOIT);
    EXPECT_EQ(std::string(ok.record.FullTargetName), out + "\\" + fits);

    FileRecord tooLong(fits + "x");
    EXPECT_EQ(Callback::CabIterateCallback(Context(CabFile::ExtractMode),
                                           SPFILENOTIFY_FILEINCABINET, tooLong.Param(), 0),
              FILEOP_ABORT);
    const auto error = RaisedBy([] { std::rethrow_exception(Callback::TakeWalkError()); });
    EXPECT_EQ(error.Number, 9);
    EXPECT_EQ(error.Source, "CabFile.CabCallBack");
    EXPECT_EQ(std::string(tooLong.record.FullTargetName, MAX_PATH), out + "\\" + fits + "x");
}

// What a handler throws never leaves the callback: it is kept for the method that started the
// walk, and the service is answered so that its protocol ends the walk.
struct HandlerFailureCase {
    const char* label;
    UINT mode;
    UINT notification;
    UINT answer;
    DWORD recordError;  // the file record's Win32Error afterwards (17 only)
};

class HandlerFailureTest : public ProtocolTest,
                           public ::testing::WithParamInterface<HandlerFailureCase> {};

TEST_P(HandlerFailureTest, IsKeptAndStopsTheWalk) {
    const auto fail = [](auto&&...) { throw RaisedError(1001, "Handler", "stop here"); };
    cab_->FileFound = fail;
    cab_->BeforeExtract = fail;
    cab_->AfterExtract = fail;
    const auto& c = GetParam();
    FileRecord file("a.jpg", 1);
    FILEPATHS_A paths{"C:\\out\\a.jpg", "a.jpg", 0, 0};
    const UINT_PTR record = c.notification == SPFILENOTIFY_FILEINCABINET
                                ? file.Param()
                                : reinterpret_cast<UINT_PTR>(&paths);
    ASSERT_EQ(Callback::TakeWalkError(), nullptr);

    EXPECT_EQ(Callback::CabIterateCallback(Context(c.mode), c.notification, record, 0), c.answer);

    EXPECT_EQ(file.record.Win32Error, c.recordError);
    const auto error = RaisedBy([] { std::rethrow_exception(Callback::TakeWalkError()); });
    EXPECT_EQ(error.Number, 1001);
    EXPECT_EQ(error.Source, "CabFile.CabCallBack");
    EXPECT_EQ(error.Description, "stop here");
    EXPECT_EQ(Callback::TakeWalkError(), nullptr);  // handed out once
}

INSTANTIATE_TEST_SUITE_P(
    Handlers, HandlerFailureTest,
    ::testing::Values(HandlerFailureCase{"FileFound", CabFile::ListMode, SPFILENOTIFY_FILEINCABINET,
                                         FILEOP_ABORT, ERROR_OPERATION_ABORTED},
                      HandlerFailureCase{"BeforeExtract", CabFile::ExtractMode,
                                         SPFILENOTIFY_FILEINCABINET, FILEOP_ABORT,
                                         ERROR_OPERATION_ABORTED},
                      HandlerFailureCase{"AfterExtract", CabFile::ExtractMode,
                                         SPFILENOTIFY_FILEEXTRACTED, ERROR_OPERATION_ABORTED, 0}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace vantrel::test
