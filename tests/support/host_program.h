#pragma once

// Programs of the host the tests are built on, such as gcab: on Windows the tests run under
// Wine, which starts the host's programs as they are.

#include <filesystem>
#include <memory>
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

// Holds the existing file `path` open in a child process, as a running viewer holds an image,
// until destroyed: on Windows opened for reading without FILE_SHARE_DELETE (a program's usual
// way), on POSIX as a descriptor.
class HeldByAnotherProcess {
  public:
    explicit HeldByAnotherProcess(const std::filesystem::path& path);
    ~HeldByAnotherProcess();
    HeldByAnotherProcess(const HeldByAnotherProcess&) = delete;
    HeldByAnotherProcess& operator=(const HeldByAnotherProcess&) = delete;

  private:
    struct Child;
    std::unique_ptr<Child> child_;
};

}  // namespace vantrel::test
