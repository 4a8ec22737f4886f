#include "platform/folders.h"

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>

#include "platform/posix/files/drives.h"
#include "platform/posix/kernel/errno_map.h"

namespace vantrel {
namespace {

int OutcomeOfErrno(int error) {
    return FolderOutcomeOfError(Win32ErrorFromErrno(error, ERROR_ACCESS_DENIED));
}

// mkdir found the name taken. A folder there is remembered; an entry that cannot be followed
// (a link in a circle, or to nothing) can never be a folder to create anything in, and is
// answered like a missing parent, so that the caller gives the path up instead of writing
// into it.
int OutcomeOfTakenName(const std::filesystem::path& existing) {
    struct stat status {};
    if (::stat(existing.c_str(), &status) != 0) {
        return OutcomeOfErrno(errno);
    }
    if (S_ISDIR(status.st_mode)) {
        NoteFolderSeen(existing);
    }
    return FolderOutcomeOfError(ERROR_ALREADY_EXISTS);
}

}  // namespace

int CreateOneFolder(const std::string& folder) {
    const HostPath host = ToHostPath(folder);
    if (host.Error != ERROR_SUCCESS) {
        return FolderOutcomeOfError(host.Error);
    }
    if (SeenFolderLately(host.Path)) {
        return FolderOutcomeOfError(ERROR_ALREADY_EXISTS);
    }
    // A folder whose name differs only in case is the same folder to Windows.
    const std::filesystem::path existing = ExistingEntry(host.Path);
    if (::mkdir(existing.c_str(), 0777) == 0) {
        NoteFolderSeen(existing);
        return kFolderCreated;
    }
    const int error = errno;
    if (error == EACCES || error == EPERM) {
        NoteRefusedFolder(folder);
    }
    return error == EEXIST ? OutcomeOfTakenName(existing) : OutcomeOfErrno(error);
}

}  // namespace vantrel
