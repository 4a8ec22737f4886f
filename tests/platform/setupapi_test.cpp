#include "platform/setupapi.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <functional>
#include <random>

#include "platform/ansi.h"
#include "platform/kernel.h"
#include "platform/posix/files/drives.h"
#include "platform/setupapi_walk.h"
#include "support/cab_builder.h"
#include "support/posix/temp_prefix.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using test::CabEntry;
using test::ReadFile;
using test::TempDir;
using test::TempPrefix;
using test::WalkEvent;
using test::WalkRecorder;
using test::WindowsPathOf;

constexpr WORD DosDate(int year, int month, int day) {
    return static_cast<WORD>((year - 1980) << 9 | month << 5 | day);
}
constexpr WORD DosTime(int hour, int minute, int second) {
    return static_cast<WORD>(hour << 11 | minute << 5 | second / 2);
}

// The process's time zone for as long as it lives.
class ScopedTimeZone {
  public:
    explicit ScopedTimeZone(const std::string& zone) : env_(std::in_place, "TZ", zone) { tzset(); }
    ~ScopedTimeZone() {
        env_.reset();
        tzset();
    }

  private:
    std::optional<test::ScopedEnv> env_;
};

// Temporary files of the service left anywhere under `root`.
std::vector<std::string> TemporaryFilesUnder(const fs::path& root) {
    std::vector<std::string> found;
    for (const auto& name : test::ListFiles(root)) {
        if (name.find(".vantrel-") != std::string::npos) {
            found.push_back(name);
        }
    }
    return found;
}

size_t OpenDescriptors() {
    return static_cast<size_t>(std::distance(fs::directory_iterator("/proc/self/fd"), {}));
}

struct CabinetFile {
    std::string Name;  // inside the cabinet
    std::string Content;
    WORD Date;
    WORD Time;
};

// A cabinet of every kind the service meets, with what it holds.
struct CabinetCase {
    std::string Label;
    std::function<fs::path(const TempDir&)> Make;
    std::vector<CabinetFile> Files;
};

void PrintTo(const CabinetCase& value, std::ostream* out) {
    *out << value.Label;
}

std::string RandomBytes(size_t size) {
    std::mt19937 generator(42);
    std::string bytes(size, '\0');
    for (auto& byte : bytes) {
        byte = static_cast<char>(generator());
    }
    return bytes;
}

std::string Repetitive(size_t size) {
    std::string text;
    for (int line = 0; text.size() < size; ++line) {
        text += "line " + std::to_string(line) + " of a compressible bitmap-like file\n";
    }
    return text.substr(0, size);
}

// gcab stamps files with their modification time broken down in UTC.
constexpr time_t kGcabStamp = 1588748890;  // 2020-05-06 07:08:10 UTC

