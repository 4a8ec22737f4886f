#pragma once

// The file the system's service writes in place of a target. The service opens the target it is
// given and writes into it without cutting it to the new length, so a target must never be given
// to it: it gets a fresh, empty temporary file ".<name>.vantrel-XXXXXX" beside the target, which
// takes the target's name in one step once it is complete and on stable storage. Until then a
// file already at the target stays as it was, even when the program is killed.
//
// The temporary file is a plain file, and the layer holds no handle on it while the service
// writes: how the system's service opens its target is not published, and a service that opens
// with CREATE_ALWAYS cannot open a hidden file, one that shares nothing cannot open a file
// someone else holds. A file of that name that nobody holds open is one a killed run left
// behind; while a service writes one, its handle keeps a cleaning run from taking it.

#include <windows.h>

#include <string>
#include <string_view>

namespace vantrel::win32 {

class TemporaryFile {
  public:
    TemporaryFile() = default;
    ~TemporaryFile() { Discard(); }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // Reserves a temporary file for `target` (an ANSI Windows path): 0, or the Windows code of
    // why none can be made beside it (its folder is missing or may not be written, the
    // temporary file's path would not fit MAX_PATH bytes).
    DWORD Reserve(const std::string& target);

    bool IsReserved() const { return !path_.empty(); }
    const std::string& Path() const { return path_; }
    const std::string& Target() const { return target_; }

    // Puts the complete file on stable storage and gives it the target's name in one step,
    // replacing what is there: 0, or the Windows code of the failure (a folder or a read-only
    // file at the target, or one another program holds open, gives 5, or 32 on some Windows).
    // The temporary file is gone either way.
    DWORD Replace();

    // Gives the file up: the temporary file is removed, the target untouched.
    void Discard() noexcept;

  private:
    BOOL Flush() const;
    BOOL ReplaceExisting() const;

    std::string target_;
    std::string path_;
};

// Whether `name` has the form of a temporary file's name.
bool IsTemporaryName(std::string_view name);

// Removes from `folder` (ending in "\") the temporary files nobody holds: a killed run's.
void RemoveLeftoverTemporaries(const std::string& folder);

}  // namespace vantrel::win32
