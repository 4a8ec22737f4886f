#include "support/win32/wine.h"

#include <windows.h>

namespace vantrel::test {
namespace {

using DosNameOfUnixName = WCHAR*(CDECL*)(const char*);
using UnixNameOfDosName = char*(CDECL*)(const WCHAR*);

// Looked up at run time: Windows has no such functions, and the tests must still load there.
template <typename Function>
Function WineExport(const char* name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), name)));
}

}  // namespace

std::optional<std::wstring> WindowsPathOfHostPath(const std::string& unixPath) {
    const auto convert = WineExport<DosNameOfUnixName>("wine_get_dos_file_name");
    WCHAR* converted = convert ? convert(unixPath.c_str()) : nullptr;
    if (converted == nullptr) {
        return std::nullopt;
    }
    std::wstring path = converted;
    HeapFree(GetProcessHeap(), 0, converted);
    return path;
}

std::optional<std::string> HostPathOfWindowsPath(const std::wstring& windowsPath) {
    const auto convert = WineExport<UnixNameOfDosName>("wine_get_unix_file_name");
    char* converted = convert ? convert(windowsPath.c_str()) : nullptr;
    if (converted == nullptr) {
        return std::nullopt;
    }
    std::string path = converted;
    HeapFree(GetProcessHeap(), 0, converted);
    return path;
}

}  // namespace vantrel::test
