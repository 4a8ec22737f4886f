// Extracting with Extract: targets, folders, events, and the files written byte for byte.

#include "cabinet/cabinet_fixture.h"
#include "cabinet/extract_outcome.h"
#include "support/host_program.h"
#include "support/platform.h"

namespace vantrel::test {
namespace {

// Files under a host folder with their contents.
FileSet ReadTree(const std::filesystem::path& root) {
    FileSet files;
    for (const auto& name : ListFiles(root)) {
        files[name] = ReadFile(root / name);
    }
    return files;
}

// Extracts the cabinet, recording the events, and checks what every run must hold.
struct ExtractRun {
    std::vector<std::string> before;
    std::vector<std::string> after;
};

ExtractRun ExtractRecorded(CabFile& cab, const std::string& outputPath,
                           const std::string& outputFile = "") {
    ExtractRun run;
    cab.BeforeExtract = [&](const std::string& FileName, bool&) { run.before.push_back(FileName); };
    cab.AfterExtract = [&](const std::string& FileName) { run.after.push_back(FileName); };
    EXPECT_TRUE(cab.Extract("ignored", outputPath, outputFile));
    EXPECT_EQ(cab.NotWritten(), Names{});
    return run;
}

const FileSet kNested = {{"a.jpg", "top level"},
                         {"set1/case01/a.jpg", std::string(100000, '\x5c')},
                         {"set1/empty.txt", ""}};

class GcabExtractTest : public CabinetTest, public ::testing::WithParamInterface<bool> {};

TEST_P(GcabExtractTest, WritesEveryFileByteForByte) {
    auto cab = CabFor(MakeGcabCabinet("Images.cab", kNested, GetParam()));
    const auto run = ExtractRecorded(*cab, Windows("out"));
    EXPECT_EQ(ReadTree(Host("out")), kNested);
    EXPECT_EQ(run.before.size(), 3u);
    for (const auto& name : run.before) {
        EXPECT_NE(std::find(run.after.begin(), run.after.end(), Windows("out\\") + name),
                  run.after.end())
            << name;
    }
    EXPECT_EQ(messages_.Texts(), Names{});
}

INSTANTIATE_TEST_SUITE_P(StoredAndMszip, GcabExtractTest, ::testing::Bool());

struct FixtureCase {
    const char* fixture;
    FileSet files;
};

class FixtureExtractTest : public CabinetTest, public ::testing::WithParamInterface<FixtureCase> {};

TEST_P(FixtureExtractTest, WritesEveryFileByteForByte) {
    auto cab = CabFor(CopyFixture(GetParam().fixture));
    ExtractRecorded(*cab, Windows("out"));
    EXPECT_EQ(ReadTree(Host("out")), GetParam().files);
}

const std::string kDashes(65, '-');

INSTANTIATE_TEST_SUITE_P(
    LzxQuantumMszip, FixtureExtractTest,
    ::testing::Values(
        FixtureCase{"mszip_lzx_qtm.cab",
                    {{"mszip.txt", "If you can read this, the MSZIP decompressor is working!\n"},
                     {"lzx.txt", kDashes +
                                     "\nIf you can read this, the LZX decompressor is "
                                     "working!\n" +
                                     kDashes + "\n"},
                     {"qtm.txt", "If you can read this, the Quantum decompressor is working!\n"}}},
        FixtureCase{"normal_2files_2folders.cab",
                    {{"mszip1.txt", "This is compressed with MS-ZIP\n"},
                     {"mszip2.txt", "This also is compressed with MS-ZIP\n"},
                     {"lzx1.txt", "This is LZX compressed\n"},
                     {"lzx2.txt", "This is also LZX compressed\n"}}},
        FixtureCase{"reserve_HFD.cab", {{"test1.txt", "TEST\n"}, {"test2.txt", "test\n"}}},
        // A vendor may sign Images.cab: the signature follows the cabinet.
        FixtureCase{"signed.cab",
                    {{"readme.txt", "signed by its vendor\n"},
                     {"set1/image.txt", "an image in a folder\n"}}}));

class OutputPathTest : public CabinetTest, public ::testing::WithParamInterface<const char*> {};

// The folder the cabinet stores is re-created under the output path, given with or without its
// trailing backslash.
TEST_P(OutputPathTest, FilesGoUnderTheOutputPath) {
    std::filesystem::create_directories(Host("V"));
    auto cab = CabFor(MakeGcabCabinet("x.cab", {{"a.jpg", "A"}, {"s/b.jpg", "B"}}, true));
    const auto run = ExtractRecorded(*cab, Windows(GetParam()));
    EXPECT_EQ(run.after, (Names{Windows("V\\a.jpg"), Windows("V\\s\\b.jpg")}));
    EXPECT_EQ(ReadTree(Host("V")), (FileSet{{"a.jpg", "A"}, {"s/b.jpg", "B"}}));
}

INSTANTIATE_TEST_SUITE_P(TrailingBackslash, OutputPathTest, ::testing::Values("V\\", "V"));

TEST_F(CabinetTest, EmptyOutputPathExtractsBesideTheCabinet) {
    auto cab = CabFor(MakeGcabCabinet("cabs/x.cab", {{"a.jpg", "A"}, {"s/b.jpg", "B"}}, false));
    const auto run = ExtractRecorded(*cab, "");
    EXPECT_EQ(run.after, (Names{Windows("cabs\\a.jpg"), Windows("cabs\\s\\b.jpg")}));
    EXPECT_EQ(ReadFile(Host("cabs/s/b.jpg")), "B");
}

// Without a folder in CabName the cabinet's folder is the current one, not the drive's root.
TEST_F(CabinetTest, CabinetNamedWithoutFolderExtractsToTheCurrentFolder) {
    MakeGcabCabinet("here/x.cab", {{"a.jpg", "A"}}, false);
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(Host("here"));
    auto cab = CabFor("x.cab");
    const auto run = ExtractRecorded(*cab, "");
    std::filesystem::current_path(previous);
    EXPECT_EQ(run.after, (Names{".\\a.jpg"}));
    EXPECT_EQ(ListFiles(Host("here")), (Names{"a.jpg", "x.cab"}));
}

TEST_F(CabinetTest, OutputFileReceivesEveryFileAndTheLastOneWins) {
    auto cab = CabFor(WriteStoredCabinet("x.cab", {{.Name = "one", .Data = "first"},
                                                   {.Name = "d\\two", .Data = "second"},
                                                   {.Name = "three", .Data = "third"}}));
    const auto run = ExtractRecorded(*cab, Windows("out"), "all.bin");
    EXPECT_EQ(run.after, (Names(3, Windows("out\\all.bin"))));
    // Each file replaces the one before whole: the shorter last one keeps no tail of "second".
    EXPECT_EQ(ReadTree(Host("out")), (FileSet{{"all.bin", "third"}}));
}

TEST_F(CabinetTest, CancelledFileIsNeitherWrittenNorCountedAndGetsNoFolder) {
    auto cab = CabFor(MakeGcabCabinet("x.cab", {{"a.jpg", "A"}, {"s/b.jpg", "B"}}, true));
    std::vector<std::string> after;
    cab->BeforeExtract = [](const std::string& FileName, bool& Cancel) {
        Cancel = FileName == "s\\b.jpg";
    };
    cab->AfterExtract = [&](const std::string& FileName) { after.push_back(FileName); };
    EXPECT_TRUE(cab->Extract("", Windows("out"), ""));
    EXPECT_EQ(after, (Names{Windows("out\\a.jpg")}));
    EXPECT_EQ(ListFiles(Host("out")), (Names{"a.jpg"}));
    EXPECT_FALSE(std::filesystem::exists(Host("out/s")));
    EXPECT_EQ(cab->NotWritten(), Names{});
}

// Bytes no compressor shrinks, like a photograph's.
std::string Noise(std::size_t size) {
    std::string bytes(size, '\0');
    std::uint32_t state = 12345;
    for (char& byte : bytes) {
        state = state * 1103515245 + 12345;
        byte = static_cast<char>(state >> 24);
    }
    return bytes;
}

// An installation over an earlier one, whose files are longer than the new ones.
class OverAnInstallationTest : public OutcomeTest {
  protected:
    const FileSet new_ = {{"a.txt", "new a"}, {"sub/b.bmp", Noise(100000)}};
    const std::string cabinet_ = MakeGcabCabinet("cabs/x.cab", new_, true);
    const FileSet earlier_ = {{"a.txt", "LONGER OLD A OF AN EARLIER INSTALLATION"},
                              {"sub/b.bmp", "old b"}};
};

// The data breaks off inside the second file: it keeps its old content, and the reason raised is
// the data's, not what a successful step before left behind.
TEST_F(OverAnInstallationTest, CabinetCutShortLeavesTheOldFileWhole) {
    const std::string whole = ReadFile(Host("cabs/x.cab"));
    const auto extracted =
        ExtractCabinet(PutCabinet("cut.cab", whole.substr(0, whole.size() - 50000)), earlier_);
    EXPECT_EQ(extracted.Error, kInvalidData);
    EXPECT_TRUE(extracted.Output.at("sub/b.bmp") == "old b");
    // The first file lies whole before the break; a service may write it or fail first.
    const std::string& a = extracted.Output.at("a.txt");
    EXPECT_TRUE(a == "new a" || a == earlier_.at("a.txt")) << a;
}

// A running viewer holds an image open. Windows replaces no file another program holds without
// sharing its deletion: the file is reported as not written and stays. POSIX replaces the name,
// and the holder goes on reading the file it opened.
TEST_F(OverAnInstallationTest, TargetHeldByAnotherProcess) {
    for (const auto& [name, content] : earlier_) {
        std::filesystem::create_directories(Host("out/" + name).parent_path());
        WriteFile(Host("out/" + name), content);
    }
    const HeldByAnotherProcess viewer(Host("out/sub/b.bmp"));
    const auto extracted = ExtractCabinet(cabinet_);
    EXPECT_EQ(extracted.Error, OnPlatform(kFinished, kAccessDenied));
    EXPECT_TRUE(extracted.Output.at("sub/b.bmp") ==
                OnPlatform<std::string>(new_.at("sub/b.bmp"), "old b"));
    EXPECT_EQ(extracted.Output.at("a.txt"), "new a");
}

// Targets in the way. Prepare lays out the folder "out" before the extraction.
struct InTheWayCase {
    const char* Label;
    std::function<void(const std::filesystem::path& out)> Prepare;
    ErrorText Error;
    FileSet Output;
    std::vector<std::string> Folders;  // folders under C:\out afterwards, besides "sub"
};

void PrintTo(const InTheWayCase& value, std::ostream* out) {
    *out << value.Label;
}

class InTheWayTest : public OutcomeTest, public ::testing::WithParamInterface<InTheWayCase> {};

TEST_P(InTheWayTest, RaisesAndLeavesWhatWasThere) {
    std::filesystem::create_directories(Host("out/sub"));
    GetParam().Prepare(Host("out"));
    const auto cabinet =
        PutCabinet("x.cab", BuildStoredCab({{.Name = "a.txt", .Data = "alpha"},
                                            {.Name = "sub\\b.txt", .Data = "bravo"}}));
    const auto extracted = ExtractCabinet(cabinet);
    EXPECT_EQ(extracted.Error, GetParam().Error);
    EXPECT_EQ(extracted.Output, GetParam().Output);
    for (const auto& folder : GetParam().Folders) {
        EXPECT_TRUE(std::filesystem::is_directory(Host("out") / folder)) << folder;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Targets, InTheWayTest,
    ::testing::Values(InTheWayCase{"TargetIsAFolder",
                                   [](const std::filesystem::path& out) {
                                       std::filesystem::create_directories(out / "sub/b.txt");
                                       WriteFile(out / "sub/b.txt/inside", "kept");
                                   },
                                   kAccessDenied,
                                   {{"a.txt", "alpha"}, {"sub/b.txt/inside", "kept"}},
                                   {"sub/b.txt"}},
                      // Windows refuses to replace a read-only file, administrators included.
                      InTheWayCase{"TargetIsReadOnly",
                                   [](const std::filesystem::path& out) {
                                       WriteFile(out / "sub/b.txt", "read-only");
                                       std::filesystem::permissions(out / "sub/b.txt",
                                                                    std::filesystem::perms(0444));
                                   },
                                   kAccessDenied,
                                   {{"a.txt", "alpha"}, {"sub/b.txt", "read-only"}},
                                   {}},
                      // The target's folder "exists" as a file: the write finds no folder there.
                      InTheWayCase{"FolderIsAFile",
                                   [](const std::filesystem::path& out) {
                                       std::filesystem::remove(out / "sub");
                                       WriteFile(out / "sub", "a file named like the folder");
                                   },
                                   kPathNotFound,
                                   {{"a.txt", "alpha"}, {"sub", "a file named like the folder"}},
                                   {}}),
    [](const auto& info) { return std::string(info.param.Label); });

// A killed run's temporary file goes with the next run that writes into its folder; a file of the
// user's that is only named alike stays.
TEST_F(CabinetTest, LeftoverTemporaryFileIsRemoved) {
    std::filesystem::create_directories(Host("out"));
    WriteFile(Host("out/.a.jpg.vantrel-x1Y2z3"), "left by a killed run");
    WriteFile(Host("out/a.jpg.vantrel-x1Y2z3"), "the user's");
    auto cab = CabFor(WriteStoredCabinet("x.cab", {{.Name = "a.jpg", .Data = "A"}}));
    EXPECT_TRUE(cab->Extract("", Windows("out"), ""));
    EXPECT_EQ(ListFiles(Host("out")), (Names{"a.jpg", "a.jpg.vantrel-x1Y2z3"}));
}

// sysfs lets nobody make a folder in it, administrators included: the file is reported as access
// denied, not as a missing path.
TEST_F(CabinetTest, FolderThatMayNotBeMadeRaisesAccessDenied) {
    std::error_code refused;
    if (std::filesystem::create_directory(HostPathOf("Z:\\sys\\vantrel"), refused) ||
        (refused != std::errc::permission_denied &&
         refused != std::errc::operation_not_permitted)) {
        GTEST_SKIP() << "sysfs does not refuse folders here: " << refused.message();
    }
    auto cab = CabFor(WriteStoredCabinet("x.cab", {{.Name = "vantrel\\a.txt", .Data = "A"}}));
    EXPECT_EQ(TextOf(RaisedBy([&] { cab->Extract("", "Z:\\sys", ""); })), kAccessDenied);
}

class UncreatableFolderTest : public CabinetTest,
                              public ::testing::WithParamInterface<const char*> {};

// A folder that cannot be made skips its file without a message; the object remembers the name.
TEST_P(UncreatableFolderTest, FileIsSkippedAndCounted) {
    const std::string name = GetParam();
    std::filesystem::create_directories(Host("out"));
    WriteFile(Host("out/plain"), "a file where a folder is needed");
    if (name.starts_with("loop\\")) {
        VANTREL_SKIP_ON_WINDOWS("Wine makes no symbolic links for a Windows program");
        std::filesystem::create_directory_symlink("loop", Host("out/loop"));
    }
    auto cab = CabFor(WriteStoredCabinet("x.cab", {{.Name = "a.jpg", .Data = "A"},
                                                   {.Name = name, .Data = "B"},
                                                   {.Name = "c.jpg", .Data = "C"}}));
    std::vector<std::string> after;
    cab->AfterExtract = [&](const std::string& FileName) { after.push_back(FileName); };

    EXPECT_TRUE(cab->Extract("", Windows("out"), ""));
    EXPECT_EQ(cab->NotWritten(), (Names{name}));
    EXPECT_EQ(after, (Names{Windows("out\\a.jpg"), Windows("out\\c.jpg")}));
    EXPECT_EQ(ListFiles(Host("out")), (Names{"a.jpg", "c.jpg", "plain"}));
    EXPECT_EQ(messages_.Texts(), Names{});
}

INSTANTIATE_TEST_SUITE_P(Folders, UncreatableFolderTest,
                         ::testing::Values("plain\\sub\\b.jpg", "bad?name\\b.jpg", "x|y\\b.jpg",
                                           "loop\\b.jpg", "loop\\sub\\b.jpg"));

TEST_F(CabinetTest, NotWrittenStartsAfreshWithEveryExtract) {
    auto cab = CabFor(WriteStoredCabinet("x.cab", {{.Name = "a?\\b", .Data = "B"}}));
    cab->Extract("", Windows("out"), "");
    EXPECT_EQ(cab->NotWritten(), (Names{"a?\\b"}));
    cab->SetCabName(WriteStoredCabinet("y.cab", {{.Name = "a\\b", .Data = "B"}}));
    cab->Extract("", Windows("out"), "");
    EXPECT_EQ(cab->NotWritten(), Names{});
    EXPECT_EQ(ReadFile(Host("out/a/b")), "B");
}

// The service's target field holds 259 bytes and a terminating zero.
TEST_F(CabinetTest, TargetOf259BytesFitsAnd260IsOutOfRange) {
    const std::string folder = Windows(std::string(100, 'd'));
    const std::string fits(259 - folder.size() - 1, 'n');
    auto cab = CabFor(WriteStoredCabinet(
        "x.cab", {{.Name = fits, .Data = "fits"}, {.Name = fits + "x", .Data = "too long"}}));
    std::vector<std::string> after;
    cab->AfterExtract = [&](const std::string& FileName) { after.push_back(FileName); };

    const auto error = RaisedBy([&] { cab->Extract("", folder, ""); });

    EXPECT_EQ(error.Number, 9);
    EXPECT_EQ(error.Source, "CabFile.CabCallBack");
    EXPECT_EQ(error.Description, "Subscript out of range");
    ASSERT_EQ(after.size(), 1u);
    EXPECT_EQ(after[0].size(), 259u);
    EXPECT_EQ(ListFiles(Host(std::string(100, 'd'))), (Names{fits}));
}

}  // namespace
}  // namespace vantrel::test
