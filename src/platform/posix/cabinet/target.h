#pragma once

// The file the cabinet service writes for one target. Nobody ever sees it half-written: the
// bytes go to a file without a name in the target's folder (O_TMPFILE), which is linked in
// under the target's name only once it is complete; where a file is already there, or the file
// system has no nameless files, to a hidden temporary file renamed over the target in one step.
// Until then a file already at the target stays as it was, and after a crash nothing is left
// but, at worst, a hidden temporary file, which the next walk writing into that folder removes
// (see temporary_files.h). CabinetOptions::NamedTemporaryFiles makes every file take the hidden
// temporary file, as where there are no nameless files.
//
// Files are created and named relative to their folder, held open (see output_folders.h). A
// small file may also arrive complete, written and stamped ahead of time by another thread
// (WriteNamelessFile), to be given its name here.
//
// One TargetFile serves a whole walk, and at its end flushes everything it wrote to stable
// storage.

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/cabinet_options.h"
#include "platform/posix/cabinet/durable_writes.h"
#include "platform/posix/cabinet/io.h"
#include "platform/posix/cabinet/output_folders.h"
#include "platform/win_types.h"

namespace vantrel {

class TargetFile final : public HostFile {
  public:
    explicit TargetFile(const CabinetOptions& options = {});
    ~TargetFile() override;
    TargetFile(const TargetFile&) = delete;
    TargetFile& operator=(const TargetFile&) = delete;

    // Starts a file for `target`: SetTarget, then Open.
    DWORD Create(const std::filesystem::path& target);

    // Takes `target` for the next file and opens its folder: 0, or the Windows code of why the
    // folder cannot be reached.
    DWORD SetTarget(const std::filesystem::path& target);
    const std::shared_ptr<const OutputFolder>& Folder() const { return folder_; }

    // Starts the file. 0, or the Windows code of why it cannot be written (its folder is missing
    // or may not be written, ...); a target that may not be replaced is found when the file is
    // complete.
    DWORD Open();

    // Takes, instead of Open and the writes, the nameless file `fd` in Folder(), which holds all
    // `size` bytes and its stamp already (see WriteNamelessFile).
    void Adopt(int fd, std::uint64_t size);

    // Whether files start without a name; else each starts under a hidden temporary name.
    bool NamelessFiles() const { return namelessAllowed_ && CanNameNamelessFiles(); }

    // The name libmspack is given to open for writing.
    const std::string& OpenName() const { return target_; }

    // Bytes libmspack handed over for the file so far.
    std::uint64_t BytesReceived() const { return received_; }

    // Writes out what is buffered, stamps the modification time and gives the file the target's
    // name. 0, or the Windows code of the failure; the temporary file is gone either way.
    DWORD Commit(std::optional<time_t> modified);

    // Drops what was written so far, to start the file again.
    void Rewind() noexcept;

    // Gives the file up: the temporary file is removed, the target untouched.
    void Discard() noexcept;

    // Puts every file committed so far on stable storage: 0, or the Windows code of the failure.
    DWORD MakeDurable() { return durable_.Flush(); }

    int Read(void* buffer, int bytes) noexcept override;
    int Write(const void* buffer, int bytes) noexcept override;
    int Seek(off_t offset, int mode) noexcept override;
    off_t Tell() const noexcept override;
    // The walk, not libmspack, decides the file's fate after the last byte.
    void Close() noexcept override {}

  private:
    static bool CanNameNamelessFiles();
    DWORD CheckTarget();
    DWORD OpenNameless();
    DWORD CreateTemporary();
    DWORD LinkNameless();
    DWORD ReplaceTarget();
    DWORD RenameOverTarget();
    DWORD CloseFile();
    bool Flush() noexcept;

    std::string target_;
    std::shared_ptr<const OutputFolder> folder_;  // the target's
    std::string name_;                            // the target's, in its folder
    std::string temporaryName_;  // the hidden temporary file's, in the folder, when there is one
    int fd_ = -1;
    bool nameless_ = false;
    std::optional<mode_t> keptMode_;
    int writeErrno_ = 0;
    std::uint64_t received_ = 0;
    std::unique_ptr<char[]> buffer_;
    size_t buffered_ = 0;
    bool namelessAllowed_;
    OutputFolders folders_;
    DurableWrites durable_;
};

// A file without a name in `folder` holding `size` bytes of `data`, its modification time set
// when given: the descriptor, or -1 with the errno of the failure. Nothing is left of it on
// failure, nor after a crash.
struct NamelessFile {
    int Fd = -1;
    int Errno = 0;
};
NamelessFile WriteNamelessFile(const OutputFolder& folder, const unsigned char* data,
                               std::size_t size, std::optional<time_t> modified);

// Whether WriteNamelessFile failed with `error` because the folder's file system has no nameless
// files.
bool NamelessFilesUnsupported(int error);

}  // namespace vantrel
