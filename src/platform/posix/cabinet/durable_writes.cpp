#include "platform/posix/cabinet/durable_writes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

#include "platform/posix/cabinet/errors.h"

namespace vantrel {

DurableWrites::~DurableWrites() {
    for (const auto& [device, fd] : fileSystems_) {
        ::close(fd);
    }
}

void DurableWrites::Note(int fd, std::string_view folder) {
    if (folder == lastFolder_) {
        return;
    }
    lastFolder_ = folder;
    struct stat status {};
    if (::fstat(fd, &status) != 0 ||
        std::any_of(fileSystems_.begin(), fileSystems_.end(),
                    [&](const auto& known) { return known.first == status.st_dev; })) {
        return;
    }
    const int kept = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (kept >= 0) {
        fileSystems_.emplace_back(status.st_dev, kept);
    } else if (::fsync(fd) != 0 && failure_ == ERROR_SUCCESS) {
        // Out of descriptors: this file at least is flushed now.
        failure_ = WriteErrorFromErrno(errno);
    }
}

DWORD DurableWrites::Flush() {
    DWORD error = std::exchange(failure_, ERROR_SUCCESS);
    for (const auto& [device, fd] : fileSystems_) {
        if (::syncfs(fd) != 0 && error == ERROR_SUCCESS) {
            error = WriteErrorFromErrno(errno);
        }
        ::close(fd);
    }
    fileSystems_.clear();
    lastFolder_.clear();
    return error;
}

}  // namespace vantrel
