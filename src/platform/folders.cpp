#include "platform/folders.h"

#include "shared/runtime_error.h"

namespace vantrel {
namespace {

FolderCreator& Creator() {
    static FolderCreator creator = CreateOneFolder;
    return creator;
}

std::string& RefusedFolder() {
    static std::string folder;
    return folder;
}

void DropTrailingBackslash(std::string& folder) {
    if (folder.size() > 1 && folder.back() == '\\') {
        folder.pop_back();
    }
}

}  // namespace

int MkDir(const std::string& folder) {
    return Creator()(folder);
}

FolderCreator SetFolderCreator(FolderCreator creator) {
    auto previous = std::move(Creator());
    Creator() = creator ? std::move(creator) : CreateOneFolder;
    return previous;
}

int FolderOutcomeOfError(DWORD code) {
    switch (code) {
        case ERROR_SUCCESS:
            return kFolderCreated;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_NOT_READY:
        case ERROR_DIRECTORY:  // a file stands where a folder of the path should be
            return RuntimeError::PathNotFound;
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
            return RuntimeError::BadFileName;
        default:
            // The name is taken, or we may not create it there.
            return RuntimeError::PathFileAccessError;
    }
}

void NoteRefusedFolder(const std::string& folder) {
    RefusedFolder() = folder;
    DropTrailingBackslash(RefusedFolder());
}

DWORD WriteErrorInFolder(DWORD error, std::string folder) {
    DropTrailingBackslash(folder);
    if (error == ERROR_PATH_NOT_FOUND && !folder.empty() && folder == RefusedFolder()) {
        return ERROR_ACCESS_DENIED;
    }
    return error;
}

}  // namespace vantrel
