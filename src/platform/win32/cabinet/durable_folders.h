#pragma once

// The folders a walk gave files new names in. On Windows MOVEFILE_WRITE_THROUGH returns only once
// a rename is on the disk. Wine renames the host's file and does no more, and the host's file
// system keeps a rename in memory until the folder is flushed: under Wine every such folder is
// flushed once, at the end of the walk.

#include <windows.h>

#include <string>
#include <unordered_set>

namespace vantrel::win32 {

class DurableFolders {
  public:
    DurableFolders();

    // Remembers the folder (ANSI, ending in "\") a file was just renamed in.
    void Note(const std::string& folder);

    // Flushes every folder noted since the last call: 0, or the Windows code of the first
    // failure.
    DWORD Flush();

  private:
    bool needed_;
    std::string last_;
    std::unordered_set<std::string> folders_;
};

}  // namespace vantrel::win32
