#include "dialog/install_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <random>
#include <string>

#include "platform/file_system.h"
#include "support/temp_dir.h"

namespace vantrel {
namespace {

constexpr std::string_view kHeader = R"REG(WINE REGISTRY Version 2
;; All keys relative to \\Machine

#arch=win64

[Software\\Microsoft\\Windows\\CurrentVersion] 1700000000
#time=1d9e6f0a1b2c3d4
"CommonFilesDir"="C:\\Program Files\\Common Files"
"ProgramFilesDir"="C:\\Program Files"

[Software\\Microsoft\\Windows NT\\CurrentVersion] 1700000000
#time=1d9e6f0a1b2c3d4
"SystemRoot"="C:\\windows"

[System\\ControlSet001\\Control\\Session Manager\\Environment] 1700000000
#time=1d9e6f0a1b2c3d4
"ComSpec"=str(2):"%SystemRoot%\\system32\\cmd.exe"

[System\\CurrentControlSet] 1700000000
#time=1d9e6f0a1b2c3d4
#link
"SymbolicLinkValue"=hex(6):5c,00,52,00,45,00,47,00,49,00,53,00,54,00,52,00,59,00,5c,00,4d,00,\
  61,00,63,00,68,00,69,00,6e,00,65,00,5c,00,53,00,79,00,73,00,74,00,65,00,6d,00,\
  5c,00,43,00,6f,00,6e,00,74,00,72,00,6f,00,6c,00,53,00,65,00,74,00,30,00,30,00,\
  31,00
)REG";

constexpr std::string_view kViewerSection =
    "\n[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\App Paths\\\\ZORVIKViewer.EXE] "
    "1700000000\n#time=1d9e6f0a1b2c3d4\n";

// A prefix's system.reg with the viewer's key holding `values`, lines as Wine writes them.
std::string SystemRegWithViewer(std::string_view values) {
    return std::string(kHeader) + std::string(kViewerSection) + std::string(values);
}

// The registered path as Wine writes it: each "\" doubled.
std::string Escaped(std::string_view path) {
    std::string escaped;
    for (const char c : path) {
        escaped += c == '\\' ? "\\\\" : std::string(1, c);
    }
    return escaped;
}

struct Outcome {
    bool Registered;
    std::string Folder;
};

bool operator==(const Outcome& a, const Outcome& b) {
    return a.Registered == b.Registered && a.Folder == b.Folder;
}

void PrintTo(const Outcome& o, std::ostream* out) {
    *out << (o.Registered ? "registered at \"" + o.Folder + '"' : "not registered");
}

// Runs the discovery the way the dialog does: the registration is known between the halves,
// the folder only after the second.
Outcome Discover() {
    InstallFolderDiscovery discovery;
    discovery.OpenAndQuery();
    const bool registered = discovery.ViewerRegistered();
    EXPECT_EQ(discovery.InstallFolder(), "");
    discovery.CloseAndTakeFolder();
    EXPECT_EQ(discovery.ViewerRegistered(), registered);
    return {registered, discovery.InstallFolder()};
}

const Outcome kNotRegistered{false, ""};

class InstallFolderTest : public ::testing::Test {
  protected:
    test::TempPrefix prefix_;
    test::ScopedEnv locale_{"LC_ALL", "C.UTF-8"};
    // Variables of the process come before the registry's; these must not.
    test::ScopedEnv programFiles_{"ProgramFiles", std::nullopt};
    test::ScopedEnv systemRoot_{"SystemRoot", std::nullopt};
    test::ScopedEnv windir_{"windir", std::nullopt};
    test::ScopedEnv comSpec_{"ComSpec", std::nullopt};
};

struct RegistrationCase {
    const char* name;
    const char* values;  // the lines of the viewer's key
    Outcome expected;
};

void PrintTo(const RegistrationCase& c, std::ostream* out) {
    *out << c.name;
}

class RegistrationTest : public InstallFolderTest,
                         public ::testing::WithParamInterface<RegistrationCase> {};

TEST_P(RegistrationTest, DecidesTheFolder) {
    prefix_.WriteSystemReg(SystemRegWithViewer(GetParam().values));
    EXPECT_EQ(Discover(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, RegistrationTest,
    ::testing::Values(
        RegistrationCase{"PlainPath",
                         R"(@="C:\\Program Files\\Viewer\\ZORVIKViewer.EXE")",
                         {true, "C:\\Program Files\\Viewer\\"}},
        RegistrationCase{"FolderOnly",
                         R"(@="C:\\Program Files\\Viewer\\")",
                         {true, "C:\\Program Files\\Viewer\\"}},
        RegistrationCase{"NoFolder", R"(@="ZORVIKViewer.EXE")", kNotRegistered},
        RegistrationCase{"EmptyString", R"(@="")", kNotRegistered},
        RegistrationCase{"Dword", "@=dword:00000001", kNotRegistered},
        RegistrationCase{"Binary", "@=hex:43,3a,5c,76,2e,65,78,65,00", kNotRegistered},
        RegistrationCase{"MultiString", R"(@=str(7):"C:\\Viewer\\ZORVIKViewer.EXE\0")",
                         kNotRegistered},
        RegistrationCase{"NoDefaultValue", R"("Path"="C:\\Program Files\\Viewer")", kNotRegistered},
        RegistrationCase{"Quoted",
                         R"(@="\"C:\\Program Files\\Viewer\\ZORVIKViewer.EXE\"")",
                         {true, "C:\\Program Files\\Viewer\\"}},
        RegistrationCase{
            "OneQuoteOnly", R"(@="\"C:\\Viewer\\ZORVIKViewer.EXE")", {true, "\"C:\\Viewer\\"}},
        RegistrationCase{"QuotedWithoutFolder", R"(@="\"ZORVIKViewer.EXE\"")", kNotRegistered},
        RegistrationCase{"Expandable",
                         R"(@=str(2):"%ProgramFiles%\\Viewer\\ZORVIKViewer.EXE")",
                         {true, "C:\\Program Files\\Viewer\\"}},
        RegistrationCase{"ExpandableQuoted",
                         R"(@=str(2):"\"%programfiles%\\Viewer\\ZORVIKViewer.EXE\"")",
                         {true, "C:\\Program Files\\Viewer\\"}},
        RegistrationCase{"ExpandableWindir",
                         R"(@=str(2):"%WINDIR%\\ZORVIKViewer.EXE")",
                         {true, "C:\\windows\\"}},
        RegistrationCase{"ExpandableFromSessionEnvironment",
                         R"(@=str(2):"%ComSpec%")",
                         {true, "C:\\windows\\system32\\"}},
        RegistrationCase{"ExpandableUnknownName",
                         R"(@=str(2):"%VantrelUnknown%\\ZORVIKViewer.EXE")",
                         {true, "%VantrelUnknown%\\"}},
        RegistrationCase{"ExpandableToNoFolder", R"(@=str(2):"%VantrelUnknown%")", kNotRegistered},
        RegistrationCase{
            "StringWrittenAsHex",
            "@=hex(1):43,00,3a,00,5c,00,76,00,5c,00,76,00,2e,00,65,00,78,00,65,00,00,00",
            {true, "C:\\v\\"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(InstallFolderTest, TakesAPathOf511BytesButNotOf512) {
    const auto pathOfLength = [](std::size_t length) {
        const std::string start = "C:\\";
        const std::string end = "\\ZORVIKViewer.EXE";
        return start + std::string(length - start.size() - end.size(), 'd') + end;
    };
    const std::string fits = pathOfLength(511);
    prefix_.WriteSystemReg(SystemRegWithViewer("@=\"" + Escaped(fits) + "\"\n"));
    EXPECT_EQ(Discover(), (Outcome{true, fits.substr(0, fits.rfind('\\') + 1)}));

    prefix_.WriteSystemReg(SystemRegWithViewer("@=\"" + Escaped(pathOfLength(512)) + "\"\n"));
    EXPECT_EQ(Discover(), kNotRegistered);
}

TEST_F(InstallFolderTest, WithoutTheKeyTheViewerIsNotRegisteredAndNothingIsWritten) {
    const std::string text = std::string(kHeader);
    prefix_.WriteSystemReg(text);
    EXPECT_EQ(Discover(), kNotRegistered);
    EXPECT_EQ(test::ReadFile(prefix_.Path() / "system.reg"), text);
}

TEST_F(InstallFolderTest, WithoutAPrefixTheViewerIsNotRegistered) {
    EXPECT_EQ(Discover(), kNotRegistered);  // a prefix without system.reg
    test::ScopedEnv nowhere("WINEPREFIX", (prefix_.Path() / "absent").string());
    EXPECT_EQ(Discover(), kNotRegistered);
}

TEST_F(InstallFolderTest, ProcessEnvironmentComesBeforeTheRegistry) {
    test::ScopedEnv programFiles("PROGRAMFILES", "D:\\Apps");
    prefix_.WriteSystemReg(
        SystemRegWithViewer(R"(@=str(2):"%ProgramFiles%\\Viewer\\ZORVIKViewer.EXE")"));
    EXPECT_EQ(Discover(), (Outcome{true, "D:\\Apps\\Viewer\\"}));
}

TEST_F(InstallFolderTest, JapaneseFolderRoundTripsThroughCodePage932) {
    test::ScopedEnv japanese("LC_ALL", "ja_JP.UTF-8");
    // 表示ソフト: both "表" and "ソ" end in the byte 0x5C, a "\", in code page 932.
    prefix_.WriteSystemReg(SystemRegWithViewer(
        R"(@="C:\\Program Files\\\x8868\x793a\x30bd\x30d5\x30c8\\ZORVIKViewer.EXE")"));
    EXPECT_EQ(Discover(), (Outcome{true, "C:\\Program Files\\表示ソフト\\"}));
}

TEST_F(InstallFolderTest, TheFolderLiesInTheDriveOfThePrefix) {
    const auto viewer = prefix_.DriveC() / "program files" / "VIEWER";
    std::filesystem::create_directories(viewer);
    prefix_.WriteSystemReg(
        SystemRegWithViewer(R"(@="C:\\Program Files\\Viewer\\ZORVIKViewer.EXE")"));
    const Outcome outcome = Discover();
    ASSERT_EQ(outcome, (Outcome{true, "C:\\Program Files\\Viewer\\"}));
    // The file system finds it, as it spells it.
    EXPECT_EQ(ExistingFolder(outcome.Folder), "C:\\program files\\VIEWER");
}

TEST_F(InstallFolderTest, ClosingWithoutAQueryTakesNoFolder) {
    InstallFolderDiscovery discovery;
    EXPECT_FALSE(discovery.ViewerRegistered());
    discovery.CloseAndTakeFolder();
    EXPECT_EQ(discovery.InstallFolder(), "");
}

// Broken files of every kind end in "not registered", or, where the broken part lies outside
// the registration, are read as Wine reads them.
class BrokenFileTest : public InstallFolderTest {};

TEST_F(BrokenFileTest, RandomBytesAreNotARegistration) {
    std::mt19937 random(20240611);
    for (int round = 0; round < 200; ++round) {
        std::string bytes(random() % 8192, '\0');
        for (auto& byte : bytes) {
            byte = static_cast<char>(random() % 256);
        }
        const std::string text = round % 2 == 0 ? bytes : "WINE REGISTRY Version 2\n" + bytes;
        prefix_.WriteSystemReg(text);
        ASSERT_EQ(Discover(), kNotRegistered) << "round " << round;
    }
}

TEST_F(BrokenFileTest, TruncationsRegisterOnlyOnceTheValueIsComplete) {
    const std::string valueLine = R"(@="C:\\Program Files\\Viewer\\ZORVIKViewer.EXE")";
    const std::string text =
        SystemRegWithViewer(valueLine + "\n\"Version\"=hex:01,02,03,\\\n  04\n");
    const std::size_t complete = text.find(valueLine) + valueLine.size();
    for (std::size_t length = 0; length <= text.size(); ++length) {
        prefix_.WriteSystemReg(text.substr(0, length));
        const Outcome expected =
            length >= complete ? Outcome{true, "C:\\Program Files\\Viewer\\"} : kNotRegistered;
        ASSERT_EQ(Discover(), expected) << "cut after " << length << " bytes";
    }
}

TEST_F(BrokenFileTest, HugeLinesAreSkipped) {
    const std::string huge(std::size_t{30} << 20, 'x');
    const std::string value = R"(@="C:\\Viewer\\ZORVIKViewer.EXE")";
    prefix_.WriteSystemReg(SystemRegWithViewer("@=\"C:\\\\Viewer\\\\" + huge));
    EXPECT_EQ(Discover(), kNotRegistered);
    // The key's name on the same line as the huge text is lost with it...
    prefix_.WriteSystemReg(std::string(kHeader) + huge + std::string(kViewerSection.substr(1)) +
                           value);
    EXPECT_EQ(Discover(), kNotRegistered);
    // ... but on a line of its own it is read.
    prefix_.WriteSystemReg(std::string(kHeader) + huge + std::string(kViewerSection) + value);
    EXPECT_EQ(Discover(), (Outcome{true, "C:\\Viewer\\"}));
}

TEST_F(BrokenFileTest, BrokenLinesAroundTheValueAreSkipped) {
    prefix_.WriteSystemReg(SystemRegWithViewer(
        "\"Unterminated\"=\"abc\n\"Bad escape at the end\"=\"\\\n@=\"C:\\\\Viewer\\\\v.exe\"\n"));
    EXPECT_EQ(Discover(), (Outcome{true, "C:\\Viewer\\"}));
    prefix_.WriteSystemReg(SystemRegWithViewer("@=\"C:\\\\Viewer\\\\v.exe\n"));
    EXPECT_EQ(Discover(), kNotRegistered);
}

TEST_F(BrokenFileTest, SomethingElseInPlaceOfTheFileIsNotARegistration) {
    const auto file = prefix_.Path() / "system.reg";
    std::filesystem::create_directory(file);
    EXPECT_EQ(Discover(), kNotRegistered);
    std::filesystem::remove(file);
    ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
    EXPECT_EQ(Discover(), kNotRegistered);
}

}  // namespace
}  // namespace vantrel
