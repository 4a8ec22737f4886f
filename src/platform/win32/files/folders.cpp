#include "platform/folders.h"

#include <windows.h>

#include "platform/win32/text/ansi_text.h"
#include "shared/runtime_error.h"

namespace vantrel {
namespace {

// The same three outcomes the POSIX layer answers, from the system's error codes.
int OutcomeOfError(DWORD error) {
    switch (error) {
        case ERROR_PATH_NOT_FOUND:
        case ERROR_FILE_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_NOT_READY:
        case ERROR_DIRECTORY:  // a file stands where a folder of the path should be
            return kPathNotFound;
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
            return RuntimeError::BadFileName;
        default:
            // The folder exists, or we may not create it there.
            return kPathFileAccessError;
    }
}

}  // namespace

int MkDir(const std::string& folder) {
    if (CreateDirectoryA(win32::AnsiFromUtf8(folder).c_str(), nullptr)) {
        return kFolderCreated;
    }
    return OutcomeOfError(GetLastError());
}

}  // namespace vantrel
