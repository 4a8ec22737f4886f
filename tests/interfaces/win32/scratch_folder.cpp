#include "interfaces/scratch_folder.h"

#include <windows.h>

#include <stdexcept>
#include <string>

namespace vantrel::test {

namespace fs = std::filesystem;

namespace {

std::string Utf8(const std::wstring& wide) {
    const int size = static_cast<int>(wide.size());
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, text.data(), length, nullptr, nullptr);
    return text;
}

std::wstring Wide(const std::string& utf8) {
    const int size = static_cast<int>(utf8.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
    return wide;
}

// The temporary folder in long names ("RUNNER~1" is how some systems give it), "\" at the end.
std::wstring TemporaryFolder() {
    wchar_t given[MAX_PATH + 1];
    wchar_t longForm[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, given);
    const DWORD longLength = length == 0 ? 0 : GetLongPathNameW(given, longForm, MAX_PATH + 1);
    if (length == 0 || length > MAX_PATH || longLength == 0 || longLength > MAX_PATH) {
        throw std::runtime_error("no temporary folder");
    }
    return longForm;
}

}  // namespace

ScratchFolder::ScratchFolder() {
    const std::wstring base =
        TemporaryFolder() + L"vantrel-test-" + std::to_wstring(GetCurrentProcessId()) + L"-";
    for (unsigned attempt = 0;; ++attempt) {
        const std::wstring candidate = base + std::to_wstring(attempt);
        if (CreateDirectoryW(candidate.c_str(), nullptr)) {
            host_ = candidate;
            windowsPath_ = Utf8(candidate);
            return;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            throw std::runtime_error("cannot create a scratch folder");
        }
    }
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(host_, ignored);
}

fs::path ScratchFolder::Host(const std::string& relative) const {
    return host_ / Wide(relative);
}

void ScratchFolder::MakeHiddenFolder(const std::string& relative) const {
    const fs::path folder = Host(relative);
    fs::create_directories(folder);
    SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_HIDDEN);
}

char UnmappedDriveLetter() {
    const DWORD drives = GetLogicalDrives();
    for (char letter = 'Q'; letter <= 'Y'; ++letter) {
        if ((drives & (DWORD{1} << (letter - 'A'))) == 0) {
            return letter;
        }
    }
    throw std::runtime_error("every drive letter from Q: to Y: is in use");
}

fs::path HostPathOf(const std::string& windowsPath) {
    return fs::path(Wide(windowsPath));
}

}  // namespace vantrel::test
