#include "platform/file_system.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstring>

#include "platform/win32/text/ansi_text.h"

// The system works in ANSI paths; the interface in UTF-8. Everything below the public functions
// speaks ANSI, and the public functions convert on the way in and out.

namespace vantrel {
namespace {

using win32::AnsiFromUtf8;
using win32::Utf8FromAnsi;

// "X:\", the only form of path the interface knows: UNC and device paths have no drive letter.
bool HasDriveRoot(const std::string& path) {
    return path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) &&
           path[1] == ':' && path[2] == '\\';
}

// Characters no name may hold. Several of them are wildcards to FindFirstFileA, which would
// otherwise answer with some other folder's spelling.
bool HasForbiddenCharacter(std::string_view names) {
    return std::any_of(names.begin(), names.end(), [](char c) {
        return static_cast<unsigned char>(c) < 32 || std::strchr("<>:\"|?*", c) != nullptr;
    });
}

// Calls one of the functions that fill a caller's buffer, growing the buffer until the answer
// fits. `fill` answers the length written, or at least the buffer's size when it did not fit,
// or 0 on failure.
template <typename Fill>
std::optional<std::string> FilledBuffer(Fill fill) {
    std::string buffer(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = fill(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return std::nullopt;
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        buffer.resize(std::max<size_t>(length + 1, buffer.size() * 2));
    }
}

std::optional<std::string> FullPath(const std::string& path) {
    return FilledBuffer([&](char* buffer, DWORD size) {
        return GetFullPathNameA(path.c_str(), size, buffer, nullptr);
    });
}

bool IsFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The name of the existing entry `path` names, as the folder holding it spells it; nullopt when
// there is none, or when it is not a folder.
std::optional<std::string> SpelledFolderName(const std::string& path) {
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    FindClose(search);
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return std::nullopt;
    }
    return std::string(found.cFileName);
}

// The absolute folder path `fullPath` spelled component by component as the file system spells
// it, the drive letter upper case, no "\" at the end but at a root.
std::optional<std::string> SpelledFolder(const std::string& fullPath) {
    if (!HasDriveRoot(fullPath) || HasForbiddenCharacter(std::string_view(fullPath).substr(3))) {
        return std::nullopt;
    }
    std::string spelled = {static_cast<char>(std::toupper(static_cast<unsigned char>(fullPath[0]))),
                           ':', '\\'};
    if (!IsFolder(spelled)) {
        return std::nullopt;
    }
    size_t start = 3;
    while (start < fullPath.size()) {
        size_t end = fullPath.find('\\', start);
        if (end == std::string::npos) {
            end = fullPath.size();
        }
        if (end > start) {
            const std::string separator = spelled.back() == '\\' ? "" : "\\";
            const auto name =
                SpelledFolderName(spelled + separator + fullPath.substr(start, end - start));
            if (!name) {
                return std::nullopt;
            }
            spelled += separator + *name;
        }
        start = end + 1;
    }
    return spelled;
}

std::optional<std::string> ExistingAnsiFolder(const std::string& ansiPath) {
    const auto full = FullPath(ansiPath);
    return full ? SpelledFolder(*full) : std::nullopt;
}

std::optional<std::string> AsUtf8(const std::optional<std::string>& ansi) {
    return ansi ? std::optional(Utf8FromAnsi(*ansi)) : std::nullopt;
}

// The order the POSIX layer gives too: byte by byte, ASCII letters without regard to case.
bool LessIgnoringCase(const std::string& a, const std::string& b) {
    return _stricmp(a.c_str(), b.c_str()) < 0;
}

bool IsVisibleSubFolder(const WIN32_FIND_DATAA& entry) {
    const std::string_view name = entry.cFileName;
    return (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
           (entry.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) == 0 && name != "." && name != "..";
}

// The Windows path (UTF-8) Wine gives the host's absolute path `ansiPath` ("/home/a/x.cab");
// nullopt for any other path, and on Windows itself, where "/x" is a folder of the current drive.
// A host path no drive covers comes back in Wine's "\\?\unix\" form, which names no drive.
std::optional<std::string> DriveOfHostPath(std::string_view ansiPath) {
    using DosFileName = WCHAR*(CDECL*)(const char* unixName);
    const auto dosFileName = reinterpret_cast<DosFileName>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_dos_file_name")));
    if (ansiPath.empty() || ansiPath.front() != '/' || dosFileName == nullptr) {
        return std::nullopt;
    }
    // The host names its files in UTF-8.
    WCHAR* mapped = dosFileName(Utf8FromAnsi(ansiPath).c_str());
    if (mapped == nullptr) {
        return std::nullopt;
    }
    std::string path = win32::BytesFrom(mapped, CP_UTF8);
    HeapFree(GetProcessHeap(), 0, mapped);
    return path;
}

}  // namespace

std::vector<char> DriveLetters() {
    std::vector<char> letters;
    const DWORD drives = GetLogicalDrives();
    for (int index = 0; index < 26; ++index) {
        if ((drives & (DWORD{1} << index)) != 0) {
            letters.push_back(static_cast<char>('A' + index));
        }
    }
    return letters;
}

std::optional<std::string> CurrentFolder() {
    const auto current =
        FilledBuffer([](char* buffer, DWORD size) { return GetCurrentDirectoryA(size, buffer); });
    return current ? AsUtf8(SpelledFolder(*current)) : std::nullopt;
}

std::optional<std::string> ExistingFolder(std::string_view windowsPath) {
    return AsUtf8(ExistingAnsiFolder(AnsiFromUtf8(windowsPath)));
}

// Hidden folders are the ones with the hidden attribute. Wine gives it to names starting with a
// dot, so under Wine the same folders are left out as on POSIX.
std::vector<std::string> SubFolders(std::string_view windowsFolder) {
    std::vector<std::string> names;
    const auto folder = ExistingAnsiFolder(AnsiFromUtf8(windowsFolder));
    if (!folder) {
        return names;
    }
    const std::string pattern = *folder + (folder->back() == '\\' ? "*" : "\\*");
    WIN32_FIND_DATAA entry;
    const HANDLE search = FindFirstFileA(pattern.c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        if (IsVisibleSubFolder(entry)) {
            names.push_back(Utf8FromAnsi(entry.cFileName));
        }
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    std::sort(names.begin(), names.end(), LessIgnoringCase);
    return names;
}

// The folder as the loader names the program, not re-spelled: that is the path it was started by.
std::optional<std::string> ExecutableFolder() {
    const auto program = FilledBuffer(
        [](char* buffer, DWORD size) { return GetModuleFileNameA(nullptr, buffer, size); });
    if (!program || !HasDriveRoot(*program)) {
        return std::nullopt;
    }
    const size_t lastSeparator = program->rfind('\\');
    return Utf8FromAnsi(program->substr(0, std::max<size_t>(lastSeparator, 3)));
}

// The argument comes as main() receives it on Windows: in the ANSI code page. A program run by
// Wine may also be given the host's own paths, which Wine maps to its drives.
std::optional<std::string> WindowsPathOfArgument(std::string_view argument) {
    if (const auto mapped = DriveOfHostPath(argument)) {
        return HasDriveRoot(*mapped) ? mapped : std::nullopt;
    }
    const auto full = FullPath(std::string(argument));
    return full && HasDriveRoot(*full) ? AsUtf8(full) : std::nullopt;
}

}  // namespace vantrel
