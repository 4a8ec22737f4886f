#include "platform/posix/cabinet/output_folders.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/cabinet/errors.h"
#include "platform/posix/cabinet/temporary_files.h"

namespace vantrel {
namespace {

bool IsInMemory(int fd) {
    struct statfs status {};
    return ::fstatfs(fd, &status) == 0 && status.f_type == TMPFS_MAGIC;
}

}  // namespace

OutputFolder::~OutputFolder() {
    ::close(Fd);
}

std::shared_ptr<const OutputFolder> OutputFolders::Open(std::string_view path, DWORD& error) {
    error = ERROR_SUCCESS;
    if (open_[last_] && open_[last_]->Path == path) {
        return open_[last_];
    }
    for (std::size_t i = 0; i < open_.size(); ++i) {
        if (open_[i] && open_[i]->Path == path) {
            last_ = i;
            return open_[i];
        }
    }
    std::string spelled(path);
    const int fd = ::open(spelled.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        error = WriteErrorFromErrno(errno);
        return nullptr;
    }
    if (cleaned_.insert(spelled).second) {
        RemoveLeftoverTemporaries(fd);
    }
    last_ = next_;
    next_ = (next_ + 1) % open_.size();
    open_[last_] = std::make_shared<const OutputFolder>(std::move(spelled), fd, IsInMemory(fd));
    return open_[last_];
}

}  // namespace vantrel