const std::vector<CabinetFile> kGcabFiles = {
    {"a.txt", "hello, world\n", DosDate(2020, 5, 6), DosTime(7, 8, 10)},
    {"empty.txt", "", DosDate(2020, 5, 6), DosTime(7, 8, 10)},
    {"sub\\b.bin", RandomBytes(70'000), DosDate(2020, 5, 6), DosTime(7, 8, 10)},
    {"sub\\deeper\\c.txt", Repetitive(600'000), DosDate(2020, 5, 6), DosTime(7, 8, 10)},
};

fs::path MakeGcabCabinet(const TempDir& dir, bool compress) {
    const fs::path source = dir / "source";
    for (const auto& file : kGcabFiles) {
        std::string relative = file.Name;
        std::replace(relative.begin(), relative.end(), '\\', '/');
        fs::create_directories((source / relative).parent_path());
        test::WriteFile(source / relative, file.Content);
        const timespec times[2] = {{kGcabStamp, 0}, {kGcabStamp, 0}};
        utimensat(AT_FDCWD, (source / relative).c_str(), times, 0);
    }
    const fs::path cabinet = dir / (compress ? "mszip.cab" : "stored.cab");
    test::MakeCabWithGcab(cabinet, source, compress);
    return cabinet;
}

std::function<fs::path(const TempDir&)> Fixture(const std::string& name) {
    return [name](const TempDir&) { return test::FixturePath(name); };
}

const std::vector<CabinetCase> kCabinets = {
    {"GcabStored", [](const TempDir& dir) { return MakeGcabCabinet(dir, false); }, kGcabFiles},
    {"GcabMszip", [](const TempDir& dir) { return MakeGcabCabinet(dir, true); }, kGcabFiles},
    {"MszipLzxQuantum",
     Fixture("mszip_lzx_qtm.cab"),
     {
         {"mszip.txt", "If you can read this, the MSZIP decompressor is working!\n",
          DosDate(1997, 3, 12), DosTime(11, 13, 52)},
         {"lzx.txt",
          std::string(65, '-') + "\nIf you can read this, the LZX decompressor is working!\n" +
              std::string(65, '-') + "\n",
          DosDate(1997, 3, 12), DosTime(11, 13, 52)},
         {"qtm.txt", "If you can read this, the Quantum decompressor is working!\n",
          DosDate(1997, 3, 12), DosTime(11, 13, 52)},
     }},
    {"TwoFolders",
     Fixture("normal_2files_2folders.cab"),
     {
         {"mszip1.txt", "This is compressed with MS-ZIP\n", DosDate(2018, 11, 2),
          DosTime(4, 1, 32)},
         {"mszip2.txt", "This also is compressed with MS-ZIP\n", DosDate(2018, 11, 2),
          DosTime(4, 1, 32)},
         {"lzx1.txt", "This is LZX compressed\n", DosDate(2018, 11, 2), DosTime(4, 1, 32)},
         {"lzx2.txt", "This is also LZX compressed\n", DosDate(2018, 11, 2), DosTime(4, 1, 32)},
     }},
    {"LongestName",
     Fixture("normal_255c_filename.cab"),
     {
         {[] {
              std::string name;
              for (int i = 0; i < 50; ++i) {
                  name += "Hello";
              }
              return name + "!.txt";
          }(),
          "Hello!\n", DosDate(1997, 3, 12), DosTime(11, 13, 52)},
     }},
    {"ReservedAreas",
     Fixture("reserve_HFD.cab"),
     {
         {"test1.txt", "TEST\n", DosDate(1997, 3, 12), DosTime(11, 13, 52)},
         {"test2.txt", "test\n", DosDate(1997, 3, 12), DosTime(11, 13, 52)},
     }},
};

class CabinetTest : public ::testing::Test {
  protected:
    fs::path Out() const { return dir_ / "out"; }

    fs::path WriteCabinet(const std::string& name, const std::string& bytes) const {
        test::WriteFile(dir_ / name, bytes);
        return dir_ / name;
    }

    // The files under the output folder; temporary files would show here too.
    std::vector<std::string> Written() const {
        return fs::exists(Out()) ? test::ListFiles(Out()) : std::vector<std::string>{};
    }

    TempPrefix prefix_;
    TempDir dir_;
};

// The service names a file in the ANSI code page; the host's file system in UTF-8.
std::string HostRelative(const std::string& ansiName) {
    std::string name = FromAnsi(ansiName);
    std::replace(name.begin(), name.end(), '\\', '/');
    return name;
}

// ---------------------------------------------------------------------------------------------
// Walking real cabinets of every compression kind.

class WalkTest : public CabinetTest, public ::testing::WithParamInterface<CabinetCase> {
  protected:
    void SetUp() override { cabinet_ = GetParam().Make(dir_); }

    // Writes to D:, the output folder, so that even a 255-byte name fits a target path.
    WalkRecorder Extracting() const {
        fs::create_directories(Out());
        prefix_.MapDrive('d', Out());
        WalkRecorder recorder;
        recorder.OutputHostFolder = Out();
        recorder.OutputWindowsFolder = "D:";
        return recorder;
    }

    fs::path cabinet_;
};

TEST_P(WalkTest, ListingReportsEveryFileInCabinetOrderAndWritesNothing) {
    WalkRecorder recorder;
    ASSERT_EQ(recorder.Walk(cabinet_), TRUE);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);

    const auto& expected = GetParam().Files;
    ASSERT_EQ(recorder.Events.size(), expected.size() + 1);
    const WalkEvent& cabinet = recorder.Events[0];
    EXPECT_EQ(cabinet.Notification, SPFILENOTIFY_CABINETINFO);
    EXPECT_EQ(cabinet.Name, "");  // the part after this one: none
    EXPECT_EQ(cabinet.Path, WindowsPathOf(cabinet_.parent_path()) + "\\");
    for (size_t i = 0; i < expected.size(); ++i) {
        const WalkEvent& file = recorder.Events[i + 1];
        SCOPED_TRACE(expected[i].Name);
        EXPECT_EQ(file.Notification, SPFILENOTIFY_FILEINCABINET);
        EXPECT_EQ(file.Name, expected[i].Name);
        EXPECT_EQ(file.Size, expected[i].Content.size());
        EXPECT_EQ(file.DosDate, expected[i].Date);
        EXPECT_EQ(file.DosTime, expected[i].Time);
        EXPECT_EQ(file.Win32Error, ERROR_SUCCESS);
        EXPECT_EQ(file.Path, "");
        EXPECT_EQ(file.Cabinet, WindowsPathOf(cabinet_));
    }
    EXPECT_FALSE(fs::exists(Out()));
}

TEST_P(WalkTest, WritesEveryFileByteForByteStampedInLocalTime) {
    const ScopedTimeZone tokyo("JST-9");
    WalkRecorder recorder = Extracting();
    recorder.FileAnswer = FILEOP_DOIT;
    ASSERT_EQ(recorder.Walk(cabinet_), TRUE);

    std::vector<std::string> names;
    for (const auto& file : GetParam().Files) {
        SCOPED_TRACE(file.Name);
        const fs::path written = Out() / HostRelative(file.Name);
        names.push_back(HostRelative(file.Name));
        EXPECT_EQ(ReadFile(written), file.Content);
        struct stat status {};
        ASSERT_EQ(stat(written.c_str(), &status), 0);
        std::tm stamp{};
        stamp.tm_year = 80 + (file.Date >> 9);
        stamp.tm_mon = ((file.Date >> 5) & 0x0F) - 1;
        stamp.tm_mday = file.Date & 0x1F;
        stamp.tm_hour = file.Time >> 11;
        stamp.tm_min = (file.Time >> 5) & 0x3F;
        stamp.tm_sec = (file.Time & 0x1F) * 2;
        EXPECT_EQ(status.st_mtime, timegm(&stamp) - 9 * 3600);
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(Written(), names);  // and no temporary file left over

    const auto extracted = recorder.EventsOf(SPFILENOTIFY_FILEEXTRACTED);
    ASSERT_EQ(extracted.size(), GetParam().Files.size());
    for (size_t i = 0; i < extracted.size(); ++i) {
        EXPECT_EQ(extracted[i].Name, GetParam().Files[i].Name);
        EXPECT_EQ(extracted[i].Path, "D:\\" + GetParam().Files[i].Name);
        EXPECT_EQ(extracted[i].Win32Error, ERROR_SUCCESS);
        EXPECT_EQ(recorder.Events[1 + 2 * i + 1].Notification, SPFILENOTIFY_FILEEXTRACTED);
    }
}

// Skipped files still have to be decoded past inside their folder; the files after them must
// come out whole.
TEST_P(WalkTest, WritesOnlyTheFilesAnsweredDoitAndSkipsTheOthers) {
    WalkRecorder recorder = Extracting();
    std::vector<std::string> chosen;
    const auto& files = GetParam().Files;
    for (size_t i = 1; i < files.size(); i += 2) {
        recorder.FileAnswers[files[i].Name] = FILEOP_DOIT;
        chosen.push_back(HostRelative(files[i].Name));
    }
    ASSERT_EQ(recorder.Walk(cabinet_), TRUE);

    std::sort(chosen.begin(), chosen.end());
    EXPECT_EQ(Written(), chosen);  // nothing for the skipped ones, not even a temporary file
    for (size_t i = 1; i < files.size(); i += 2) {
        EXPECT_EQ(ReadFile(Out() / HostRelative(files[i].Name)), files[i].Content) << files[i].Name;
    }
    EXPECT_EQ(recorder.EventsOf(SPFILENOTIFY_FILEEXTRACTED).size(), chosen.size());
}

// The callback may send the files of one cabinet folder to different folders, whatever was
// written ahead for them: each lands where it is sent, and nothing else does.
TEST_P(WalkTest, WritesEveryFileWhereverTheCallbackSendsIt) {
    WalkRecorder recorder = Extracting();
    recorder.FileAnswer = FILEOP_DOIT;
    const auto& files = GetParam().Files;
    std::vector<std::string> sent;
    for (size_t i = 0; i < files.size(); ++i) {
        const std::string folder = i % 3 == 1 ? "other" : "usual";
        fs::create_directories(Out() / folder);
        recorder.Targets[files[i].Name] = "D:\\" + folder + "\\" + std::to_string(i);
        sent.push_back(folder + "/" + std::to_string(i));
    }
    ASSERT_EQ(recorder.Walk(cabinet_), TRUE);

    std::sort(sent.begin(), sent.end());
    EXPECT_EQ(Written(), sent);
    for (size_t i = 0; i < files.size(); ++i) {
        const std::string folder = i % 3 == 1 ? "other" : "usual";
        EXPECT_EQ(ReadFile(Out() / folder / std::to_string(i)), files[i].Content) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Cabinets, WalkTest, ::testing::ValuesIn(kCabinets),
                         [](const auto& info) { return info.param.Label; });

// Every fixture, listed and extracted: the walk finishes with every file whole, or fails with a
// code, and nothing but finished files lands in the output folder. Run under the sanitizers too.
TEST_F(CabinetTest, EveryFixtureIsWalkedSafely) {
    fs::create_directories(Out());
    prefix_.MapDrive('d', Out());
    for (const auto& fixture : fs::directory_iterator(test::FixturePath(""))) {
        if (fixture.path().extension() != ".cab") {
            continue;
        }
        SCOPED_TRACE(fixture.path().filename().string());
        WalkRecorder lister;
        const BOOL listed = lister.Walk(fixture.path());
        EXPECT_EQ(listed == FALSE, GetLastError() != ERROR_SUCCESS);

        WalkRecorder extractor;
        extractor.FileAnswer = FILEOP_DOIT;
        extractor.OutputHostFolder = Out();
        extractor.OutputWindowsFolder = "D:";
        const BOOL extracted = extractor.Walk(fixture.path());
        EXPECT_EQ(extracted == FALSE, GetLastError() != ERROR_SUCCESS);
        EXPECT_EQ(extracted, listed);
        std::vector<std::string> announced;
        for (const auto& file : extractor.EventsOf(SPFILENOTIFY_FILEINCABINET)) {
            if (extracted == TRUE) {
                EXPECT_EQ(fs::file_size(Out() / HostRelative(file.Name)), file.Size) << file.Name;
            }
            announced.push_back(HostRelative(file.Name));
        }
        for (const auto& written : Written()) {
            EXPECT_NE(std::find(announced.begin(), announced.end(), written), announced.end())
                << written;
        }
        for (const auto& entry : fs::directory_iterator(Out())) {
            fs::remove_all(entry.path());
        }
    }
}

// ---------------------------------------------------------------------------------------------
// The callback steering the walk.

class ProtocolTest : public CabinetTest {
  protected:
    void SetUp() override { cabinet_ = MakeGcabCabinet(dir_, true); }
    fs::path cabinet_;
};

TEST_F(ProtocolTest, AbortWithoutCodeFailsWithAnOperationAbortedCode) {
    WalkRecorder recorder;
    recorder.FileAnswer = FILEOP_ABORT;
    EXPECT_EQ(recorder.Walk(cabinet_), FALSE);
    EXPECT_EQ(GetLastError(), ERROR_OPERATION_ABORTED);
    EXPECT_EQ(recorder.Notifications(),
              (std::vector<UINT>{SPFILENOTIFY_CABINETINFO, SPFILENOTIFY_FILEINCABINET}));
}

TEST_F(ProtocolTest, AbortFailsWithTheCodeTheCallbackLeftInTheRecord) {
    WalkRecorder recorder;
    recorder.FileAnswers["a.txt"] = FILEOP_SKIP;
    recorder.FileAnswer = FILEOP_ABORT;
    recorder.AbortError = 1234;
    EXPECT_EQ(recorder.Walk(cabinet_), FALSE);
    EXPECT_EQ(GetLastError(), 1234u);
    EXPECT_EQ(recorder.EventsOf(SPFILENOTIFY_FILEINCABINET).size(), 2u);
}

TEST_F(ProtocolTest, NonzeroAnswerToCabinetInfoStopsTheWalkWithThatCode) {
    WalkRecorder recorder;
    recorder.CabinetInfoReply = 31;
    EXPECT_EQ(recorder.Walk(cabinet_), FALSE);
    EXPECT_EQ(GetLastError(), 31u);
    EXPECT_EQ(recorder.Notifications(), std::vector<UINT>{SPFILENOTIFY_CABINETINFO});
}

TEST_F(ProtocolTest, NonzeroAnswerToFileExtractedStopsTheWalkWithThatCode) {
    WalkRecorder recorder = WalkRecorder::WritingTo(Out(), ERROR_WRITE_FAULT);
    EXPECT_EQ(recorder.Walk(cabinet_), FALSE);
    EXPECT_EQ(GetLastError(), ERROR_WRITE_FAULT);
    EXPECT_EQ(recorder.Notifications(),
              (std::vector<UINT>{SPFILENOTIFY_CABINETINFO, SPFILENOTIFY_FILEINCABINET,
                                 SPFILENOTIFY_FILEEXTRACTED}));
    EXPECT_EQ(Written(), std::vector<std::string>{"a.txt"});
}

struct StopCase {
    std::string Label;
    UINT Notification;
    int Arrival;
    size_t EventsSeen;  // the walk stops at the stopping notification
};

void PrintTo(const StopCase& value, std::ostream* out) {
    *out << value.Label;
}

class StoppedWalkTest : public ProtocolTest, public ::testing::WithParamInterface<StopCase> {};

// The answers the installer's callback gives when a handler failed end the walk at once,
// wherever it is, with everything it opened closed and no temporary file left.
TEST_P(StoppedWalkTest, EndsThereWithEverythingClosed) {
    // The drive table keeps the prefix's dosdevices folder open for the whole process; let it
    // open before counting, so that only what the walk leaves open is counted.
    MappedDrives();
    const size_t descriptors = OpenDescriptors();
    WalkRecorder recorder = WalkRecorder::WritingTo(Out());
    recorder.StopAt = {GetParam().Notification, GetParam().Arrival};
    EXPECT_EQ(recorder.Walk(cabinet_), FALSE);
    EXPECT_EQ(GetLastError(), ERROR_OPERATION_ABORTED);
    EXPECT_EQ(recorder.Events.size(), GetParam().EventsSeen);
    EXPECT_EQ(recorder.Events.back().Notification, GetParam().Notification);
    EXPECT_EQ(OpenDescriptors(), descriptors);
    EXPECT_EQ(TemporaryFilesUnder(dir_.Path()), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(
    Notifications, StoppedWalkTest,
    ::testing::Values(StopCase{"AtCabinetInfo", SPFILENOTIFY_CABINETINFO, 0, 1},
                      StopCase{"AtFirstFile", SPFILENOTIFY_FILEINCABINET, 0, 2},
                      StopCase{"AtFirstExtracted", SPFILENOTIFY_FILEEXTRACTED, 0, 3},
                      // Midway, with libmspack's folder state open.
                      StopCase{"AtFourthFile", SPFILENOTIFY_FILEINCABINET, 3, 8},
                      StopCase{"AtThirdExtracted", SPFILENOTIFY_FILEEXTRACTED, 2, 7}),
    [](const auto& info) { return info.param.Label; });

// No exception can travel through the service, as through the system's own; one that escapes
// the callback ends the program on the spot instead of unwinding through the walk.
TEST_F(ProtocolTest, ACallbackThatThrowsEndsTheProgram) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    WalkRecorder recorder = WalkRecorder::WritingTo(Out());
    recorder.ThrowAt = {SPFILENOTIFY_FILEINCABINET, 1};
    EXPECT_DEATH(recorder.Walk(cabinet_), "thrown by the callback");
}

// ---------------------------------------------------------------------------------------------
// Cabinets that cannot be walked at all: no notification, FALSE and a code.

struct OpenFailureCase {
    std::string Label;
    std::function<std::string(const TempDir&)> CabinetPath;  // a Windows path
    DWORD Error;
};

void PrintTo(const OpenFailureCase& value, std::ostream* out) {
    *out << value.Label;
}

class OpenFailureTest : public CabinetTest,
                        public ::testing::WithParamInterface<OpenFailureCase> {};

TEST_P(OpenFailureTest, FailsWithTheCodeAndNoNotification) {
    const std::string path = GetParam().CabinetPath(dir_);
    WalkRecorder recorder;
    EXPECT_EQ(recorder.Walk(path), FALSE);
    EXPECT_EQ(GetLastError(), GetParam().Error);
    EXPECT_TRUE(recorder.Events.empty());
}

std::function<std::string(const TempDir&)> Inside(const std::string& relative) {
    return [relative](const TempDir& dir) { return WindowsPathOf(dir.Path()) + "\\" + relative; };
}

std::function<std::string(const TempDir&)> FixtureCabinet(const std::string& name) {
    return [name](const TempDir&) { return WindowsPathOf(test::FixturePath(name)); };
}

INSTANTIATE_TEST_SUITE_P(
    Cabinets, OpenFailureTest,
    ::testing::Values(
        OpenFailureCase{"Missing", Inside("absent.cab"), ERROR_FILE_NOT_FOUND},
        OpenFailureCase{"InMissingFolder", Inside("nowhere\\absent.cab"), ERROR_PATH_NOT_FOUND},
        OpenFailureCase{"BelowAFile",
                        [](const TempDir& dir) {
                            test::WriteFile(dir / "file", "x");
                            return Inside("file\\a.cab")(dir);
                        },
                        ERROR_PATH_NOT_FOUND},
        OpenFailureCase{"UnmappedDrive", [](const TempDir&) { return std::string("Q:\\a.cab"); },
                        ERROR_PATH_NOT_FOUND},
        OpenFailureCase{"ForbiddenCharacter", Inside("a?b.cab"), ERROR_INVALID_NAME},
        OpenFailureCase{"EmptyPath", [](const TempDir&) { return std::string(); },
                        ERROR_FILE_NOT_FOUND},
        OpenFailureCase{"Folder", [](const TempDir& dir) { return WindowsPathOf(dir.Path()); },
                        ERROR_ACCESS_DENIED},
        OpenFailureCase{"Fifo",
                        [](const TempDir& dir) {
                            mkfifo((dir / "pipe.cab").c_str(), 0600);
                            return Inside("pipe.cab")(dir);
                        },
                        ERROR_INVALID_DATA},
        OpenFailureCase{"EmptyFile",
                        [](const TempDir& dir) {
                            test::WriteFile(dir / "empty.cab", "");
                            return Inside("empty.cab")(dir);
                        },
                        ERROR_INVALID_DATA},
        OpenFailureCase{"BadSignature", FixtureCabinet("bad_signature.cab"), ERROR_INVALID_DATA},
        OpenFailureCase{"CutShort", FixtureCabinet("partial_shortfile1.cab"), ERROR_INVALID_DATA}),
    [](const auto& info) { return info.param.Label; });

// ---------------------------------------------------------------------------------------------
// Cabinets with valid headers and broken data: the file it happened in is reported, the walk
// fails, and nothing at the target changes.

class BrokenDataTest : public CabinetTest {
  protected:
    // Walks writing every file to Out(), where each target already holds "previous".
    WalkRecorder WalkOver(const fs::path& cabinet, std::optional<UINT> extractedReply) {
        WalkRecorder recorder = WalkRecorder::WritingTo(Out(), extractedReply);
        fs::create_directories(Out());
        test::WriteFile(Out() / "data.bin", "previous");
        result_ = recorder.Walk(cabinet);
        error_ = GetLastError();
        return recorder;
    }

    static std::string CheckedCabinet() {
        return test::BuildStoredCab({{"data.bin", RandomBytes(40'000)}}, {.Checksums = true});
    }

    BOOL result_ = TRUE;
    DWORD error_ = ERROR_SUCCESS;
};

TEST_F(BrokenDataTest, CorrectChecksumsAreAccepted) {
    const fs::path cabinet = WriteCabinet("good.cab", CheckedCabinet());
    WalkOver(cabinet, std::nullopt);
    EXPECT_EQ(result_, TRUE);
    EXPECT_EQ(ReadFile(Out() / "data.bin"), RandomBytes(40'000));
}

TEST_F(BrokenDataTest, BadChecksumFailsWithCrcErrorAndKeepsTheTarget) {
    std::string bytes = CheckedCabinet();
    bytes[bytes.size() - 10] ^= 0x55;
    const fs::path cabinet = WriteCabinet("bad.cab", bytes);

    // Listing does not decode data, so it does not notice.
    WalkRecorder lister;
    EXPECT_EQ(lister.Walk(cabinet), TRUE);

    // Even a callback that would go on cannot make a broken folder decode.
    for (const std::optional<UINT> reply : {std::optional<UINT>(), std::optional<UINT>(0)}) {
        const WalkRecorder recorder = WalkOver(cabinet, reply);
        EXPECT_EQ(result_, FALSE);
        EXPECT_EQ(error_, ERROR_CRC);
        const auto extracted = recorder.EventsOf(SPFILENOTIFY_FILEEXTRACTED);
        ASSERT_EQ(extracted.size(), 1u);
        EXPECT_EQ(extracted[0].Win32Error, ERROR_CRC);
        EXPECT_EQ(ReadFile(Out() / "data.bin"), "previous");
        EXPECT_EQ(Written(), std::vector<std::string>{"data.bin"});  // no temporary file
    }
}

TEST_F(BrokenDataTest, DamagedMszipDataFailsWithCrcOrInvalidData) {
    const fs::path source = dir_ / "source";
    fs::create_directories(source);
    test::WriteFile(source / "data.bin", Repetitive(200'000));
    const fs::path good = dir_ / "good.cab";
    test::MakeCabWithGcab(good, source, true);
    std::string bytes = ReadFile(good);
    const size_t firstBlock = test::RegionsOf(bytes).Data;
    bytes[firstBlock + cab::kDataHeaderSize + 20] ^= 0x5A;

    WalkOver(WriteCabinet("checked.cab", bytes), std::nullopt);
    EXPECT_EQ(result_, FALSE);
    EXPECT_EQ(error_, ERROR_CRC);
    EXPECT_EQ(ReadFile(Out() / "data.bin"), "previous");

    // Without a checksum the damage surfaces in the decoder.
    test::PatchLe32(bytes, firstBlock, 0);
    WalkOver(WriteCabinet("unchecked.cab", bytes), std::nullopt);
    EXPECT_EQ(result_, FALSE);
    EXPECT_EQ(error_, ERROR_INVALID_DATA);
    EXPECT_EQ(ReadFile(Out() / "data.bin"), "previous");
    EXPECT_EQ(Written(), std::vector<std::string>{"data.bin"});
}

// ---------------------------------------------------------------------------------------------
// Targets the file cannot be written to: notification 19 carries the code; the walk goes on only
// if the callback answers 0.

struct TargetFailureCase {
    std::string Label;
    std::function<std::string(const TempDir&)> Target;  // for the cabinet's first file
    DWORD Error;
};

void PrintTo(const TargetFailureCase& value, std::ostream* out) {
    *out << value.Label;
}

class TargetFailureTest : public ProtocolTest,
                          public ::testing::WithParamInterface<TargetFailureCase> {};

TEST_P(TargetFailureTest, ReportsTheCodeAndStopsWhenTheCallbackPassesItOn) {
    WalkRecorder recorder = WalkRecorder::WritingTo(Out());
    recorder.Targets["a.txt"] = GetParam().Target(dir_);
    EXPECT_EQ(recorder.Walk(cabinet_), FALSE);
    EXPECT_EQ(GetLastError(), GetParam().Error);
    const auto extracted = recorder.EventsOf(SPFILENOTIFY_FILEEXTRACTED);
    ASSERT_EQ(extracted.size(), 1u);
    EXPECT_EQ(extracted[0].Name, "a.txt");
    EXPECT_EQ(extracted[0].Win32Error, GetParam().Error);
    EXPECT_EQ(recorder.Events.size(), 3u);
    EXPECT_EQ(TemporaryFilesUnder(dir_.Path()), std::vector<std::string>{});
}

// The other files of the same folder still come out whole after a failed one.
TEST_P(TargetFailureTest, GoesOnWithTheNextFilesWhenTheCallbackAnswersZero) {
    WalkRecorder recorder = WalkRecorder::WritingTo(Out());
    recorder.Targets["a.txt"] = GetParam().Target(dir_);
    recorder.ExtractedReply = 0;
    EXPECT_EQ(recorder.Walk(cabinet_), TRUE);
    for (size_t i = 1; i < kGcabFiles.size(); ++i) {
        EXPECT_EQ(ReadFile(Out() / HostRelative(kGcabFiles[i].Name)), kGcabFiles[i].Content);
    }
    EXPECT_EQ(recorder.EventsOf(SPFILENOTIFY_FILEEXTRACTED)[0].Win32Error, GetParam().Error);
}

INSTANTIATE_TEST_SUITE_P(
    Targets, TargetFailureTest,
    ::testing::Values(
        TargetFailureCase{"InMissingFolder", Inside("missing\\a.txt"), ERROR_PATH_NOT_FOUND},
        TargetFailureCase{"BelowAFile",
                          [](const TempDir& dir) {
                              test::WriteFile(dir / "plain", "x");
                              return Inside("plain\\a.txt")(dir);
                          },
                          ERROR_PATH_NOT_FOUND},
        TargetFailureCase{"AFolder",
                          [](const TempDir& dir) {
                              fs::create_directories(dir / "folder");
                              return Inside("folder")(dir);
                          },
                          ERROR_ACCESS_DENIED},
        TargetFailureCase{"ForbiddenCharacter", Inside("a|b.txt"), ERROR_INVALID_NAME},
        TargetFailureCase{"UnmappedDrive", [](const TempDir&) { return std::string("Q:\\a.txt"); },
                          ERROR_PATH_NOT_FOUND},
        TargetFailureCase{"NotTerminated", [](const TempDir&) { return std::string(300, 'a'); },
                          ERROR_BUFFER_OVERFLOW}),
    [](const auto& info) { return info.param.Label; });

TEST_F(CabinetTest, ReplacesAnExistingFileAndKeepsItsPermissions) {
    const fs::path cabinet =
        WriteCabinet("one.cab", test::BuildStoredCab({{"note.txt", "new content"}}));
    fs::create_directories(Out());
    test::WriteFile(Out() / "note.txt", "old content that was longer");
    chmod((Out() / "note.txt").c_str(), 0640);

    WalkRecorder recorder = WalkRecorder::WritingTo(Out());
    ASSERT_EQ(recorder.Walk(cabinet), TRUE);
    EXPECT_EQ(ReadFile(Out() / "note.txt"), "new content");
    struct stat status {};
    ASSERT_EQ(stat((Out() / "note.txt").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
    EXPECT_EQ(Written(), std::vector<std::string>{"note.txt"});
}

// The temporary file's name is longer than the target's; it must still fit the file system.
TEST_F(CabinetTest, TargetWithALongNameStillGetsItsTemporaryFile) {
    const std::string name = std::string(250, 'n') + ".txt";
    const fs::path cabinet = WriteCabinet("long.cab", test::BuildStoredCab({{"x.txt", "data"}}));
    fs::create_directories(Out());
    prefix_.MapDrive('d', Out());
    WalkRecorder recorder;
    recorder.FileAnswer = FILEOP_DOIT;
    recorder.Targets["x.txt"] = "D:\\" + name;
    ASSERT_EQ(recorder.Walk(cabinet), TRUE);
    EXPECT_EQ(ReadFile(Out() / name), "data");
    EXPECT_EQ(Written(), std::vector<std::string>{name});
}

// ---------------------------------------------------------------------------------------------
// Cabinets written byte by byte.

TEST_F(CabinetTest, EmptyCabinetIsAWalkWithoutFiles) {
    const fs::path cabinet = WriteCabinet("empty.cab", test::BuildStoredCab({}));
    WalkRecorder recorder;
    recorder.FileAnswer = FILEOP_DOIT;
    EXPECT_EQ(recorder.Walk(cabinet), TRUE);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    ASSERT_EQ(recorder.Notifications(), std::vector<UINT>{SPFILENOTIFY_CABINETINFO});
    EXPECT_EQ(recorder.Events[0].Path, WindowsPathOf(cabinet.parent_path()) + "\\");
}

TEST_F(CabinetTest, NamesFlaggedUtf8ArriveInTheAnsiCodePage) {
    const test::ScopedEnv locale("LC_ALL", "C.UTF-8");  // code page 1252
    const fs::path cabinet =
        WriteCabinet("names.cab", test::BuildStoredCab({
                                      {"\xC3\xA9t\xC3\xA9.txt", "1", DosDate(2009, 1, 1), 0, 0xA0},
                                      {"caf\xE9.txt", "2", DosDate(2009, 1, 1), 0, 0x20},
                                      {"\xE2\x82\xAC.txt", "3", DosDate(2009, 1, 1), 0, 0x80},
                                      {"\xE3\x81\x82.txt", "4", DosDate(2009, 1, 1), 0, 0x80},
                                  }));
    WalkRecorder recorder;
    ASSERT_EQ(recorder.Walk(cabinet), TRUE);
    const auto files = recorder.EventsOf(SPFILENOTIFY_FILEINCABINET);
    ASSERT_EQ(files.size(), 4u);
    EXPECT_EQ(files[0].Name, "\xE9t\xE9.txt");
    EXPECT_EQ(files[0].DosAttribs, 0xA0);
    EXPECT_EQ(files[1].Name, "caf\xE9.txt");  // not flagged: the bytes as stored
    EXPECT_EQ(files[2].Name, "\x80.txt");     // the euro sign of code page 1252
    EXPECT_EQ(files[3].Name, "?.txt");        // a character code page 1252 lacks
}

}  // namespace
}  // namespace vantrel
