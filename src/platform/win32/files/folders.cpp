#include "platform/folders.h"

#include <windows.h>

#include "platform/win32/text/ansi_text.h"

namespace vantrel {

int CreateOneFolder(const std::string& folder) {
    if (CreateDirectoryA(win32::AnsiFromUtf8(folder).c_str(), nullptr)) {
        return kFolderCreated;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_ACCESS_DENIED) {
        NoteRefusedFolder(folder);
    }
    return FolderOutcomeOfError(error);
}

}  // namespace vantrel
