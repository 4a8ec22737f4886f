#pragma once

#include <string_view>

namespace vantrel {

// True when a file name taken from a cabinet stays inside the folder it is extracted to once it
// is joined to that folder: a relative path ("\" or "/" separated) of non-empty components,
// without a drive, a root, ":" or NUL, and without components made only of dots and spaces
// (Windows trims trailing dots and spaces, so ".. " and "..." can mean "..").
bool IsSafeRelativeName(std::string_view name);

}  // namespace vantrel
