#include "platform/folders.h"

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>

#include "platform/posix/files/drives.h"

namespace vantrel {
namespace {

// "Bad file name or number": what creating a folder with a forbidden character gives.
constexpr int kBadFileName = 52;

int OutcomeOfErrno(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return kPathNotFound;
        default:
            // The folder exists, or we may not create it there.
            return kPathFileAccessError;
    }
}

}  // namespace

int MkDir(const std::string& folder) {
    const HostPath host = ToHostPath(folder);
    if (host.Error == ERROR_INVALID_NAME) {
        return kBadFileName;
    }
    if (host.Error != ERROR_SUCCESS) {
        return kPathNotFound;
    }
    if (SeenFolderLately(host.Path)) {
        return kPathFileAccessError;  // what creating an existing folder answers
    }
    // A folder whose name differs only in case is the same folder to Windows.
    const std::filesystem::path existing = ExistingEntry(host.Path);
    if (::mkdir(existing.c_str(), 0777) == 0) {
        NoteFolderSeen(existing);
        return kFolderCreated;
    }
    const int outcome = OutcomeOfErrno(errno);
    if (errno == EEXIST && std::filesystem::is_directory(existing)) {
        NoteFolderSeen(existing);
    }
    return outcome;
}

}  // namespace vantrel
