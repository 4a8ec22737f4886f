#include "platform/diagnostics.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "platform/posix/files/drives.h"
#include "platform/posix/kernel/errno_map.h"

namespace vantrel {
namespace fs = std::filesystem;
namespace {

std::string PrefixWithState() {
    const fs::path prefix = WinePrefix();
    std::error_code error;
    const bool exists = fs::is_directory(prefix, error);
    return "the Wine prefix " + prefix.string() + (exists ? "" : ", which does not exist");
}

}  // namespace

FileStart ReadFileStart(std::string_view windowsPath, std::size_t count) {
    FileStart start;
    const HostPath host = ToHostPath(windowsPath);
    if (host.Error != ERROR_SUCCESS) {
        start.Error = host.Error;
        return start;
    }
    const int file = ::open(ExistingEntry(host.Path).c_str(), O_RDONLY | O_CLOEXEC);
    struct stat status {};
    if (file < 0 || ::fstat(file, &status) != 0) {
        start.Error = Win32ErrorFromErrno(errno, ERROR_TOO_MANY_OPEN_FILES);
    } else if (S_ISDIR(status.st_mode)) {
        start.IsFolder = true;
    } else {
        start.Bytes.resize(count);
        const ssize_t got = ::read(file, start.Bytes.data(), count);
        start.Error = got < 0 ? Win32ErrorFromErrno(errno, ERROR_READ_FAULT) : ERROR_SUCCESS;
        start.Bytes.resize(got < 0 ? 0 : static_cast<std::size_t>(got));
    }
    if (file >= 0) {
        ::close(file);
    }
    return start;
}

std::string DrivesPlace() {
    return "the drives of " + PrefixWithState();
}

std::string RegistryPlace() {
    const fs::path systemReg = WinePrefix() / "system.reg";
    std::error_code error;
    if (!fs::exists(systemReg, error)) {
        return systemReg.string() + ", which does not exist (" + PrefixWithState() + ")";
    }
    return systemReg.string() +
           " as the Wine server last saved it: a Wine server still running may not have saved a "
           "registration made meanwhile (`wineserver -k` stops it, and it saves the registry)";
}

}  // namespace vantrel
