#include "platform/diagnostics.h"

#include <windows.h>

#include "platform/win32/text/ansi_text.h"

namespace vantrel {

FileStart ReadFileStart(std::string_view windowsPath, std::size_t count) {
    FileStart start;
    const std::wstring path = win32::WideFrom(std::string(windowsPath), CP_UTF8);
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        start.IsFolder = true;
        return start;
    }
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        start.Error = GetLastError();
        return start;
    }
    start.Bytes.resize(count);
    DWORD got = 0;
    if (!ReadFile(file, start.Bytes.data(), static_cast<DWORD>(count), &got, nullptr)) {
        start.Error = GetLastError();
        got = 0;
    }
    start.Bytes.resize(got);
    CloseHandle(file);
    return start;
}

std::string DrivesPlace() {
    return "this system's drives";
}

std::string RegistryPlace() {
    return "this system's registry";
}

}  // namespace vantrel
