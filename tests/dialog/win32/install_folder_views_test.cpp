// Registrations as setup programs write them with the system's own reg.exe, 64-bit and 32-bit.
// Windows only: the registry's 32-bit view is Windows' own. The program, 64-bit, finds the key
// either way: the application paths are one key in both views.

#include <windows.h>

#include "dialog/install_folder_fixture.h"

namespace vantrel::test {
namespace {

struct RegToolCase {
    const char* label;
    const wchar_t* arguments;  // after "reg add <the viewer's key> /ve /f"
    Outcome expected;
};

void PrintTo(const RegToolCase& c, std::ostream* out) {
    *out << c.label;
}

// Runs reg.exe as a person would at a command prompt; answers its exit status.
DWORD RunRegAdd(const std::wstring& arguments) {
    std::wstring commandLine =
        L"reg.exe add \"HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App "
        L"Paths\\ZORVIKViewer.EXE\" /ve /f " +
        arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                        nullptr, nullptr, &startup, &process)) {
        return GetLastError();
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 0;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return status;
}

class RegToolTest : public InstallFolderTest, public ::testing::WithParamInterface<RegToolCase> {};

TEST_P(RegToolTest, IsFoundByTheProgram) {
    ASSERT_EQ(RunRegAdd(GetParam().arguments), 0u);
    EXPECT_EQ(Discover(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Views, RegToolTest,
    ::testing::Values(
        RegToolCase{"Plain64",
                    L"/d \"C:\\Program Files\\Viewer\\ZORVIKViewer.EXE\"",
                    {true, "C:\\Program Files\\Viewer\\"}},
        RegToolCase{"Plain32",
                    L"/d \"C:\\Program Files (x86)\\Viewer\\ZORVIKViewer.EXE\" /reg:32",
                    {true, "C:\\Program Files (x86)\\Viewer\\"}},
        RegToolCase{"Expandable32",
                    L"/t REG_EXPAND_SZ /d \"%SystemRoot%\\Viewer\\ZORVIKViewer.EXE\" /reg:32",
                    {true, "C:\\windows\\Viewer\\"}},
        RegToolCase{"EmptyPath32", L"/d \"\" /reg:32", kNotRegistered}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace vantrel::test
