#include "platform/win32/cabinet/temporary_file.h"

#include <algorithm>
#include <optional>
#include <random>

namespace vantrel::win32 {
namespace {

constexpr std::string_view kTemporaryMark = ".vantrel-";
constexpr std::string_view kSuffixCharacters =
    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
constexpr std::size_t kRandomLength = 6;
constexpr int kNameAttempts = 100;

// The service's target field holds MAX_PATH bytes with the terminating zero.
constexpr std::size_t kLongestPath = MAX_PATH - 1;

std::string RandomSuffix() {
    static std::mt19937 generator = [] {
        LARGE_INTEGER now{};
        QueryPerformanceCounter(&now);
        return std::mt19937(static_cast<unsigned>(now.QuadPart) ^ GetCurrentProcessId());
    }();
    std::uniform_int_distribution<std::size_t> pick(0, kSuffixCharacters.size() - 1);
    std::string suffix;
    for (std::size_t i = 0; i < kRandomLength; ++i) {
        suffix += kSuffixCharacters[pick(generator)];
    }
    return suffix;
}

// ".<name>.vantrel-XXXXXX" beside `target`, the name shortened, never between the two bytes of
// a character, so that the path fits the service's field; none when even no name would fit.
std::optional<std::string> TemporaryPathFor(const std::string& target) {
    const std::size_t cut = target.find_last_of('\\') + 1;
    const std::string_view folder = std::string_view(target).substr(0, cut);
    const std::string_view name = std::string_view(target).substr(cut);
    const std::size_t fixed = folder.size() + 1 + kTemporaryMark.size() + kRandomLength;
    if (fixed > kLongestPath) {
        return std::nullopt;
    }
    const std::size_t room = kLongestPath - fixed;
    std::size_t keep = 0;
    while (keep < name.size()) {
        const bool pair = IsDBCSLeadByte(static_cast<BYTE>(name[keep])) && keep + 1 < name.size();
        const std::size_t next = keep + (pair ? 2 : 1);
        if (next > room) {
            break;
        }
        keep = next;
    }
    return std::string(folder) + '.' + std::string(name.substr(0, keep)) +
           std::string(kTemporaryMark) + RandomSuffix();
}

}  // namespace

DWORD TemporaryFile::Reserve(const std::string& target) {
    Discard();
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const auto path = TemporaryPathFor(target);
        if (!path) {
            return ERROR_BUFFER_OVERFLOW;
        }
        // CREATE_NEW: the service opens its target without cutting it, so it must start empty.
        const HANDLE reserved =
            CreateFileA(path->c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (reserved != INVALID_HANDLE_VALUE) {
            CloseHandle(reserved);
            target_ = target;
            path_ = *path;
            return ERROR_SUCCESS;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            return error;
        }
    }
    return ERROR_WRITE_FAULT;
}

// The data reaches the disk before the name does, so that not even a power cut can leave a
// target that is neither the old file nor the new one. MOVEFILE_WRITE_THROUGH waits for the
// rename itself on Windows; under Wine the walk flushes the folders at its end. A new target,
// the usual case, costs one rename; only a name that is taken is looked at.
DWORD TemporaryFile::Replace() {
    const BOOL done =
        Flush() &&
        (MoveFileExA(path_.c_str(), target_.c_str(), MOVEFILE_WRITE_THROUGH) || ReplaceExisting());
    if (!done) {
        const DWORD error = GetLastError();
        Discard();
        return error != ERROR_SUCCESS ? error : ERROR_WRITE_FAULT;
    }
    path_.clear();
    return ERROR_SUCCESS;
}

// The service has closed the file by the time it is replaced: it goes on to the next file, or
// has ended the walk. Attributes it took from the cabinet go, as on every other platform: an
// installed image read-only would refuse the next installation.
BOOL TemporaryFile::Flush() const {
    if (!SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL)) {
        return FALSE;
    }
    const HANDLE file =
        CreateFileA(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return FALSE;
    }
    const BOOL flushed = FlushFileBuffers(file);
    const DWORD error = GetLastError();
    CloseHandle(file);
    SetLastError(error);
    return flushed;
}

// After a rename refused for a name that is taken. Windows replaces neither a folder nor a
// read-only file, administrators included; Wine would rename over a read-only one.
BOOL TemporaryFile::ReplaceExisting() const {
    const DWORD refusal = GetLastError();
    if (refusal != ERROR_ALREADY_EXISTS && refusal != ERROR_FILE_EXISTS) {
        return FALSE;
    }
    const DWORD attributes = GetFileAttributesA(target_.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return MoveFileExA(path_.c_str(), target_.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

void TemporaryFile::Discard() noexcept {
    if (path_.empty()) {
        return;
    }
    // When the service still holds it, the file stays for a later walk to remove.
    DeleteFileA(path_.c_str());
    path_.clear();
}

bool IsTemporaryName(std::string_view name) {
    const std::size_t mark = name.rfind(kTemporaryMark);
    if (!name.starts_with('.') || mark == std::string_view::npos || mark == 0) {
        return false;
    }
    const std::string_view suffix = name.substr(mark + kTemporaryMark.size());
    return suffix.size() == kRandomLength && std::all_of(suffix.begin(), suffix.end(), [](char c) {
               return kSuffixCharacters.find(c) != std::string_view::npos;
           });
}

// A file nobody holds opens with no sharing at all; DELETE_ON_CLOSE then removes it as the
// handle closes, so that no other run can take it in between.
void RemoveLeftoverTemporaries(const std::string& folder) {
    const std::string pattern = folder + ".*" + std::string(kTemporaryMark) + "*";
    WIN32_FIND_DATAA entry;
    const HANDLE search = FindFirstFileA(pattern.c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
            IsTemporaryName(entry.cFileName)) {
            const std::string path = folder + entry.cFileName;
            const HANDLE unheld = CreateFileA(path.c_str(), DELETE, 0, nullptr, OPEN_EXISTING,
                                              FILE_FLAG_DELETE_ON_CLOSE, nullptr);
            if (unheld != INVALID_HANDLE_VALUE) {
                CloseHandle(unheld);
            }
        }
    } while (FindNextFileA(search, &entry));
    FindClose(search);
}

}  // namespace vantrel::win32
