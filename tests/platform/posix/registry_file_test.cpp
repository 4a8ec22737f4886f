#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "platform/posix/registry/reg_file.h"
#include "platform/registry.h"
#include "shared/utf16.h"
#include "support/temp_dir.h"

namespace vantrel {
namespace {

// A system.reg as Wine writes it: header, comment, architecture, timestamps, escapes, and hex
// data wrapped onto continuation lines.
constexpr std::string_view kWineLayout = R"REG(WINE REGISTRY Version 2
;; All keys relative to \\Machine

#arch=win64

[Software\\Classes\\.txt] 1700000000
#time=1d9e6f0a1b2c3d4
@="txtfile"

[Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\ZORVIKViewer.EXE] 1700000000
#time=1d9e6f0a1b2c3d4
@="C:\\Program Files\\Vi\xe9wer\\ZORVIKViewer.EXE"
"Binary"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,17,18,\
  19,1a,1b,1c,1d,1e,1f
"Count"=dword:0000002a
"Expand"=str(2):"%ProgramFiles%\\Viewer"
"List"=str(7):"one\0two\0"
"Quoted \"name\""="tab\there"
"Smile"="\xd83d\xde00"
"Four digits"="\x00e9de"
"Octal"="\101\102"
"Text as hex"=hex(2):25,00,41,00,25,00,00,00

[Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\ZORVIKViewer.EXE\\Plugins] 1700000000
#time=1d9e6f0a1b2c3d4
@="plugin"
"Only here"="sub"
)REG";

constexpr std::u16string_view kViewerKey =
    u"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\ZORVIKViewer.EXE";

std::vector<BYTE> Utf16Le(std::u16string_view text) {
    std::vector<BYTE> bytes;
    AppendUtf16Le(bytes, text);
    return bytes;
}

// Wine's "hex(N):" form for a symbolic link's target, wrapped as Wine wraps it.
std::string LinkValue(std::u16string_view target) {
    std::string line = "\"SymbolicLinkValue\"=hex(6):";
    const auto bytes = Utf16Le(target);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        char byte[3];
        std::snprintf(byte, sizeof byte, "%02x", bytes[i]);
        line += byte;
        if (i + 1 < bytes.size()) {
            line += (i % 24 == 23) ? ",\\\n  " : ",";
        }
    }
    return line + "\n";
}

class RegistryFileTest : public ::testing::Test {
  protected:
    std::optional<RegistryKey> Read(std::string_view text, std::u16string_view path) {
        test::WriteFile(file_, std::string(text));
        return ReadMachineKeys(file_, {std::u16string(path)}).front();
    }

    // The text of a value, "<none>" when it is missing, "<not text>" for other types.
    static std::string TextOf(const std::optional<RegistryKey>& key, std::u16string_view name) {
        if (!key) {
            return "<no key>";
        }
        const RegistryValue* value = key->FindValue(name);
        if (value == nullptr) {
            return "<none>";
        }
        return ValueText(*value).value_or("<not text>");
    }

    test::TempDir dir_;
    std::filesystem::path file_ = dir_ / "system.reg";
};

