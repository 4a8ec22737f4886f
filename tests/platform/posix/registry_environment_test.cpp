#include <gtest/gtest.h>

#include <map>

#include "platform/ansi.h"
#include "platform/kernel.h"
#include "platform/posix/registry/environment.h"
#include "support/posix/temp_prefix.h"

namespace vantrel {
namespace {

struct ExpandCase {
    const char* text;
    const char* expanded;
};

void PrintTo(const ExpandCase& c, std::ostream* out) {
    *out << '"' << c.text << '"';
}

class ExpandTest : public ::testing::TestWithParam<ExpandCase> {};

TEST_P(ExpandTest, ReplacesKnownNamesOnly) {
    const std::map<std::string, std::string> variables{
        {"PROGRAMFILES", "C:\\Program Files"}, {"A", "%B%"}, {"B", "b"}, {"EMPTY", ""}};
    const auto lookup = [&](std::string_view name) -> std::optional<std::string> {
        std::string upper(name);
        for (auto& c : upper) {
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
        const auto it = variables.find(upper);
        return it == variables.end() ? std::nullopt : std::optional(it->second);
    };
    EXPECT_EQ(ExpandEnvironmentReferences(GetParam().text, lookup), GetParam().expanded);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ExpandTest,
    ::testing::Values(ExpandCase{"%ProgramFiles%\\Viewer\\v.exe",
                                 "C:\\Program Files\\Viewer\\v.exe"},
                      ExpandCase{"no references", "no references"},
                      ExpandCase{"%Unknown%\\v.exe", "%Unknown%\\v.exe"},
                      // After an unknown name the scan goes on behind its closing "%".
                      ExpandCase{"%Unknown%B%", "%Unknown%B%"}, ExpandCase{"%%B%", "%%B%"},
                      ExpandCase{"50% off", "50% off"}, ExpandCase{"%b%%B%", "bb"},
                      ExpandCase{"%A%", "%B%"},  // one level only
                      ExpandCase{"x%EMPTY%y", "xy"}, ExpandCase{"%", "%"}, ExpandCase{"", ""}));

TEST(ProcessVariableTest, PrefersTheExactNameAndFallsBackToAnyCase) {
    test::ScopedEnv exact("VantrelProbe", "exact");
    test::ScopedEnv other("VANTRELPROBE", "other");
    test::ScopedEnv single("VantrelSingle", "single");
    EXPECT_EQ(ProcessVariable("VantrelProbe"), "exact");
    EXPECT_EQ(ProcessVariable("VANTRELPROBE"), "other");
    EXPECT_EQ(ProcessVariable("vantrelsingle"), "single");
    EXPECT_EQ(ProcessVariable("VantrelAbsent"), std::nullopt);
    // Wine hands the host's own TEMP to no Windows program.
    test::ScopedEnv temp("TEMP", "/tmp");
    EXPECT_EQ(ProcessVariable("TEMP"), std::nullopt);
}

// Variables of the session's environment beside ComSpec, which the prefix's keys always hold.
constexpr std::string_view kEnvironmentLines = R"REG("ProgramData"="C:\\ProgramData"
"TEMP"=str(2):"%USERPROFILE%\\AppData\\Local\\Temp"
"ProgramFiles"="D:\\Ignored"
"Nested"=str(2):"%ComSpec%;%windir%"
"Count"=dword:00000001
)REG";

class RegistryVariablesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        prefix_.WriteSystemReg(test::SystemRegWithEnvironment(kEnvironmentLines));
    }

    test::TempPrefix prefix_;
    test::ScopedEnv noProfile_{"USERPROFILE", std::nullopt};
    test::ScopedEnv noComSpec_{"ComSpec", std::nullopt};
    test::ScopedEnv noWindir_{"windir", std::nullopt};
    test::ScopedEnv noSystemRoot_{"SystemRoot", std::nullopt};
};

// Each variable once, as the last of the prefix's sources that sets it gives it.
TEST_F(RegistryVariablesTest, LaterSourcesReplaceEarlierOnes) {
    const Variables variables = RegistryVariables();
    const std::map<std::string, std::string> found(variables.begin(), variables.end());
    EXPECT_EQ(found.size(), variables.size());
    EXPECT_EQ(found.at("TEMP"), "C:\\users\\tester\\Temp");    // the user's own
    EXPECT_EQ(found.at("ProgramFiles"), "C:\\Program Files");  // the version key's
    // Expanded against what was set before it, in the order of the names.
    EXPECT_EQ(found.at("Nested"), "C:\\windows\\system32\\cmd.exe;%windir%");
    EXPECT_EQ(found.count("Count"), 0u);  // no text
}

TEST_F(RegistryVariablesTest, ExpansionPrefersTheProcessEnvironment) {
    test::ScopedEnv programFiles("PROGRAMFILES", "E:\\Apps");
    WindowsEnvironment environment;
    EXPECT_EQ(environment.Expand("%ProgramFiles%\\Viewer;%windir%;%Missing%"),
              "E:\\Apps\\Viewer;C:\\windows;%Missing%");
}

// kernel32's form: ANSI in and out, the size needed answered, nothing written when it does not
// fit.
TEST_F(RegistryVariablesTest, ExpandEnvironmentStringsAnswersTheSizeItNeeds) {
    const std::string expanded = "C:\\windows\\system32\\cmd.exe;%Missing%";
    const auto needed = static_cast<DWORD>(expanded.size() + 1);
    EXPECT_EQ(ExpandEnvironmentStringsA("%ComSpec%;%Missing%", nullptr, 0), needed);

    std::string buffer(needed - 1, 'x');
    EXPECT_EQ(ExpandEnvironmentStringsA("%ComSpec%;%Missing%", buffer.data(), needed - 1), needed);
    EXPECT_EQ(buffer, std::string(needed - 1, 'x'));

    buffer.assign(needed, 'x');
    EXPECT_EQ(ExpandEnvironmentStringsA("%ComSpec%;%Missing%", buffer.data(), needed), needed);
    EXPECT_EQ(buffer, expanded + '\0');

    SetLastError(0);
    EXPECT_EQ(ExpandEnvironmentStringsA(nullptr, buffer.data(), needed), 0u);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryVariablesTest, ExpandEnvironmentStringsSpeaksTheAnsiCodePage) {
    test::ScopedEnv japanese("LC_ALL", "ja_JP.UTF-8");
    test::ScopedEnv folder("VantrelFolder", "C:\\表示");
    const std::string source = ToAnsi("%VantrelFolder%\\ソフト", 932);
    std::string buffer(64, '\0');
    const DWORD needed = ExpandEnvironmentStringsA(source.c_str(), buffer.data(), 64);
    EXPECT_EQ(buffer.substr(0, needed), ToAnsi("C:\\表示\\ソフト", 932) + '\0');
}

TEST_F(RegistryVariablesTest, AnEmptyPrefixGivesOnlyWhatWineSetsItself) {
    prefix_.WriteSystemReg("WINE REGISTRY Version 2\n");
    std::filesystem::remove(prefix_.Path() / "user.reg");
    EXPECT_EQ(RegistryVariables(),
              (Variables{{"SystemDrive", "C:"}, {"SystemRoot", "C:\\windows"}}));
}

}  // namespace
}  // namespace vantrel
