#include "platform/posix/cabinet/target.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

#include "platform/posix/cabinet/errors.h"
#include "platform/posix/cabinet/temporary_files.h"

namespace vantrel {
namespace {

// Output comes in frames of at most 32 KiB. Whole frames go straight to the file; smaller pieces
// (a frame's part where a file begins or ends, a small file) are gathered, so that a small file
// takes one write. (Gathering whole frames too, in 256 KiB, measured no faster, and holds more
// memory. Reserving a file's space up front measured no faster on tmpfs or ext4; the size a
// cabinet claims is not to be trusted anyway. Large files of MSZIP folders are written on a
// second thread, see frame_writer.h.)
constexpr size_t kBufferSize = 32 * 1024;
constexpr size_t kStraightWrite = 8 * 1024;
// What Windows calls a read-only file: nobody may write it.
constexpr mode_t kAnyWrite = S_IWUSR | S_IWGRP | S_IWOTH;

constexpr int kNameAttempts = 100;

// A nameless file is given a name through its entry in /proc, which needs no privilege.
std::string ProcPathOf(int fd) {
    return "/proc/self/fd/" + std::to_string(fd);
}

// Links the open nameless file `fd` in as `name` in the open folder `folder`; the errno of the
// failure, 0 on success. Linking the descriptor itself spares the lookup through /proc, but older
// kernels allow it only to privileged processes; after the first refusal, /proc is used alone.
int LinkNamelessFile(int fd, int folder, const char* name) {
    static std::atomic<bool> descriptorRefused{false};
    if (!descriptorRefused) {
        if (::linkat(fd, "", folder, name, AT_EMPTY_PATH) == 0) {
            return 0;
        }
        if (errno != ENOENT && errno != EPERM) {
            return errno;
        }
    }
    const std::string viaProc = ProcPathOf(fd);
    if (::linkat(AT_FDCWD, viaProc.c_str(), folder, name, AT_SYMLINK_FOLLOW) != 0) {
        return errno;
    }
    descriptorRefused = true;
    return 0;
}

int OpenNamelessFile(const OutputFolder& folder) {
    return ::openat(folder.Fd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
}

void SetModificationTime(int fd, std::optional<time_t> modified) {
    if (modified) {
        const timespec times[2] = {{0, UTIME_OMIT}, {*modified, 0}};
        // A file whose stamp could not be set is still complete and correct; keep it.
        ::futimens(fd, times);
    }
}

// 0, or the errno of the failure (ENOSPC for a write that took nothing).
int WriteAll(int fd, const char* data, size_t size) noexcept {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return written < 0 ? errno : ENOSPC;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return 0;
}

}  // namespace

bool NamelessFilesUnsupported(int error) {
    return error == EOPNOTSUPP || error == EISDIR || error == EINVAL;
}

NamelessFile WriteNamelessFile(const OutputFolder& folder, const unsigned char* data,
                               std::size_t size, std::optional<time_t> modified) {
    const int fd = OpenNamelessFile(folder);
    if (fd < 0) {
        return {-1, errno};
    }
    if (const int error = WriteAll(fd, reinterpret_cast<const char*>(data), size); error != 0) {
        ::close(fd);
        return {-1, error};
    }
    SetModificationTime(fd, modified);
    return {fd, 0};
}

bool TargetFile::CanNameNamelessFiles() {
    static const bool can = ::access("/proc/self/fd", X_OK) == 0;
    return can;
}

TargetFile::TargetFile(const CabinetOptions& options)
    : namelessAllowed_(!options.NamedTemporaryFiles) {}

TargetFile::~TargetFile() {
    Discard();
}

DWORD TargetFile::Create(const std::filesystem::path& target) {
    if (const DWORD error = SetTarget(target); error != ERROR_SUCCESS) {
        return error;
    }
    return Open();
}

DWORD TargetFile::SetTarget(const std::filesystem::path& target) {
    Discard();
    target_ = target.native();
    const size_t slash = target_.rfind('/');
    const std::string_view folder =
        slash == std::string::npos ? std::string_view(".")
                                   : std::string_view(target_).substr(0, slash == 0 ? 1 : slash);
    name_.assign(target_, slash == std::string::npos ? 0 : slash + 1);
    if (name_.empty()) {
        name_ = ".";  // the root itself: a folder, refused as any folder at the target is
    }
    keptMode_.reset();
    writeErrno_ = 0;
    received_ = 0;
    buffered_ = 0;
    DWORD error = ERROR_SUCCESS;
    folder_ = folders_.Open(folder, error);
    return error;
}

DWORD TargetFile::Open() {
    if (!buffer_) {
        buffer_.reset(new char[kBufferSize]);
    }
    const DWORD nameless = OpenNameless();
    if (nameless != ERROR_NOT_SUPPORTED) {
        return nameless;
    }
    if (const DWORD error = CheckTarget(); error != ERROR_SUCCESS) {
        return error;
    }
    return CreateTemporary();
}

void TargetFile::Adopt(int fd, std::uint64_t size) {
    fd_ = fd;
    nameless_ = true;
    received_ = size;
}

// 0, the Windows code of why the folder takes no file, or ERROR_NOT_SUPPORTED where the file
// system has no nameless files.
DWORD TargetFile::OpenNameless() {
    nameless_ = false;
    if (!NamelessFiles()) {
        return ERROR_NOT_SUPPORTED;
    }
    fd_ = OpenNamelessFile(*folder_);
    if (fd_ >= 0) {
        nameless_ = true;
        return ERROR_SUCCESS;
    }
    if (NamelessFilesUnsupported(errno)) {
        return ERROR_NOT_SUPPORTED;
    }
    return WriteErrorFromErrno(errno);
}

// A folder at the target is never replaced, nor a file we could not open for writing: Windows
// refuses both, and a rename would quietly get around the second. A read-only file is refused
// whoever asks, as Windows does even for administrators; root's access check would let it pass.
DWORD TargetFile::CheckTarget() {
    struct stat status {};
    if (::fstatat(folder_->Fd, name_.c_str(), &status, 0) != 0) {
        return errno == ENOENT ? ERROR_SUCCESS : WriteErrorFromErrno(errno);
    }
    if (S_ISDIR(status.st_mode) || (S_ISREG(status.st_mode) && (status.st_mode & kAnyWrite) == 0)) {
        return ERROR_ACCESS_DENIED;
    }
    if (::faccessat(folder_->Fd, name_.c_str(), W_OK, AT_EACCESS) != 0) {
        return WriteErrorFromErrno(errno);
    }
    if (S_ISREG(status.st_mode)) {
        keptMode_ = status.st_mode & 07777;
    }
    return ERROR_SUCCESS;
}

DWORD TargetFile::CreateTemporary() {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::string name = TemporaryName(name_);
        fd_ = ::openat(folder_->Fd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ >= 0 && !LockCreatedAsInUse(fd_)) {
            ::close(fd_);
            fd_ = -1;
            continue;
        }
        if (fd_ >= 0) {
            temporaryName_ = name;
            // A replaced file keeps its permissions; a new one gets the umask's.
            if (keptMode_) {
                ::fchmod(fd_, *keptMode_);
            }
            return ERROR_SUCCESS;
        }
        if (errno != EEXIST) {
            return WriteErrorFromErrno(errno);
        }
    }
    return ERROR_WRITE_FAULT;
}

DWORD TargetFile::Commit(std::optional<time_t> modified) {
    if (!Flush()) {
        const DWORD error = WriteErrorFromErrno(writeErrno_);
        Discard();
        return error;
    }
    SetModificationTime(fd_, modified);
    durable_.Note(fd_, folder_->Path);
    if (nameless_) {
        if (const DWORD error = LinkNameless(); error != ERROR_NOT_SUPPORTED) {
            return error;
        }
    }
    return RenameOverTarget();
}

// The temporary file takes the target's name while it is still open, and so locked: no other
// walk can take it for a leftover meanwhile.
DWORD TargetFile::RenameOverTarget() {
    if (::renameat(folder_->Fd, temporaryName_.c_str(), folder_->Fd, name_.c_str()) != 0) {
        const DWORD error = WriteErrorFromErrno(errno);
        Discard();
        return error;
    }
    temporaryName_.clear();
    return CloseFile();
}

// Links the nameless file in under the target's name where nothing is in the way: 0, or the
// Windows code of the failure (the file is gone then). ERROR_NOT_SUPPORTED when something is
// there: the file has become a temporary file to be renamed over it.
DWORD TargetFile::LinkNameless() {
    const int linkError = LinkNamelessFile(fd_, folder_->Fd, name_.c_str());
    if (linkError == 0) {
        if (const DWORD error = CloseFile(); error != ERROR_SUCCESS) {
            // nothing was there before, and this may be incomplete
            ::unlinkat(folder_->Fd, name_.c_str(), 0);
            return error;
        }
        return ERROR_SUCCESS;
    }
    const DWORD error = linkError == EEXIST ? ReplaceTarget() : WriteErrorFromErrno(linkError);
    if (error == ERROR_SUCCESS) {
        return ERROR_NOT_SUPPORTED;
    }
    Discard();
    return error;
}

// Closes the file; 0, or the Windows code of a failure that may have lost data.
DWORD TargetFile::CloseFile() {
    const int closed = ::close(fd_);
    const int closeErrno = errno;
    fd_ = -1;
    return closed != 0 && closeErrno != EINTR ? WriteErrorFromErrno(closeErrno) : ERROR_SUCCESS;
}

// Something is at the target: the same checks as for a named temporary file, which the nameless
// one then becomes.
DWORD TargetFile::ReplaceTarget() {
    if (const DWORD error = CheckTarget(); error != ERROR_SUCCESS) {
        return error;
    }
    if (keptMode_) {
        ::fchmod(fd_, *keptMode_);
    }
    // Locked before it has a name, so that it is never seen unlocked.
    LockAsInUse(fd_);
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::string name = TemporaryName(name_);
        const int linkError = LinkNamelessFile(fd_, folder_->Fd, name.c_str());
        if (linkError == 0) {
            temporaryName_ = name;
            return ERROR_SUCCESS;
        }
        if (linkError != EEXIST) {
            return WriteErrorFromErrno(linkError);
        }
    }
    return ERROR_WRITE_FAULT;
}