TEST_F(RegistryFileTest, ReadsEveryDataFormWineWrites) {
    const auto key = Read(kWineLayout, kViewerKey);
    ASSERT_TRUE(key);
    EXPECT_EQ(TextOf(key, u""), "C:\\Program Files\\Viéwer\\ZORVIKViewer.EXE");
    EXPECT_EQ(key->FindValue(u"")->Type, REG_SZ);
    EXPECT_EQ(key->FindValue(u"")->Data,
              Utf16Le(std::u16string(u"C:\\Program Files\\Viéwer\\ZORVIKViewer.EXE") + u'\0'));

    const RegistryValue* binary = key->FindValue(u"Binary");
    ASSERT_NE(binary, nullptr);
    EXPECT_EQ(binary->Type, REG_BINARY);
    ASSERT_EQ(binary->Data.size(), 32u);
    for (std::size_t i = 0; i < 32; ++i) {
        EXPECT_EQ(binary->Data[i], i);
    }
    const RegistryValue* count = key->FindValue(u"Count");
    ASSERT_NE(count, nullptr);
    EXPECT_EQ(count->Type, REG_DWORD);
    EXPECT_EQ(count->Data, (std::vector<BYTE>{0x2a, 0, 0, 0}));

    EXPECT_EQ(key->FindValue(u"Expand")->Type, REG_EXPAND_SZ);
    EXPECT_EQ(TextOf(key, u"Expand"), "%ProgramFiles%\\Viewer");
    EXPECT_EQ(key->FindValue(u"List")->Type, REG_MULTI_SZ);
    EXPECT_EQ(key->FindValue(u"List")->Data, Utf16Le(std::u16string_view(u"one\0two\0\0", 9)));
    EXPECT_EQ(TextOf(key, u"Quoted \"name\""), "tab\there");
    EXPECT_EQ(TextOf(key, u"Smile"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(TextOf(key, u"Four digits"), "éde");
    EXPECT_EQ(TextOf(key, u"Octal"), "AB");
    EXPECT_EQ(key->FindValue(u"Text as hex")->Type, REG_EXPAND_SZ);
    EXPECT_EQ(TextOf(key, u"Text as hex"), "%A%");
}

TEST_F(RegistryFileTest, CarriageReturnLineEndsReadAlike) {
    std::string crlf;
    for (const char c : kWineLayout) {
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    const auto key = Read(crlf, kViewerKey);
    EXPECT_EQ(TextOf(key, u""), "C:\\Program Files\\Viéwer\\ZORVIKViewer.EXE");
    EXPECT_EQ(key->FindValue(u"Binary")->Data.size(), 32u);
}

TEST_F(RegistryFileTest, SubkeysAndLookalikesAreNotTheKey) {
    const auto key = Read(kWineLayout, kViewerKey);
    EXPECT_EQ(TextOf(key, u"Only here"), "<none>");

    constexpr std::string_view kLookalikes = R"REG(WINE REGISTRY Version 2
[A\\B\\CX] 1
@="sibling"
[A\\B\\C\\D] 1
@="subkey"
)REG";
    EXPECT_EQ(TextOf(Read(kLookalikes, u"A\\B\\C\\D"), u""), "subkey");
    // A key written only through its subkeys exists, without values.
    const auto parent = Read(kLookalikes, u"A\\B\\C");
    ASSERT_TRUE(parent);
    EXPECT_TRUE(parent->Values.empty());
    EXPECT_FALSE(Read(kLookalikes, u"A\\B\\CX\\D"));
    EXPECT_FALSE(Read(kLookalikes, u"A\\B\\C\\D\\E"));
    EXPECT_FALSE(Read(kLookalikes, u"B"));
}

TEST_F(RegistryFileTest, NamesMatchWithoutRegardToCase) {
    constexpr std::string_view kText = R"REG(WINE REGISTRY Version 2
[SOFTWARE\\Caf\xc9\\ZorvikViewer.exe] 1
"PATH"="upper"
"\xe9t\xe9"="accented"
)REG";
    const auto key = Read(kText, u"software\\\\CAFé\\\\zorvikviewer.EXE\\");
    EXPECT_EQ(TextOf(key, u"path"), "upper");
    EXPECT_EQ(TextOf(key, u"ÉTÉ"), "accented");
}

TEST_F(RegistryFileTest, FollowsSymbolicLinksWithinTheMachine) {
    const std::string text =
        "WINE REGISTRY Version 2\n"
        "[System\\\\ControlSet001\\\\Control\\\\Session Manager\\\\Environment] 1\n"
        "\"windir\"=str(2):\"%SystemRoot%\"\n"
        "[System\\\\CurrentControlSet] 1\n"
        "#time=1d9e6f0a1b2c3d4\n"
        "#link\n" +
        LinkValue(u"\\REGISTRY\\Machine\\System\\ControlSet001") + "[Loop\\\\A] 1\n#link\n" +
        LinkValue(u"\\Registry\\Machine\\Loop\\B") + "[Loop\\\\B] 1\n#link\n" +
        LinkValue(u"\\Registry\\Machine\\Loop\\A") + "[Elsewhere] 1\n#link\n" +
        LinkValue(u"\\Registry\\User\\S-1-5-21");
    const auto environment =
        Read(text, u"System\\CurrentControlSet\\Control\\Session Manager\\Environment");
    EXPECT_EQ(TextOf(environment, u"windir"), "%SystemRoot%");
    EXPECT_EQ(environment->Path, u"SYSTEM\\CONTROLSET001\\CONTROL\\SESSION MANAGER\\ENVIRONMENT");
    EXPECT_TRUE(Read(text, u"System\\CurrentControlSet"));
    EXPECT_FALSE(Read(text, u"Loop\\A"));
    EXPECT_FALSE(Read(text, u"Elsewhere"));
}

TEST_F(RegistryFileTest, SkipsTheLinesWineWouldRejectAndKeepsTheRest) {
    constexpr std::string_view kText = R"REG(WINE REGISTRY Version 2
"Before any key"="x"
[K] 1
"Good1"="a"
"Unterminated"="abc
"Ends in a backslash"="C:\\path\\
"Bad hex"=hex:00,1ff,02
"No equals" "x"
"Unknown form"=str(6):"x"
"Dup"="first"
"Good2"="b"
"DUP"="second"
garbage line
[Malformed\\Key
"Orphan"="c"
[K2] 1
"Cut off"=hex:00,01,\
)REG";
    const auto key = Read(kText, u"K");
    ASSERT_TRUE(key);
    ASSERT_EQ(key->Values.size(), 3u);
    EXPECT_EQ(TextOf(key, u"Good1"), "a");
    EXPECT_EQ(TextOf(key, u"Good2"), "b");
    EXPECT_EQ(TextOf(key, u"dup"), "second");
    const auto cut = Read(kText, u"K2");
    ASSERT_TRUE(cut);
    EXPECT_TRUE(cut->Values.empty());
}

// Wine reads the line after a trailing "\" of hex data as more data, whatever it holds.
TEST_F(RegistryFileTest, AContinuedLineIsNeverASectionHeader) {
    constexpr std::string_view kText = R"REG(WINE REGISTRY Version 2
[Other] 1
"Blob"=hex:00,01,\
[K] 1
@="hidden"
)REG";
    EXPECT_FALSE(Read(kText, u"K"));
    const auto other = Read(kText, u"Other");
    ASSERT_TRUE(other);
    EXPECT_EQ(other->FindValue(u"Blob")->Data, (std::vector<BYTE>{0, 1}));
    EXPECT_EQ(TextOf(other, u""), "hidden");  // still in the section of "Other"
}

