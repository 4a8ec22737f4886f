#pragma once

// What the command-line tool tells people when something is not where they expected it: what a
// file begins with, and where this platform keeps its drives and its registry.

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/win_types.h"

namespace vantrel {

// The start of a file, or why it cannot be read.
struct FileStart {
    DWORD Error = ERROR_SUCCESS;  // the system's code when the file cannot be opened or read
    bool IsFolder = false;        // the path names a folder, not a file
    std::string Bytes;            // up to the count asked for; fewer when the file is shorter
};

// Opens the file `windowsPath` for reading, as the cabinet service would, and reads its first
// `count` bytes.
FileStart ReadFileStart(std::string_view windowsPath, std::size_t count);

// Where the drive letters lead, for a message that no drive covers a path: "the drives of the
// Wine prefix /home/me/.wine" on POSIX, "this system's drives" on Windows.
std::string DrivesPlace();

// Where the registry is read from, for a message that the viewer is not registered there, with
// what may keep a registration from being seen: on POSIX the prefix's system.reg, which a Wine
// server still running may not have saved yet.
std::string RegistryPlace();

}  // namespace vantrel
