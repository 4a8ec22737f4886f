// Broken and lying cabinets: every one is either refused while listing ("Error22" and False),
// or fails its extraction with a raised error, or extracts exactly what it holds. Nothing is ever
// written outside the output folder, no temporary file stays, and a file that was at a target
// keeps its content unless the cabinet's own file replaced it whole.

#include <sys/stat.h>

#include <functional>

#include "cabinet/extract_outcome.h"
#include "support/posix/scratch_place.h"

namespace vantrel::test {
namespace {

const std::vector<CabEntry> kTwoFiles = {{.Name = "a.txt", .Data = "alpha"},
                                         {.Name = "sub\\b.txt", .Data = "bravo!"}};
const Names kTwoNames = {"a.txt", "sub\\b.txt"};
const FileSet kPrevious = {{"a.txt", "previous a"}, {"sub/b.txt", "previous b"}};
const FileSet kBothWritten = {{"a.txt", "alpha"}, {"sub/b.txt", "bravo!"}};
const FileSet kFirstWritten = {{"a.txt", "alpha"}, {"sub/b.txt", "previous b"}};

class HostileCabinetTest : public OutcomeTest {
  protected:
    // A cabinet the listing refuses: the extraction then fails before touching any target.
    void ExpectRefused(const std::string& cabinet) {
        const auto listed = ListCabinet(cabinet);
        EXPECT_FALSE(listed.Result);
        EXPECT_EQ(listed.Messages, Names{"Error22"});
        EXPECT_EQ(listed.Files, Names{});
        const auto extracted = ExtractCabinet(cabinet, kPrevious);
        EXPECT_EQ(extracted.Error, kInvalidData);
        EXPECT_EQ(extracted.Output, kPrevious);
    }

