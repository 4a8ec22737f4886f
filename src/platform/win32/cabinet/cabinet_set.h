#pragma once

// The parts of a cabinet set, read from their headers before anything is written. The system's
// service walks only the files that begin in the cabinet it is given (following a file split at
// its end into the next part); the layer walks each part in turn, and so must know them all, and
// that each can be walked on its own, before the first file is written.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace vantrel::win32 {

struct CabinetPart {
    std::string Path;      // ANSI Windows path
    std::string Folder;    // the folder it lies in, ending in "\"
    std::string NextName;  // the file name of the part after it; empty for the last part
    std::string NextDisk;
    USHORT SetId = 0;
    USHORT Number = 0;
};

// Asks where the part after `previous` lies: 0 with `folder` left alone for the folder of
// `previous`, or set to another; a nonzero code ends the gathering with that code.
using PartLocator = std::function<DWORD(const CabinetPart& previous, std::string& folder)>;

// The cabinet at `firstPath` and, when its header names a next part, every further part of its
// set, first to last: 0, or the Windows code of why the set cannot be walked (a part missing,
// unreadable, not the next one of the set, or holding a file that begins inside the folder the
// part before it continues, which the system's service cannot decode on its own). A first
// cabinet that cannot be read as one is answered alone, for the system's service to judge.
DWORD GatherCabinetSet(const std::string& firstPath, const PartLocator& locate,
                       std::vector<CabinetPart>& parts);

}  // namespace vantrel::win32
