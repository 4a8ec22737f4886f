#include "platform/win32/cabinet/durable_folders.h"

#include <utility>

namespace vantrel::win32 {
namespace {

bool RunningUnderWine() {
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

DWORD FlushFolder(const std::string& folder) {
    // A folder opens only with FILE_FLAG_BACKUP_SEMANTICS; flushing needs write access.
    const HANDLE handle = CreateFileA(folder.c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return GetLastError();
    }
    const DWORD error = FlushFileBuffers(handle) ? ERROR_SUCCESS : GetLastError();
    CloseHandle(handle);
    return error;
}

}  // namespace

DurableFolders::DurableFolders() : needed_(RunningUnderWine()) {}

void DurableFolders::Note(const std::string& folder) {
    // A walk's files mostly come folder by folder.
    if (needed_ && folder != last_) {
        last_ = folder;
        folders_.insert(folder);
    }
}

DWORD DurableFolders::Flush() {
    DWORD first = ERROR_SUCCESS;
    for (const std::string& folder : std::exchange(folders_, {})) {
        const DWORD error = FlushFolder(folder.empty() ? "." : folder);
        if (first == ERROR_SUCCESS) {
            first = error;
        }
    }
    last_.clear();
    return first;
}

}  // namespace vantrel::win32
