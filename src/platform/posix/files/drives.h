#pragma once

// Windows paths over the host's file system, mapped the way a Wine prefix maps them: each drive
// letter is an entry "a:" ... "z:" of $WINEPREFIX/dosdevices (default prefix ~/.wine), a symbolic
// link to a host folder. Without such a folder the only drive is Z:, the host's "/".

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win_types.h"

namespace vantrel {

// The Wine prefix in use: $WINEPREFIX, else ~/.wine.
std::filesystem::path WinePrefix();

struct DriveMapping {
    char Letter;                 // upper case, 'A' to 'Z'
    std::filesystem::path Root;  // the host folder the drive's root stands for
};

// The drives of the prefix, in letter order.
std::vector<DriveMapping> MappedDrives();

// Where a Windows path lies on the host, or why it cannot be reached. Both "\" and "/" separate;
// "." and ".." are resolved lexically and never climb above the drive's root; a path without a
// drive is taken relative to the current folder. An existing component is matched without regard
// to case when there is no exact match.
struct HostPath {
    std::filesystem::path Path;   // valid when Error is 0
    DWORD Error = ERROR_SUCCESS;  // ERROR_PATH_NOT_FOUND: unmapped drive or UNC path;
                                  // ERROR_INVALID_NAME: a component holds < > : " | ? * or a
                                  // control character
};
HostPath ToHostPath(std::string_view windowsPath);

// While one lives (on this thread), host folders seen to exist are remembered, which spares
// looking again for each file of a folder; a cabinet walk keeps one. A folder removed meanwhile
// is still taken to exist, and whatever is done in it next fails the way it would have. Without
// one, nothing is remembered.
class FolderMemory {
  public:
    FolderMemory();
    ~FolderMemory();
    FolderMemory(const FolderMemory&) = delete;
    FolderMemory& operator=(const FolderMemory&) = delete;
};
bool SeenFolderLately(const std::filesystem::path& folder);
void NoteFolderSeen(const std::filesystem::path& folder);

// The existing file a host path names, as Windows finds it: when nothing is there under the
// exact name, an entry of the same folder whose name differs only in case; else `path` itself.
// ToHostPath leaves the last component as spelled, since most paths it makes are new files.
std::filesystem::path ExistingEntry(const std::filesystem::path& path);

// The Windows path of a host path, through the drive whose root is its longest prefix; nullopt
// when no drive covers it. Relative host paths are taken from the current folder.
std::optional<std::string> ToWindowsPath(const std::filesystem::path& hostPath);

}  // namespace vantrel
