#pragma once

#include <string>
#include <string_view>

namespace vantrel {

// A Windows path cut at its last "\": the folder keeps that "\", the file name is the rest.
struct SplitPathResult {
    std::string Folder;
    std::string FileName;
};

// No "\" at all gives an empty folder and the whole path as the file name. Only "\" counts as a
// separator here: names handed over by the registry and the cabinet service use it alone.
SplitPathResult SplitPath(std::string_view path);

}  // namespace vantrel
