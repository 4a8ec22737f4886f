#pragma once

// The file systems a walk wrote files to, each flushed to stable storage once at the end rather
// than file by file: one flush of a file system costs about what one file's flush does.

#include <sys/types.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/win_types.h"

namespace vantrel {

class DurableWrites {
  public:
    DurableWrites() = default;
    ~DurableWrites();
    DurableWrites(const DurableWrites&) = delete;
    DurableWrites& operator=(const DurableWrites&) = delete;

    // Remembers the file system of the open file `fd`, which lies in `folder`. A walk's files
    // mostly follow one another folder by folder, so only a new folder is looked at.
    void Note(int fd, std::string_view folder);

    // Flushes every file system noted since the last call: 0, or the Windows code of the first
    // failure.
    DWORD Flush();

  private:
    std::string lastFolder_;
    std::vector<std::pair<dev_t, int>> fileSystems_;  // each with a descriptor on it
    DWORD failure_ = ERROR_SUCCESS;
};

}  // namespace vantrel
