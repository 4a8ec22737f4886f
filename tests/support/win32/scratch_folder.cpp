#include "support/scratch_folder.h"

#include <windows.h>

#include <stdexcept>
#include <string>

#include "platform/win32/text/ansi_text.h"

namespace vantrel::test {

namespace fs = std::filesystem;

namespace {

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

// Nothing beyond the folder itself: the system's drives and registry are the real ones.
struct ScratchFolder::Place {};

ScratchFolder::ScratchFolder() : place_(std::make_unique<Place>()) {
    const std::wstring base =
        TemporaryFolder() + L"vantrel-test-" + std::to_wstring(GetCurrentProcessId()) + L"-";
    for (unsigned attempt = 0;; ++attempt) {
        const std::wstring candidate = base + std::to_wstring(attempt);
        if (CreateDirectoryW(candidate.c_str(), nullptr)) {
            host_ = candidate;
            windowsPath_ = win32::BytesFrom(candidate, CP_UTF8);
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
    return host_ / win32::WideFrom(relative, CP_UTF8);
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
    return fs::path(win32::WideFrom(windowsPath, CP_UTF8));
}

}  // namespace vantrel::test
