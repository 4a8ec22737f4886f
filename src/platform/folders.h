#pragma once

#include <string>

namespace vantrel {

// Outcome numbers of creating one folder.
constexpr int kFolderCreated = 0;
constexpr int kPathFileAccessError = 75;  // the folder exists already, or access was denied
constexpr int kPathNotFound = 76;         // a parent is missing, the drive is not mapped, or a
                                          // component of the path is a file

// Creates the single folder named by the Windows path `folder` (no parents) and answers with the
// outcome number; any other number than the three above means another failure (an invalid name).
int MkDir(const std::string& folder);

}  // namespace vantrel
