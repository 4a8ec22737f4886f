// The Callback module: folder-tree creation, and the iteration protocol driven directly with
// records made by hand, as the service would hand them over.

#include "cabinet/callback.h"

#include <cstring>
#include <exception>
#include <map>

#include "cabinet/cabinet_fixture.h"
#include "platform/folders.h"
#include "platform/setupapi.h"
#include "shared/runtime_error.h"
#include "support/platform.h"

namespace vantrel::test {
namespace {

// In the tables "~" stands for the scratch folder, "Q:" for a drive nothing is mapped to.
struct TreeCase {
    const char* label;
    const char* folder;
    bool result;
    const char* afterCall;             // the caller's variable afterwards
    std::vector<std::string> created;  // new folders in the scratch folder
    bool needsLinks = false;
};

// The scratch folder holds the folder V with a file and a link that leads round in a circle.
class FolderTreeTest : public CabinetTest {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(Host("V"));
        WriteFile(Host("V/file"), "not a folder");
        // Wine makes no symbolic links for a Windows program.
        if (!kSystemServices) {
            std::filesystem::create_directory_symlink("loop", Host("V/loop"));
        }
    }
    std::string Resolved(const std::string& text) const { return scratch_.Resolved(text); }
};

class MakeDirTreeTest : public FolderTreeTest, public ::testing::WithParamInterface<TreeCase> {};

TEST_P(MakeDirTreeTest, CreatesMissingFoldersAndAnswers) {
    const auto& c = GetParam();
    if (c.needsLinks) {
        VANTREL_SKIP_ON_WINDOWS("Wine makes no symbolic links for a Windows program");
    }
    const auto treeBefore = Tree();
    std::string folder = Resolved(c.folder);

    EXPECT_EQ(Callback::MakeDirTree(folder), c.result);

    EXPECT_EQ(folder, Resolved(c.afterCall));
    auto expected = treeBefore;
    expected.insert(expected.end(), c.created.begin(), c.created.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Tree(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Folders, MakeDirTreeTest,
    ::testing::Values(
        TreeCase{"ParentsMissing", "~\\V\\a\\b\\", true, "~\\V\\a\\b", {"V/a", "V/a/b"}},
        TreeCase{"ThreeLevelsMissing", "~\\x\\y\\z", true, "~\\x\\y\\z", {"x", "x/y", "x/y/z"}},
        TreeCase{"ParentExists", "~\\V\\new", true, "~\\V\\new", {"V/new"}},
        TreeCase{"AlreadyThere", "~\\V\\", true, "~\\V", {}},
        TreeCase{"OtherCase", "~\\v\\A", true, "~\\v\\A", {"V/A"}},
        TreeCase{"Empty", "", false, "", {}},
        TreeCase{"UnmappedDrive", "Q:\\x\\y\\", false, "Q:\\x\\y", {}},
        TreeCase{"BelowAFile", "~\\V\\file\\sub\\deeper", false, "~\\V\\file\\sub\\deeper", {}},
        TreeCase{"ForbiddenCharacter", "~\\V\\a\\b?c", false, "~\\V\\a\\b?c", {}},
        // A link that cannot be followed is no folder to create anything in.
        TreeCase{"LinkLoop", "~\\V\\loop\\", false, "~\\V\\loop", {}, true},
        TreeCase{"BelowALinkLoop", "~\\V\\loop\\sub\\", false, "~\\V\\loop\\sub", {}, true}),
    [](const auto& info) { return info.param.label; });

// Passes every folder creation on to the platform's, and records what was asked and answered.
// An answer given for the n-th call (0 = first) replaces the platform's, for the outcomes the
// real file system cannot produce on demand.
class RecordingMkDir {
  public:
    explicit RecordingMkDir(std::map<std::size_t, int> answers = {})
        : answers_(std::move(answers)),
          previous_(
              SetFolderCreator([this](const std::string& folder) { return Record(folder); })) {}
    ~RecordingMkDir() { SetFolderCreator(std::move(previous_)); }
    RecordingMkDir(const RecordingMkDir&) = delete;
    RecordingMkDir& operator=(const RecordingMkDir&) = delete;

    std::vector<std::pair<std::string, int>> Calls;

  private:
    int Record(const std::string& folder) {
        const auto given = answers_.find(Calls.size());
        const int outcome = given != answers_.end() ? given->second : CreateOneFolder(folder);
        Calls.emplace_back(folder, outcome);
        return outcome;
    }

    std::map<std::size_t, int> answers_;
    FolderCreator previous_;
};

using Calls = std::vector<std::pair<std::string, int>>;

struct SequenceCase {
    const char* label;
    const char* folder;
    std::map<std::size_t, int> answers;
    Calls calls;
    bool result;
    bool needsLinks = false;
};

void PrintTo(const SequenceCase& c, std::ostream* out) {
    *out << c.label;
}

class MakeDirTreeSequenceTest : public FolderTreeTest,
                                public ::testing::WithParamInterface<SequenceCase> {};

// The exact folders asked for, in order: first the folder itself, then backwards to one that can
// be made or exists, then forwards again, where only a new folder will do.
TEST_P(MakeDirTreeSequenceTest, AsksForTheFoldersInOrder) {
    if (GetParam().needsLinks) {
        VANTREL_SKIP_ON_WINDOWS("Wine makes no symbolic links for a Windows program");
    }
    RecordingMkDir mkDir(GetParam().answers);
    std::string folder = Resolved(GetParam().folder);
    EXPECT_EQ(Callback::MakeDirTree(folder), GetParam().result);
    Calls expected;
    for (const auto& [asked, outcome] : GetParam().calls) {
        expected.emplace_back(Resolved(asked), outcome);
    }
    EXPECT_EQ(mkDir.Calls, expected);
}

constexpr int kExists = RuntimeError::PathFileAccessError;
constexpr int kMissing = RuntimeError::PathNotFound;

INSTANTIATE_TEST_SUITE_P(
    Folders, MakeDirTreeSequenceTest,
    ::testing::Values(
        SequenceCase{"TwoLevelsMissing",
                     "~\\V\\a\\b\\",
                     {},
                     {{"~\\V\\a\\b", kMissing}, {"~\\V\\a", 0}, {"~\\V\\a\\b", 0}},
                     true},
        SequenceCase{"Existing", "~\\V\\", {}, {{"~\\V", kExists}}, true},
        SequenceCase{"LastStepFindsItExisting",
                     "~\\V\\a\\b\\",
                     {{2, kExists}},
                     {{"~\\V\\a\\b", kMissing}, {"~\\V\\a", 0}, {"~\\V\\a\\b", kExists}},
                     false},
        SequenceCase{"AnchorAnswersAnotherFailure",
                     "~\\V\\a\\b",
                     {{1, RuntimeError::BadFileName}},
                     {{"~\\V\\a\\b", kMissing}, {"~\\V\\a", RuntimeError::BadFileName}},
                     false},
        // No part can be made: creation starts again from the first part, appended to itself.
        SequenceCase{
            "UnmappedDrive",
            "Q:\\x\\y",
            {},
            {{"Q:\\x\\y", kMissing}, {"Q:\\x", kMissing}, {"Q:", kMissing}, {"Q:\\Q:", kMissing}},
            false},
        SequenceCase{
            "ParentIsAFile",
            "~\\V\\file\\sub",
            {},
            {{"~\\V\\file\\sub", kMissing}, {"~\\V\\file", kExists}, {"~\\V\\file\\sub", kMissing}},
            false},
        SequenceCase{"LinkLoop",
                     "~\\V\\loop\\sub",
                     {},
                     {{"~\\V\\loop\\sub", kMissing},
                      {"~\\V\\loop", kMissing},
                      {"~\\V", kExists},
                      {"~\\V\\loop", kMissing}},
                     false,
                     true}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(FolderOutcomeTest, FollowsTheWindowsErrorOfTheFailedCreation) {
    EXPECT_EQ(FolderOutcomeOfError(ERROR_SUCCESS), kFolderCreated);
    EXPECT_EQ(FolderOutcomeOfError(ERROR_FILE_NOT_FOUND), kMissing);
    EXPECT_EQ(FolderOutcomeOfError(ERROR_PATH_NOT_FOUND), kMissing);
    EXPECT_EQ(FolderOutcomeOfError(ERROR_INVALID_NAME), RuntimeError::BadFileName);
    for (const DWORD code : {ERROR_ALREADY_EXISTS, ERROR_ACCESS_DENIED, ERROR_DISK_FULL}) {
        EXPECT_EQ(FolderOutcomeOfError(code), kExists) << code;
    }
}

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

const auto Context = Callback::ContextOf;

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
        Callback::BeginWalk();
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

// A service asks for the next part of a set again when it could not open it, and would ask for
// ever: the second request in a row for the same part ends the walk as a missing file.
TEST_F(ProtocolTest, AskingAgainForTheSamePartIsAnsweredFileNotFound) {
    CABINET_INFO_A second{"C:\\set\\", "Images2.cab", "", 0x1234, 1};
    CABINET_INFO_A third{"C:\\set\\", "Images3.cab", "", 0x1234, 2};
    const auto ask = [](CABINET_INFO_A& part) {
        return Callback::CabIterateCallback(Context(CabFile::ExtractMode),
                                            SPFILENOTIFY_NEEDNEWCABINET,
                                            reinterpret_cast<UINT_PTR>(&part), 0);
    };
    EXPECT_EQ(ask(second), 0u);
    EXPECT_EQ(ask(third), 0u);  // the parts asked for one after the other, each once
    Callback::CabIterateCallback(Context(CabFile::ExtractMode), SPFILENOTIFY_CABINETINFO,
                                 reinterpret_cast<UINT_PTR>(&third), 0);
    EXPECT_EQ(ask(third), 0u);  // after the cabinet was opened, a new request
    EXPECT_EQ(ask(third), ERROR_FILE_NOT_FOUND);
    Callback::BeginWalk();
    EXPECT_EQ(ask(third), 0u);  // a new walk starts afresh
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
    int calls = 0;
    const auto fail = [&calls](auto&&...) {
        ++calls;
        throw RaisedError(calls + 1000, "Handler", "stop here");
    };
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
    // A service that goes on anyway (Wine's does) meets the same answer, and no handler.
    EXPECT_EQ(Callback::CabIterateCallback(Context(c.mode), c.notification, record, 0), c.answer);
    EXPECT_EQ(calls, 1);

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