void TargetFile::Rewind() noexcept {
    if (received_ == 0) {
        return;
    }
    received_ = 0;
    buffered_ = 0;
    writeErrno_ = 0;
    if (::ftruncate(fd_, 0) != 0 || ::lseek(fd_, 0, SEEK_SET) != 0) {
        writeErrno_ = errno;
    }
}

void TargetFile::Discard() noexcept {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temporaryName_.empty()) {
        ::unlinkat(folder_->Fd, temporaryName_.c_str(), 0);
        temporaryName_.clear();
    }
}

int TargetFile::Read(void*, int) noexcept {
    return -1;
}

// A failed write is recorded, and the rest of the file is taken and dropped: libmspack's folder
// state then stays where the cabinet's next file begins, so the walk can go on with that file.
int TargetFile::Write(const void* data, int bytes) noexcept {
    if (bytes < 0) {
        return -1;
    }
    const auto size = static_cast<size_t>(bytes);
    received_ += size;
    if (writeErrno_ != 0) {
        return bytes;
    }
    if (size >= kStraightWrite) {
        if (Flush()) {
            writeErrno_ = WriteAll(fd_, static_cast<const char*>(data), size);
        }
        return bytes;
    }
    if (buffered_ + size > kBufferSize && !Flush()) {
        return bytes;
    }
    std::memcpy(buffer_.get() + buffered_, data, size);
    buffered_ += size;
    return bytes;
}

int TargetFile::Seek(off_t, int) noexcept {
    return -1;
}

off_t TargetFile::Tell() const noexcept {
    return static_cast<off_t>(received_);
}

bool TargetFile::Flush() noexcept {
    const size_t size = buffered_;
    buffered_ = 0;
    if (writeErrno_ == 0) {
        writeErrno_ = WriteAll(fd_, buffer_.get(), size);
    }
    return writeErrno_ == 0;
}

}  // namespace vantrel
