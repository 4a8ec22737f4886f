#pragma once

// The hidden temporary files the cabinet service writes a file under before it takes the
// target's name: ".<name>.vantrel-XXXXXX" beside the target. Their writer holds a lock on each
// for as long as it bears that name, so a file of that name without a lock is one a killed run
// left behind, and the next run writing into that folder removes it; one with a lock belongs to
// a run still going and is left alone.

#include <string>
#include <string_view>

namespace vantrel {

// A fresh hidden temporary name for a file named `targetName`.
std::string TemporaryName(const std::string& targetName);

// Whether `name` has the form TemporaryName gives.
bool IsTemporaryName(std::string_view name);

// Takes the lock that marks the open file `fd` as a temporary file in use, waiting while a
// cleaning run holds it. Where the file system has no locks, the file stays unlocked, and
// cleaning runs, which cannot lock it either, leave it alone.
void LockAsInUse(int fd);

// LockAsInUse for a file created under its temporary name: false when it lost that name before
// the lock was taken (a cleaning run took it for a leftover), and is useless then.
bool LockCreatedAsInUse(int fd);

// Removes the leftover temporary files in the open folder `folderFd` (an O_PATH descriptor will
// do).
void RemoveLeftoverTemporaries(int folderFd);

}  // namespace vantrel
