#include "dialog/install_folder.h"

#include <gtest/gtest.h>

#include <string>

#include "dialog/install_folder_fixture.h"
#include "platform/file_system.h"

namespace vantrel::test {
namespace {

struct RegistrationCase {
    const char* name;
    std::vector<RegistryValue> values;  // of the viewer's key
    Outcome expected;
};

void PrintTo(const RegistrationCase& c, std::ostream* out) {
    *out << c.name;
}

class RegistrationTest : public InstallFolderTest,
                         public ::testing::WithParamInterface<RegistrationCase> {};

TEST_P(RegistrationTest, DecidesTheFolder) {
    registry_.Register(GetParam().values);
    EXPECT_EQ(Discover(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, RegistrationTest,
    ::testing::Values(
        RegistrationCase{"PlainPath",
                         {ViewerPath("C:\\Program Files\\Viewer\\ZORVIKViewer.EXE")},
                         {true, "C:\\Program Files\\Viewer\\"}},
        RegistrationCase{"FolderOnly",
                         {ViewerPath("C:\\Program Files\\Viewer\\")},
                         {true, "C:\\Program Files\\Viewer\\"}},
        RegistrationCase{"NoFolder", {ViewerPath("ZORVIKViewer.EXE")}, kNotRegistered},
        RegistrationCase{"EmptyString", {ViewerPath("")}, kNotRegistered},
        RegistrationCase{"NoValues", {}, kNotRegistered},
        RegistrationCase{"Dword", {{"", kRegDword, std::string("\1\0\0\0", 4)}}, kNotRegistered},
        RegistrationCase{
            "Binary", {{"", kRegBinary, std::string("C:\\v.exe\0", 9)}}, kNotRegistered},
        RegistrationCase{"MultiString",
                         {{"", kRegMultiString, std::string("C:\\Viewer\\ZORVIKViewer.EXE\0", 27)}},
                         kNotRegistered},
        RegistrationCase{
            "NoDefaultValue", {{"Path", kRegString, "C:\\Program Files\\Viewer"}}, kNotRegistered},
        RegistrationCase{"Quoted",
                         {ViewerPath("\"C:\\Program Files\\Viewer\\ZORVIKViewer.EXE\"")},
                         {true, "C:\\Program Files\\Viewer\\"}},
        RegistrationCase{"OneQuoteOnly",
                         {ViewerPath("\"C:\\Viewer\\ZORVIKViewer.EXE")},
                         {true, "\"C:\\Viewer\\"}},
        RegistrationCase{
            "QuotedWithoutFolder", {ViewerPath("\"ZORVIKViewer.EXE\"")}, kNotRegistered},
        RegistrationCase{"ExpandableQuoted",
                         {{"", kRegExpandString, "\"%programfiles%\\Viewer\\ZORVIKViewer.EXE\""}},
                         {true, "C:\\Program Files\\Viewer\\"}},
        RegistrationCase{"ExpandableFromSessionEnvironment",
                         {{"", kRegExpandString, "%ComSpec%"}},
                         {true, "C:\\windows\\system32\\"}},
        RegistrationCase{
            "ExpandableToNoFolder", {{"", kRegExpandString, "%VantrelUnknown%"}}, kNotRegistered}),
    [](const auto& info) { return std::string(info.param.name); });

// What a setup program may write as the viewer's folder: every variable Windows gives a 64-bit
// program that a registration may plausibly name, in any case, and one nobody defines.
struct VariableCase {
    const char* variable;
    const char* folder;  // "~" stands for the user's profile folder
};

class ExpandedRegistrationTest : public InstallFolderTest,
                                 public ::testing::WithParamInterface<VariableCase> {};

TEST_P(ExpandedRegistrationTest, NamesTheFolderTheVariableHolds) {
    const std::string variable = GetParam().variable;
    registry_.Register({{"", kRegExpandString, "%" + variable + "%\\Viewer\\ZORVIKViewer.EXE"}});
    std::string folder = GetParam().folder;
    if (folder.starts_with('~')) {
        folder.replace(0, 1, UserProfileFolder());
    }
    EXPECT_EQ(Discover(), (Outcome{true, folder + "\\Viewer\\"}));
}

INSTANTIATE_TEST_SUITE_P(
    Variables, ExpandedRegistrationTest,
    ::testing::Values(VariableCase{"ProgramFiles", "C:\\Program Files"},
                      VariableCase{"ProgramFiles(x86)", "C:\\Program Files (x86)"},
                      VariableCase{"ProgramW6432", "C:\\Program Files"},
                      VariableCase{"CommonProgramFiles", "C:\\Program Files\\Common Files"},
                      VariableCase{"CommonProgramFiles(x86)",
                                   "C:\\Program Files (x86)\\Common Files"},
                      VariableCase{"CommonProgramW6432", "C:\\Program Files\\Common Files"},
                      VariableCase{"SystemRoot", "C:\\windows"},
                      VariableCase{"WINDIR", "C:\\windows"},
                      VariableCase{"ProgramData", "C:\\ProgramData"},
                      VariableCase{"ALLUSERSPROFILE", "C:\\ProgramData"},
                      VariableCase{"PUBLIC", "C:\\users\\Public"}, VariableCase{"USERPROFILE", "~"},
                      VariableCase{"APPDATA", "~\\AppData\\Roaming"},
                      VariableCase{"localappdata", "~\\AppData\\Local"},
                      VariableCase{"VantrelUndefined", "%VantrelUndefined%"}),
    [](const auto& info) {
        std::string name = info.param.variable;
        std::erase_if(name, [](char c) { return c == '(' || c == ')'; });
        return name;
    });

TEST_F(InstallFolderTest, TakesAPathOf511BytesButNotOf512) {
    const auto pathOfLength = [](std::size_t length) {
        const std::string start = "C:\\";
        const std::string end = "\\ZORVIKViewer.EXE";
        return start + std::string(length - start.size() - end.size(), 'd') + end;
    };
    const std::string fits = pathOfLength(511);
    registry_.Register({ViewerPath(fits)});
    EXPECT_EQ(Discover(), (Outcome{true, fits.substr(0, fits.rfind('\\') + 1)}));

    registry_.Register({ViewerPath(pathOfLength(512))});
    EXPECT_EQ(Discover(), kNotRegistered);
}

// The key is opened, never created: an installer of images leaves no empty key of the viewer's.
TEST_F(InstallFolderTest, WithoutTheKeyTheViewerIsNotRegisteredAndNoKeyIsLeft) {
    EXPECT_EQ(Discover(), kNotRegistered);
    EXPECT_FALSE(registry_.KeyExists());
}

TEST_F(InstallFolderTest, ProcessEnvironmentComesBeforeTheRegistry) {
    const ScopedEnv programFiles("PROGRAMFILES", "D:\\Apps");
    registry_.Register({{"", kRegExpandString, "%ProgramFiles%\\Viewer\\ZORVIKViewer.EXE"}});
    EXPECT_EQ(Discover(), (Outcome{true, "D:\\Apps\\Viewer\\"}));
}

TEST_F(InstallFolderTest, TheFolderIsFoundOnDiskAsTheFileSystemSpellsIt) {
    std::filesystem::create_directories(scratch_.Host("program files/VIEWER"));
    registry_.Register({ViewerPath(scratch_.Windows("Program Files\\Viewer\\ZORVIKViewer.EXE"))});
    const Outcome outcome = Discover();
    ASSERT_EQ(outcome, (Outcome{true, scratch_.Windows("Program Files\\Viewer\\")}));
    EXPECT_EQ(ExistingFolder(outcome.Folder), scratch_.Windows("program files\\VIEWER"));
}

TEST_F(InstallFolderTest, ClosingWithoutAQueryTakesNoFolder) {
    registry_.Register({ViewerPath("C:\\Program Files\\Viewer\\ZORVIKViewer.EXE")});
    InstallFolderDiscovery discovery;
    EXPECT_FALSE(discovery.ViewerRegistered());
    discovery.CloseAndTakeFolder();
    EXPECT_EQ(discovery.InstallFolder(), "");
}

}  // namespace
}  // namespace vantrel::test
