#pragma once

// Programs of the host the tests are built on, such as gcab: on Windows the tests run under
// Wine, which starts the host's programs as they are.

#include <filesystem>
#include <string>
#include <vector>

namespace vantrel::test {

// Runs the host's `program` (a path the host names it by) with `arguments` in `folder`, and
// answers its exit status; -1 when it could not be started or did not end normally.
int RunHostProgram(const std::string& program, const std::vector<std::string>& arguments,
                   const std::filesystem::path& folder);

// `path` as the host's programs name it: itself on POSIX, the Unix path Wine maps it to on
// Windows.
std::string HostSystemPath(const std::filesystem::path& path);

}  // namespace vantrel::test