    void ExpectListed(const std::string& cabinet, const Names& files) {
        const auto listed = ListCabinet(cabinet);
        EXPECT_TRUE(listed.Result);
        EXPECT_EQ(listed.Messages, Names{});
        EXPECT_EQ(listed.Files, files);
    }
};

// ---------------------------------------------------------------------------------------------
// Cut short at every byte.

const char* RegionAt(const CabRegions& regions, std::size_t length) {
    if (length < regions.FolderTable) {
        return "header";
    }
    if (length < regions.FileTable) {
        return "folder table";
    }
    return length < regions.Data ? "file table" : "data";
}

// The same two files packed by gcab, stored or MSZIP-compressed.
class TruncationTest : public HostileCabinetTest, public ::testing::WithParamInterface<bool> {
  protected:
    std::string WholeCabinet() {
        MakeGcabCabinet("gcab.cab", {{"a.txt", "alpha"}, {"sub/b.txt", "bravo!"}}, GetParam());
        return ReadFile(Host("gcab.cab"));
    }
};

// Up to the end of the file table the listing refuses the cabinet; after it, the listing is
// whole but no file can be decoded, since both lie in the one data block that was cut.
TEST_P(TruncationTest, EveryCutIsRefusedOrFailsWithInvalidData) {
    const std::string whole = WholeCabinet();
    const CabRegions regions = RegionsOf(whole);
    ASSERT_LT(regions.FileTable, regions.Data);
    ASSERT_LT(regions.Data, regions.End);
    for (std::size_t length = 0; length < whole.size(); ++length) {
        SCOPED_TRACE(std::string("cut in the ") + RegionAt(regions, length) + " after " +
                     std::to_string(length) + " bytes");
        const auto cabinet = PutCabinet("cut.cab", whole.substr(0, length));
        if (length < regions.Data) {
            ExpectRefused(cabinet);
        } else {
            ExpectListed(cabinet, kTwoNames);
            const auto extracted = ExtractCabinet(cabinet, kPrevious);
            EXPECT_EQ(extracted.Error, kInvalidData);
            EXPECT_EQ(extracted.Output, kPrevious);
        }
        ClearOutput();
    }
    ExpectListed(PutCabinet("whole.cab", whole), kTwoNames);
    EXPECT_EQ(ExtractCabinet(PutCabinet("whole.cab", whole), kPrevious).Output, kBothWritten);
}

INSTANTIATE_TEST_SUITE_P(StoredAndMszip, TruncationTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Mszip" : "Stored"; });

// ---------------------------------------------------------------------------------------------
// Sizes, offsets and counts that do not match the cabinet.

struct LieCase {
    const char* Label;
    std::function<std::string()> Cabinet;
    bool Listed;  // false: refused while listing, and Extract then fails before any target
    ErrorText Error;
    FileSet Output;
};

void PrintTo(const LieCase& lie, std::ostream* out) {
    *out << lie.Label;
}

LieCase Refused(const char* label, std::function<std::string()> cabinet) {
    return {label, std::move(cabinet), false, kInvalidData, kPrevious};
}
LieCase Failing(const char* label, std::function<std::string()> cabinet, FileSet output,
                ErrorText error = kInvalidData) {
    return {label, std::move(cabinet), true, std::move(error), std::move(output)};
}
LieCase Whole(const char* label, std::function<std::string()> cabinet,
              FileSet output = kBothWritten) {
    return {label, std::move(cabinet), true, kFinished, std::move(output)};
}

std::function<std::string()> Laid(CabLayout layout) {
    return [=] { return BuildStoredCab(kTwoFiles, layout); };
}
std::function<std::string()> First(std::function<void(CabEntry&)> change) {
    return [=] {
        auto entries = kTwoFiles;
        change(entries[0]);
        return BuildStoredCab(entries);
    };
}
std::function<std::string()> Second(std::function<void(CabEntry&)> change) {
    return [=] {
        auto entries = kTwoFiles;
        change(entries[1]);
        return BuildStoredCab(entries);
    };
}
std::function<std::string()> Patched(std::function<void(std::string&)> patch) {
    return [=] {
        std::string bytes = BuildStoredCab(kTwoFiles);
        patch(bytes);
        return bytes;
    };
}
// Rewrites the first data block's header.
std::function<std::string()> FirstBlock(std::function<void(cab::DataHeader&)> change) {
    return Patched(
        [=](std::string& bytes) { PatchDataHeader(bytes, RegionsOf(bytes).Data, change); });
}

class LyingCabinetTest : public HostileCabinetTest,
                         public ::testing::WithParamInterface<LieCase> {};

TEST_P(LyingCabinetTest, EndsAsStated) {
    const auto& lie = GetParam();
    const auto cabinet = PutCabinet("lying.cab", lie.Cabinet());
    if (!lie.Listed) {
        ExpectRefused(cabinet);
        return;
    }
    ExpectListed(cabinet, kTwoNames);
    const auto extracted = ExtractCabinet(cabinet, kPrevious);
    EXPECT_EQ(extracted.Error, lie.Error);
    EXPECT_EQ(extracted.Output, lie.Output);
}

INSTANTIATE_TEST_SUITE_P(
    Lies, LyingCabinetTest,
    ::testing::Values(
        Whole("CabinetSizeTooLarge", Laid({.CabinetSize = 1'000'000})),
        Whole("CabinetSizeTooSmall", Laid({.CabinetSize = 40})),
        // The file table is read where it lies, right after the folder table.
        Whole("FileTableOffsetBeyondTheEnd", Laid({.FilesOffset = 100'000})),
        Whole("FileTableOffsetInsideTheHeader", Laid({.FilesOffset = 4})),
        Failing("DataBeyondTheEnd", Laid({.DataOffset = 100'000}), kPrevious),
        Failing("DataOneByteLate", Patched([](std::string& bytes) {
                    const auto regions = RegionsOf(bytes);
                    PatchLe32(bytes, regions.FolderTable, regions.Data + 1);
                }),
                kPrevious),
        Failing("NoDataBlocks", Laid({.DataBlocks = 0}), kPrevious),
        Whole("MoreDataBlocksThanThere", Laid({.DataBlocks = 5})),
        // Checksums are checked where the cabinet has them: a wrong one fails its block even when
        // the data itself is intact. A block without one (0) is taken as it is.
        Whole("CorrectChecksums", Laid({.Checksums = true})),
        Failing("WrongChecksumOverIntactData", Patched([](std::string& bytes) {
                    PatchLe32(bytes, RegionsOf(bytes).Data, 0x12345678);
                }),
                kPrevious, kBadCrc),
        Failing("StoredDataMarkedMszip", Laid({.CompressionType = 1}), kPrevious),
        Failing("UnknownCompression", Laid({.CompressionType = 7}), kPrevious),
        Failing("BlockLongerThanTheFile", FirstBlock([](auto& block) { block.Size = 500; }),
                kPrevious),
        Failing("BlockUnpackingToMoreThan32KiB",
                FirstBlock([](auto& block) { block.UncompressedSize = 40'000; }), kPrevious),
        // Stored data is taken as it lies; only its stored size counts.
        Whole("BlockUnpackingToLessThanItHolds",
              FirstBlock([](auto& block) { block.UncompressedSize = 3; })),
        Failing("SecondFileInAMissingBlock", Second([](CabEntry& b) { b.OffsetInFolder = 40'000; }),
                kFirstWritten),
        Failing("SecondFileBeyondTheFolderData",
                Second([](CabEntry& b) { b.OffsetInFolder = 100; }), kFirstWritten),
        Failing("SecondFileFarBeyondAnyFolder",
                Second([](CabEntry& b) { b.OffsetInFolder = 0x7FFF0000; }), kFirstWritten),
        Failing("SecondFileLargerThanTheData", Second([](CabEntry& b) { b.DeclaredSize = 1000; }),
                kFirstWritten),
        Failing("SecondFileOfNearly2GiB", Second([](CabEntry& b) { b.DeclaredSize = 0x7FFFFFF0; }),
                kFirstWritten),
        Failing("SecondFileOf4GiB", Second([](CabEntry& b) { b.DeclaredSize = 0xFFFFFFFF; }),
                kFirstWritten),
        Whole("FirstFileShorterThanItsData", First([](CabEntry& a) { a.DeclaredSize = 2; }),
              {{"a.txt", "al"}, {"sub/b.txt", "bravo!"}}),
        Whole("BothFilesAtTheSameData", Second([](CabEntry& b) { b.OffsetInFolder = 0; }),
              {{"a.txt", "alpha"}, {"sub/b.txt", "alphab"}}),
        // A file table that names a folder the cabinet does not have spoils the whole cabinet.
        Refused("FolderIndexOutOfRange", Second([](CabEntry& b) { b.FolderIndex = 1; })),
        Refused("FolderIndexFarOutOfRange", Second([](CabEntry& b) { b.FolderIndex = 0xFFFC; })),
        // The continuation marks of cabinet sets, in a cabinet that belongs to no set. A folder
        // said to begin in a previous cabinet cannot be decoded at all; a file said to go on in
        // the next one is whole here, and comes out whole.
        Failing("ContinuedFromPrevious", Second([](CabEntry& b) { b.FolderIndex = 0xFFFD; }),
                kPrevious),
        Whole("ContinuedToNext", Second([](CabEntry& b) { b.FolderIndex = 0xFFFE; })),
        Failing("ContinuedBothWays", Second([](CabEntry& b) { b.FolderIndex = 0xFFFF; }),
                kPrevious)),
    [](const auto& info) { return std::string(info.param.Label); });

// ---------------------------------------------------------------------------------------------
// Names of every length a name field can hold, and beyond.

TEST_F(HostileCabinetTest, EmptyNameSpoilsTheCabinet) {
    ExpectRefused(
        PutCabinet("empty-name.cab", BuildStoredCab({{.Name = "", .Data = "x"}, kTwoFiles[0]})));
}

TEST_F(HostileCabinetTest, NamesOver255BytesSpoilTheCabinet) {
    for (std::size_t length : {256, 257, 300, 1000}) {
        SCOPED_TRACE(length);
        ExpectRefused(PutCabinet(
            "long-name.cab",
            BuildStoredCab({kTwoFiles[0], {.Name = std::string(length, 'n'), .Data = "x"}})));
        ClearOutput();
    }
}

// A 255-byte name fits a drive's root only ("D:\" and 255 bytes leave room for the zero byte);
// under any deeper folder its target is too long for the service's field.
TEST_F(HostileCabinetTest, NameOf255BytesIsListedAndExtractedToADriveRoot) {
    const std::string name(255, 'n');
    const auto cabinet =
        PutCabinet("255.cab", BuildStoredCab({kTwoFiles[0], {.Name = name, .Data = "longest"}}));
    ExpectListed(cabinet, {"a.txt", name});

    const auto deep = ExtractCabinet(cabinet, kPrevious);
    EXPECT_EQ(deep.Error, "9 CabFile.CabCallBack: Subscript out of range");
    EXPECT_EQ(deep.Output, (FileSet{{"a.txt", "alpha"}, {"sub/b.txt", "previous b"}}));
    ClearOutput();

    std::filesystem::create_directories(Host("out"));
    PrefixOf(scratch_).MapDrive('d', Host("out"));
    const auto atRoot = ExtractCabinet(cabinet, {}, "D:\\");
    EXPECT_EQ(atRoot.Error, kFinished);
    EXPECT_EQ(atRoot.Output, (FileSet{{"a.txt", "alpha"}, {name, "longest"}}));
    EXPECT_EQ(atRoot.AfterExtract, (Names{"D:\\a.txt", "D:\\" + name}));
}

// ---------------------------------------------------------------------------------------------
// Overlong UTF-8 in names flagged UTF-8: no decoder may read C0 AF or E0 80 AF as "/", C0 AE as
// "." or C0 80 as NUL. Such bytes are no characters at all and arrive as "?", which no Windows
// name may hold: in a folder part the folder cannot be made and the file is passed by and
// counted; in the file's own name the write fails loudly with 123, as on Windows. Each byte that
// starts no valid sequence becomes one "?".

struct OverlongCase {
    const char* Label;
    std::string Name;    // as stored, flagged UTF-8
    std::string Listed;  // as FileFound reports it, folder part included
    bool InFolder;       // the "?" land in a folder part
};

void PrintTo(const OverlongCase& overlong, std::ostream* out) {
    *out << overlong.Label;
}

class OverlongUtf8Test : public HostileCabinetTest,
                         public ::testing::WithParamInterface<OverlongCase> {};

TEST_P(OverlongUtf8Test, NeverBecomesASeparatorDotOrNul) {
    const auto& overlong = GetParam();
    const auto cabinet = PutCabinet(
        "overlong.cab", BuildStoredCab({{.Name = "first.txt", .Data = "1"},
                                        {.Name = overlong.Name, .Data = "escaped", .Attribs = 0xA0},
                                        {.Name = "last.txt", .Data = "3"}}));
    ExpectListed(cabinet, {"first.txt", overlong.Listed, "last.txt"});

    const auto extracted = ExtractCabinet(cabinet);
    if (overlong.InFolder) {
        EXPECT_EQ(extracted.Error, kFinished);
        EXPECT_EQ(extracted.NotWritten, Names{overlong.Listed});
        EXPECT_EQ(extracted.Output, (FileSet{{"first.txt", "1"}, {"last.txt", "3"}}));
    } else {
        EXPECT_EQ(extracted.Error, kInvalidName);
        EXPECT_EQ(extracted.Output, (FileSet{{"first.txt", "1"}}));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Names, OverlongUtf8Test,
    ::testing::Values(
        OverlongCase{"SlashOfTwoBytes", "..\xC0\xAF..\xC0\xAFx.txt", "..??..??x.txt", false},
        OverlongCase{"SlashOfThreeBytes", "..\xE0\x80\xAF..\xE0\x80\xAFx.txt", "..???..???x.txt",
                     false},
        OverlongCase{"DotsAsFolder", "\xC0\xAE\xC0\xAE\\x.txt", "????\\x.txt", true},
        OverlongCase{"DotsAndSlash", "\xC0\xAE\xC0\xAE\xC0\xAFx.txt", "??????x.txt", false},
        OverlongCase{"NulInName", "x\xC0\x80.txt", "x??.txt", false},
        OverlongCase{"NulAsFolder", "\xC0\x80\\x.txt", "??\\x.txt", true}),
    [](const auto& info) { return std::string(info.param.Label); });

// The same bytes without the UTF-8 flag are characters of the ANSI code page (1252 here): odd
// but harmless names, written inside the output folder.
TEST_F(HostileCabinetTest, OverlongBytesWithoutTheUtf8FlagAreAnsiCharacters) {
    const test::ScopedEnv locale("LC_ALL", "C.UTF-8");
    const auto cabinet =
        PutCabinet("ansi.cab", BuildStoredCab({{.Name = "..\xC0\xAFx.txt", .Data = "1"},
                                               {.Name = "\xC0\xAE\xC0\xAE\\y.txt", .Data = "2"}}));
    const auto extracted = ExtractCabinet(cabinet);
    EXPECT_EQ(extracted.Error, kFinished);
    EXPECT_EQ(extracted.Output, (FileSet{{"..\xC3\x80\xC2\xAFx.txt", "1"},
                                         {"\xC3\x80\xC2\xAE\xC3\x80\xC2\xAE/y.txt", "2"}}));
}

// Characters that look like separators or dots. What counts is the name after the ANSI code
// page had it: Japanese Windows (932) writes the yen sign as the byte of "\", which then is a
// separator like any other and is judged as one; the rest stay characters of a name, or become
// "?" where the code page lacks them.
struct LookalikeCase {
    const char* Label;
    const char* Locale;
    std::string Name;  // flagged UTF-8
    ErrorText Error;
    Names NotWritten;
    FileSet Written;  // besides first.txt and, when the walk finished, last.txt
};

void PrintTo(const LookalikeCase& lookalike, std::ostream* out) {
    *out << lookalike.Label;
}

class LookalikeSeparatorTest : public HostileCabinetTest,
                               public ::testing::WithParamInterface<LookalikeCase> {};

TEST_P(LookalikeSeparatorTest, IsJudgedAsTheCodePageWritesIt) {
    const auto& lookalike = GetParam();
    const ScopedEnv locale("LC_ALL", lookalike.Locale);
    const auto cabinet = PutCabinet(
        "lookalike.cab", BuildStoredCab({{.Name = "first.txt", .Data = "1"},
                                         {.Name = lookalike.Name, .Data = "2", .Attribs = 0xA0},
                                         {.Name = "last.txt", .Data = "3"}}));
    const auto extracted = ExtractCabinet(cabinet);
    FileSet expected = lookalike.Written;
    expected["first.txt"] = "1";
    if (lookalike.Error == kFinished) {
        expected["last.txt"] = "3";
    }
    EXPECT_EQ(extracted.Error, lookalike.Error);
    EXPECT_EQ(extracted.NotWritten, lookalike.NotWritten);
    EXPECT_EQ(extracted.Output, expected);
}

const char* const kYen = "\xC2\xA5";
const char* const kFullwidthBackslash = "\xEF\xBC\xBC";
const char* const kFullwidthDot = "\xEF\xBC\x8E";
const char* const kDivisionSlash = "\xE2\x88\x95";
const char* const kWon = "\xE2\x82\xA9";

INSTANTIATE_TEST_SUITE_P(
    Names, LookalikeSeparatorTest,
    ::testing::Values(
        LookalikeCase{"YenClimbingIn932",
                      "ja_JP.UTF-8",
                      std::string("..") + kYen + "x.txt",
                      kFinished,
                      {"..\\x.txt"},
                      {}},
        LookalikeCase{"YenAsFolderIn932",
                      "ja_JP.UTF-8",
                      std::string("a") + kYen + "b.txt",
                      kFinished,
                      {},
                      {{"a/b.txt", "2"}}},
        LookalikeCase{"FullwidthDotsAndYenIn932",
                      "ja_JP.UTF-8",
                      std::string(kFullwidthDot) + kFullwidthDot + kYen + "x.txt",
                      kFinished,
                      {},
                      {{std::string(kFullwidthDot) + kFullwidthDot + "/x.txt", "2"}}},
        LookalikeCase{"FullwidthBackslashIn932",
                      "ja_JP.UTF-8",
                      std::string("..") + kFullwidthBackslash + "x.txt",
                      kFinished,
                      {},
                      {{std::string("..") + kFullwidthBackslash + "x.txt", "2"}}},
        LookalikeCase{"YenIn1252",
                      "C.UTF-8",
                      std::string("..") + kYen + "x.txt",
                      kFinished,
                      {},
                      {{std::string("..") + kYen + "x.txt", "2"}}},
        LookalikeCase{"DivisionSlashIn1252",
                      "C.UTF-8",
                      std::string("..") + kDivisionSlash + "x.txt",
                      kInvalidName,
                      {},
                      {}},
        LookalikeCase{
            "WonIn949", "ko_KR.UTF-8", std::string("..") + kWon + "x.txt", kInvalidName, {}, {}}),
    [](const auto& info) { return std::string(info.param.Label); });

// Windows' device names mean nothing to the host's file system: ordinary files, inside.
TEST_F(HostileCabinetTest, DeviceNamesAreOrdinaryFilesInsideTheOutputFolder) {
    const auto cabinet =
        PutCabinet("devices.cab", BuildStoredCab({{.Name = "CON", .Data = "1"},
                                                  {.Name = "nul.txt", .Data = "2"},
                                                  {.Name = "AUX\\COM1", .Data = "3"},
                                                  {.Name = "lpt1.jpg", .Data = "4"}}));
    const auto extracted = ExtractCabinet(cabinet);
    EXPECT_EQ(extracted.Error, kFinished);
    EXPECT_EQ(extracted.Output,
              (FileSet{{"CON", "1"}, {"nul.txt", "2"}, {"AUX/COM1", "3"}, {"lpt1.jpg", "4"}}));
}

// ---------------------------------------------------------------------------------------------
// The most files a cabinet can hold.

TEST_F(HostileCabinetTest, CabinetOf65535FilesIsListedAndExtractedWhole) {
    constexpr std::size_t kFiles = 65535;
    const auto nameOf = [](std::size_t i) {
        char name[32];
        std::snprintf(name, sizeof name, "d%02zu\\f%05zu.txt", i / 1000, i);
        return std::string(name);
    };
    std::vector<CabEntry> entries;
    Names names;
    for (std::size_t i = 0; i < kFiles; ++i) {
        entries.push_back({.Name = nameOf(i), .Data = std::to_string(i)});
        names.push_back(nameOf(i));
    }
    const auto cabinet = PutCabinet("many.cab", BuildStoredCab(entries));
    ExpectListed(cabinet, names);

    const auto extracted = ExtractCabinet(cabinet);
    EXPECT_EQ(extracted.Error, kFinished);
    EXPECT_EQ(extracted.Output.size(), kFiles);
    EXPECT_EQ(extracted.AfterExtract.size(), kFiles);
    for (std::size_t i : {0, 1, 999, 1000, 32767, 32768, 65534}) {
        std::string relative = nameOf(i);
        relative[3] = '/';
        EXPECT_EQ(extracted.Output.at(relative), std::to_string(i)) << relative;
    }
}

// ---------------------------------------------------------------------------------------------
// Damaged MSZIP, LZX and Quantum data, one byte at a time, in the fixture that holds one folder
// of each (mszip.txt, lzx.txt, qtm.txt, in this order).

const FileSet kThreeMethods = {
    {"mszip.txt", "If you can read this, the MSZIP decompressor is working!\n"},
    {"lzx.txt", std::string(65, '-') +
                    "\nIf you can read this, the LZX decompressor is working!\n" +
                    std::string(65, '-') + "\n"},
    {"qtm.txt", "If you can read this, the Quantum decompressor is working!\n"}};
const Names kMethodOrder = {"mszip.txt", "lzx.txt", "qtm.txt"};

class CorruptStreamTest : public HostileCabinetTest,
                          public ::testing::WithParamInterface<std::size_t> {
  protected:
    // The data block of the folder under test: where it starts and how long its data is.
    static std::pair<std::size_t, std::size_t> Block(const std::string& cabinet) {
        const std::size_t start = FolderEntryAt(cabinet, GetParam()).DataOffset;
        return {start, DataHeaderAt(cabinet, start).Size};
    }

    // The files that come before the damaged one are written; it and the later ones keep what
    // was at their targets.
    static FileSet FailedAtDamagedFile(const FileSet& previous) {
        FileSet output = previous;
        for (std::size_t i = 0; i < GetParam(); ++i) {
            output[kMethodOrder[i]] = kThreeMethods.at(kMethodOrder[i]);
        }
        return output;
    }
};

const FileSet kPreviousThree = {
    {"mszip.txt", "previous 1"}, {"lzx.txt", "previous 2"}, {"qtm.txt", "previous 3"}};

// With its checksum in place, every damaged byte is caught before it is decoded.
TEST_P(CorruptStreamTest, DamageUnderAChecksumFailsWithCrcError) {
    const std::string intact = ReadFile(FixturePath("mszip_lzx_qtm.cab"));
    const auto [start, size] = Block(intact);
    for (std::size_t at = start + 8; at < start + 8 + size; ++at) {
        SCOPED_TRACE("byte " + std::to_string(at));
        std::string damaged = intact;
        damaged[at] ^= 0x5A;
        const auto extracted = ExtractCabinet(PutCabinet("damaged.cab", damaged), kPreviousThree);
        EXPECT_EQ(extracted.Error, kBadCrc);
        EXPECT_EQ(extracted.Output, FailedAtDamagedFile(kPreviousThree));
        ClearOutput();
    }
}

// Without a checksum the decoder is the only judge: it either finds the damage (13, the target
// untouched) or decodes something of the declared size. Either way the other files are right.
TEST_P(CorruptStreamTest, DamageWithoutAChecksumFailsOrDecodesToTheDeclaredSize) {
    std::string intact = ReadFile(FixturePath("mszip_lzx_qtm.cab"));
    const auto [start, size] = Block(intact);
    PatchLe32(intact, start, 0);
    const std::string& name = kMethodOrder[GetParam()];
    int caught = 0;
    for (std::size_t at = start + 8; at < start + 8 + size; ++at) {
        for (unsigned char mask : {0x01, 0x80, 0xFF}) {
            SCOPED_TRACE("byte " + std::to_string(at) + " xor " + std::to_string(mask));
            std::string damaged = intact;
            damaged[at] ^= static_cast<char>(mask);
            const auto extracted =
                ExtractCabinet(PutCabinet("damaged.cab", damaged), kPreviousThree);
            if (extracted.Error.empty()) {
                auto expected = kThreeMethods;
                expected[name] = extracted.Output.at(name);
                EXPECT_EQ(extracted.Output, expected);
                EXPECT_EQ(extracted.Output.at(name).size(), kThreeMethods.at(name).size());
            } else {
                ++caught;
                EXPECT_EQ(extracted.Error, kInvalidData);
                EXPECT_EQ(extracted.Output, FailedAtDamagedFile(kPreviousThree));
            }
            ClearOutput();
        }
    }
    // Damage to the block's framing cannot go unnoticed.
    EXPECT_GT(caught, 0);
}

INSTANTIATE_TEST_SUITE_P(Methods, CorruptStreamTest, ::testing::Values(0, 1, 2),
                         [](const auto& info) { return kMethodOrder[info.param].substr(0, 3); });

// The MSZIP block's "CK" signature is what the decoder checks first.
TEST_F(HostileCabinetTest, MszipBlockWithoutItsSignatureFails) {
    std::string bytes = ReadFile(FixturePath("mszip_lzx_qtm.cab"));
    PatchLe32(bytes, 134, 0);  // no checksum
    bytes[134 + 8] = 'X';
    const auto extracted = ExtractCabinet(PutCabinet("nock.cab", bytes), kPreviousThree);
    EXPECT_EQ(extracted.Error, kInvalidData);
    EXPECT_EQ(extracted.Output, kPreviousThree);
}

// ---------------------------------------------------------------------------------------------
// Things that are not cabinet files at all.

struct NotAFileCase {
    const char* Label;
    std::function<void(const std::filesystem::path&)> Make;
    ErrorText Error;
};

void PrintTo(const NotAFileCase& value, std::ostream* out) {
    *out << value.Label;
}

class NotAFileTest : public HostileCabinetTest,
                     public ::testing::WithParamInterface<NotAFileCase> {};

TEST_P(NotAFileTest, IsRefusedWhileListingAndFailsToExtract) {
    std::filesystem::create_directories(Host("cabs"));
    GetParam().Make(Host("cabs/odd.cab"));
    const auto cabinet = Windows("cabs/odd.cab");
    const auto listed = ListCabinet(cabinet);
    EXPECT_FALSE(listed.Result);
    EXPECT_EQ(listed.Messages, Names{"Error22"});
    const auto extracted = ExtractCabinet(cabinet, kPrevious);
    EXPECT_EQ(extracted.Error, GetParam().Error);
    EXPECT_EQ(extracted.Output, kPrevious);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, NotAFileTest,
    ::testing::Values(NotAFileCase{"Folder",
                                   [](const std::filesystem::path& path) {
                                       std::filesystem::create_directory(path);
                                   },
                                   kAccessDenied},
                      NotAFileCase{"Fifo",
                                   [](const std::filesystem::path& path) {
                                       ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
                                   },
                                   kInvalidData},
                      NotAFileCase{"EmptyFile",
                                   [](const std::filesystem::path& path) { WriteFile(path, ""); },
                                   kInvalidData}),
    [](const auto& info) { return std::string(info.param.Label); });

}  // namespace
}  // namespace vantrel::test