TEST_F(RegistryFileTest, ZeroBytesEndALineAsForWine) {
    using namespace std::string_literals;
    const auto key = Read(
        "WINE REGISTRY Version 2\n[K] 1\n"
        "\"Cut\"=\"ab\0cd\"\n"
        "\"Whole\"=\"ab\"\0junk\n"s,
        u"K");
    EXPECT_EQ(TextOf(key, u"Cut"), "<none>");
    EXPECT_EQ(TextOf(key, u"Whole"), "ab");
}

TEST_F(RegistryFileTest, OverlongLinesAreSkipped) {
    const std::string huge(kMaxRegistryLineLength + 1, 'A');
    const std::string endless(std::size_t{24} << 20, '[');
    const std::string text = "WINE REGISTRY Version 2\n[K] 1\n\"Before\"=\"1\"\n\"Huge\"=\"" +
                             huge + "\"\n\"After\"=\"2\"\n" + huge + "\n[K2] 1\n@=\"found\"\n" +
                             endless;
    const auto key = Read(text, u"K");
    EXPECT_EQ(TextOf(key, u"Before"), "1");
    EXPECT_EQ(TextOf(key, u"Huge"), "<none>");
    EXPECT_EQ(TextOf(key, u"After"), "2");
    EXPECT_EQ(TextOf(Read(text, u"K2"), u""), "found");
    EXPECT_FALSE(Read(text, u"K3"));
}

TEST_F(RegistryFileTest, ReadsSeveralKeysInOnePass) {
    test::WriteFile(file_, std::string(kWineLayout));
    const auto keys = ReadMachineKeys(
        file_, {std::u16string(kViewerKey), u"Software\\Classes\\.txt", u"Software\\Missing", u""});
    ASSERT_EQ(keys.size(), 4u);
    EXPECT_EQ(TextOf(keys[0], u""), "C:\\Program Files\\Viéwer\\ZORVIKViewer.EXE");
    EXPECT_EQ(TextOf(keys[1], u""), "txtfile");
    EXPECT_FALSE(keys[2]);
    EXPECT_TRUE(keys[3]);  // the root
}

struct UnreadableCase {
    const char* name;
    std::string content;  // written as system.reg unless empty
};

void PrintTo(const UnreadableCase& c, std::ostream* out) {
    *out << c.name;
}

class UnreadableFileTest : public RegistryFileTest,
                           public ::testing::WithParamInterface<UnreadableCase> {};

TEST_P(UnreadableFileTest, HoldsNoKeyButTheRoot) {
    if (!GetParam().content.empty()) {
        test::WriteFile(file_, GetParam().content);
    }
    const auto keys = ReadMachineKeys(file_, {std::u16string(kViewerKey), u""});
    EXPECT_FALSE(keys[0]);
    EXPECT_TRUE(keys[1]);
}

const std::string kViewerSection =
    "\n[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\App Paths\\\\ZORVIKViewer.EXE] 1\n"
    "@=\"C:\\\\Viewer\\\\ZORVIKViewer.EXE\"\n";

INSTANTIATE_TEST_SUITE_P(
    Files, UnreadableFileTest,
    ::testing::Values(UnreadableCase{"Missing", ""},
                      UnreadableCase{"OlderVersion", "WINE REGISTRY Version 1" + kViewerSection},
                      UnreadableCase{"Regedit", "REGEDIT4" + kViewerSection},
                      UnreadableCase{"HeaderWithTrailingBlank",
                                     "WINE REGISTRY Version 2 " + kViewerSection},
                      UnreadableCase{"BlankLine", "\n"},
                      UnreadableCase{"HeaderAlone", "WINE REGISTRY Version 2"},
                      UnreadableCase{"HugeFirstLine", std::string(std::size_t{5} << 20, 'W')}));

TEST_F(RegistryFileTest, DirectoryOrPipeInPlaceOfTheFileHoldsNothing) {
    std::filesystem::create_directory(file_);
    EXPECT_FALSE(ReadMachineKeys(file_, {std::u16string(kViewerKey)}).front());
    std::filesystem::remove(file_);
    ASSERT_EQ(::mkfifo(file_.c_str(), 0600), 0);
    EXPECT_FALSE(ReadMachineKeys(file_, {std::u16string(kViewerKey)}).front());
}

}  // namespace
}  // namespace vantrel
