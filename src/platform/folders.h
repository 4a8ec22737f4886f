#pragma once

// Folder creation as the forms runtime's MkDir provides it: one folder at a time, answered with
// an outcome number instead of an error.

#include <functional>
#include <string>

#include "platform/win_types.h"

namespace vantrel {

// Outcome numbers of creating one folder: 0, or the runtime error number MkDir would raise.
//   0                                  created
//   RuntimeError::PathFileAccessError  (75) the name exists already, or access was denied
//   RuntimeError::PathNotFound         (76) a parent is missing, the drive does not exist, or a
//                                      link on the way cannot be followed
//   RuntimeError::BadFileName          (52) the name holds a character Windows forbids
constexpr int kFolderCreated = 0;

// Creates the single folder named by the Windows path `folder` (no parents), through the folder
// creator in place, and answers with the outcome number. Never throws.
int MkDir(const std::string& folder);

// Who creates folders for MkDir: by default the platform's own (CreateOneFolder). Tests put a
// recorder in its place that passes each call on and may answer some itself; nullptr puts the
// platform's back. Answers the creator it replaced.
using FolderCreator = std::function<int(const std::string& folder)>;
FolderCreator SetFolderCreator(FolderCreator creator);

// The platform's folder creation. Each platform layer provides it.
int CreateOneFolder(const std::string& folder);

// The outcome number for a folder creation that failed with the Windows system error `code`
// (ERROR_SUCCESS gives 0): the one rule every platform layer answers by.
int FolderOutcomeOfError(DWORD code);

// A folder that may not be created gets the outcome of one that exists (75), which lets its
// files be tried: they find no folder, and their write fails with ERROR_PATH_NOT_FOUND, which
// hides the reason. The platform's folder creation notes the last folder refused for want of
// rights (ERROR_ACCESS_DENIED), and the cabinet service reports a file that could not be written
// there through WriteErrorInFolder, which gives back the reason.
void NoteRefusedFolder(const std::string& folder);

// `error` for a file that could not be written in `folder` (a Windows path, with or without its
// trailing ""): ERROR_ACCESS_DENIED for ERROR_PATH_NOT_FOUND in the folder last refused, else
// `error` itself.
DWORD WriteErrorInFolder(DWORD error, std::string folder);

}  // namespace vantrel
