#pragma once

// The folders a walk writes files into, each held open while files keep coming to it: files are
// created, named and replaced relative to the open folder, which spares the kernel looking the
// folder's path up again for every file. The first time a walk opens a folder, the temporary
// files a killed run left in it are removed (see temporary_files.h).
//
// A folder renamed or removed while the walk goes on is still the one written to; what is done
// in a removed one fails the way it would have through its path.

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>

#include "platform/win_types.h"

namespace vantrel {

struct OutputFolder {
    OutputFolder(std::string path, int fd, bool inMemory)
        : Path(std::move(path)), Fd(fd), InMemory(inMemory) {}
    ~OutputFolder();
    OutputFolder(const OutputFolder&) = delete;
    OutputFolder& operator=(const OutputFolder&) = delete;

    const std::string Path;  // the host path, as spelled
    const int Fd;            // open with O_PATH, for the *at calls
    // On tmpfs, where creating a file is the processor's work alone, and a second thread can
    // take it over (see files_ahead.h).
    const bool InMemory;
};

class OutputFolders {
  public:
    // The folder at host path `path`; null with the Windows code in `error` when it cannot be
    // opened.
    std::shared_ptr<const OutputFolder> Open(std::string_view path, DWORD& error);

  private:
    // The folders opened last; a cabinet's files come folder by folder, so a few suffice, and
    // the walk holds no more descriptors than that whatever the number of folders.
    std::array<std::shared_ptr<const OutputFolder>, 16> open_;
    std::size_t next_ = 0;
    std::size_t last_ = 0;
    std::unordered_set<std::string> cleaned_;
};

}  // namespace vantrel
