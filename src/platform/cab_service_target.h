#pragma once

// The file the cabinet service writes for one target. Nobody ever sees it half-written: the
// bytes go to a hidden temporary file in the target's folder, which replaces the target in one
// rename only once it is complete. Until then a file already at the target stays as it was.

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "platform/cab_service_io.h"
#include "platform/win_types.h"

namespace vantrel {

class TargetFile final : public HostFile {
  public:
    TargetFile() = default;
    ~TargetFile() override;
    TargetFile(const TargetFile&) = delete;
    TargetFile& operator=(const TargetFile&) = delete;

    // Starts a file of `size` bytes for `target`. 0, or the Windows code of why it cannot be
    // written (the target is a folder or may not be replaced, its folder is missing, ...).
    DWORD Create(const std::filesystem::path& target, std::uint64_t size);

    // The name libmspack is given to open for writing.
    const std::string& TemporaryPath() const { return temporaryPath_; }

    // Bytes libmspack handed over for the file so far.
    std::uint64_t BytesReceived() const { return received_; }

    // Writes out what is buffered, stamps the modification time and renames the file over the
    // target. 0, or the Windows code of the failure; the temporary file is gone either way.
    DWORD Commit(std::optional<time_t> modified);

    // Gives the file up: the temporary file is removed, the target untouched.
    void Discard() noexcept;

    int Read(void* buffer, int bytes) noexcept override;
    int Write(const void* buffer, int bytes) noexcept override;
    int Seek(off_t offset, int mode) noexcept override;
    off_t Tell() const noexcept override;
    // The walk, not libmspack, decides the file's fate after the last byte.
    void Close() noexcept override {}

  private:
    DWORD CheckTarget();
    DWORD CreateTemporary();
    void Preallocate(std::uint64_t size);
    bool Flush() noexcept;
    bool WriteAll(const char* data, size_t size) noexcept;

    std::filesystem::path target_;
    std::string temporaryPath_;
    int fd_ = -1;
    std::optional<mode_t> keptMode_;
    int writeErrno_ = 0;
    std::uint64_t received_ = 0;
    std::unique_ptr<char[]> buffer_;
    size_t buffered_ = 0;
};

}  // namespace vantrel
