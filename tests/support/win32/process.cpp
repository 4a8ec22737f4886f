// The process-level helpers of the tests, over Windows (under Wine).

#include <windows.h>

#include <stdexcept>

#include "platform/win32/text/ansi_text.h"
#include "support/host_program.h"
#include "support/temp_dir.h"
#include "support/win32/wine.h"

namespace vantrel::test {
namespace {

// One argument as the C runtime splits a command line again: quoted when it holds a blank or a
// quote, with the backslashes before a quote doubled.
std::wstring QuotedArgument(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) {
        return argument;
    }
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

std::wstring Wide(const std::string& utf8) {
    return win32::WideFrom(utf8, CP_UTF8);
}

}  // namespace

void SetProcessVariable(const std::string& name, const std::optional<std::string>& value) {
    // The C library keeps a copy of its own, which getenv reads.
    _putenv_s(name.c_str(), value ? value->c_str() : "");
    SetEnvironmentVariableW(Wide(name).c_str(), value ? Wide(*value).c_str() : nullptr);
}

namespace {

// `sh -c` running `program` in `hostFolder` and writing its exit status to `statusFile` (all host
// paths), then renaming it into place, so that a status file is only ever seen whole.
std::wstring StatusReportingCommandLine(const std::string& statusFile,
                                        const std::string& hostFolder, const std::string& program,
                                        const std::vector<std::string>& arguments) {
    std::wstring commandLine =
        L"sh -c \"(cd \\\"$1\\\" && shift && \\\"$@\\\"); echo $? >\\\"$0.part\\\" && "
        L"mv \\\"$0.part\\\" \\\"$0\\\"\"";
    for (const auto& word : {statusFile, hostFolder, program}) {
        commandLine += L" " + QuotedArgument(Wide(word));
    }
    for (const auto& argument : arguments) {
        commandLine += L" " + QuotedArgument(Wide(argument));
    }
    return commandLine;
}

// The exit status the shell left in `statusFile`; -1 when none came within two minutes.
int AwaitedStatus(const std::filesystem::path& statusFile) {
    for (int waited = 0; !std::filesystem::exists(statusFile); waited += 10) {
        if (waited > 120'000) {
            return -1;
        }
        Sleep(10);
    }
    return std::stoi(ReadFile(statusFile));
}

}  // namespace

// A host program started by Wine is no Windows process: its handle cannot be waited for and
// has no exit code. A shell runs it in the folder asked for and leaves its exit status in a file,
// which is waited for instead.
int RunHostProgram(const std::string& program, const std::vector<std::string>& arguments,
                   const std::filesystem::path& folder) {
    const TempDir statusFolder;
    const auto statusFile = statusFolder / "status";
    const auto shell = WindowsPathOfHostPath("/bin/sh");
    const auto hostFolder = HostPathOfWindowsPath(std::filesystem::absolute(folder).wstring());
    if (!shell || !hostFolder) {
        return -1;
    }
    std::wstring commandLine =
        StatusReportingCommandLine(HostSystemPath(statusFile), *hostFolder, program, arguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(shell->c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
        return -1;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return AwaitedStatus(statusFile);
}

// A command interpreter reading its commands from a pipe: it ends when the pipe closes. It
// inherits the file's handle, which the test then lets go of.
struct HeldByAnotherProcess::Child {
    PROCESS_INFORMATION Process{};
    HANDLE Release = nullptr;
};

HeldByAnotherProcess::HeldByAnotherProcess(const std::filesystem::path& path)
    : child_(std::make_unique<Child>()) {
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    const HANDLE file = CreateFileW(path.wstring().c_str(), GENERIC_READ, FILE_SHARE_READ,
                                    &inherited, OPEN_EXISTING, 0, nullptr);
    const HANDLE nowhere =
        CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherited, OPEN_EXISTING, 0, nullptr);
    HANDLE commands = nullptr;
    if (file == INVALID_HANDLE_VALUE || !CreatePipe(&commands, &child_->Release, &inherited, 0)) {
        throw std::runtime_error("cannot hold " + path.string());
    }
    SetHandleInformation(child_->Release, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = commands;
    startup.hStdOutput = startup.hStdError = nowhere;
    std::wstring commandLine = L"cmd.exe /q";
    const BOOL started =
        CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                       nullptr, nullptr, &startup, &child_->Process);
    for (const HANDLE handle : {file, nowhere, commands}) {
        CloseHandle(handle);
    }
    if (!started) {
        throw std::runtime_error("cannot start cmd.exe");
    }
}

HeldByAnotherProcess::~HeldByAnotherProcess() {
    CloseHandle(child_->Release);
    WaitForSingleObject(child_->Process.hProcess, INFINITE);
    CloseHandle(child_->Process.hProcess);
    CloseHandle(child_->Process.hThread);
}

std::string HostSystemPath(const std::filesystem::path& path) {
    const auto hostPath = HostPathOfWindowsPath(std::filesystem::absolute(path).wstring());
    if (!hostPath) {
        throw std::runtime_error("not under Wine: no host path for " + path.string());
    }
    return *hostPath;
}

}  // namespace vantrel::test
