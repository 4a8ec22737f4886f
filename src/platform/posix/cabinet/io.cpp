#include "platform/posix/cabinet/io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>

#include "platform/posix/cabinet/errors.h"

namespace vantrel {
namespace {

// Windows tells a missing file (2) from a missing folder on the way to it (3).
DWORD MissingFileError(const char* path) {
    std::error_code ignored;
    const bool folderThere =
        std::filesystem::is_directory(std::filesystem::path(path).parent_path(), ignored);
    return folderThere ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
}

// Opens an existing regular file for reading. O_NONBLOCK keeps a FIFO given as a cabinet from
// blocking the walk until some writer appears; it changes nothing for a regular file.
DWORD OpenRegularFile(const char* path, int& fd, off_t& size) {
    fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return errno == ENOENT ? MissingFileError(path) : OpenErrorFromErrno(errno);
    }
    struct stat status {};
    DWORD error = ERROR_SUCCESS;
    if (::fstat(fd, &status) != 0) {
        error = ERROR_READ_FAULT;
    } else if (S_ISDIR(status.st_mode)) {
        error = ERROR_ACCESS_DENIED;  // what Windows answers for a folder opened as a file
    } else if (!S_ISREG(status.st_mode)) {
        error = ERROR_INVALID_DATA;  // a pipe or a device is no cabinet
    }
    if (error != ERROR_SUCCESS) {
        ::close(fd);
        fd = -1;
        return error;
    }
    size = status.st_size;
    return ERROR_SUCCESS;
}

ssize_t ReadFully(CabIo& io, int fd, off_t offset, void* buffer, size_t size) {
    size_t done = 0;
    while (done < size) {
        const ssize_t got = ::pread(fd, static_cast<char*>(buffer) + done, size - done,
                                    offset + static_cast<off_t>(done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            io.RecordFailure(ERROR_READ_FAULT);
            return -1;
        }
        if (got == 0) {
            break;
        }
        done += static_cast<size_t>(got);
    }
    return static_cast<ssize_t>(done);
}

// libmspack reads a cabinet's headers in pieces of a few bytes, two per file entry; reads up to
// this size come from a window read ahead, larger ones (the data blocks) go straight to the
// caller's buffer.
constexpr size_t kReadAheadSize = 64 * 1024;
constexpr size_t kLargestBufferedRead = 4 * 1024;

// A reading position in a file. Positional reads let several handles share one descriptor.
class InputFile final : public HostFile {
  public:
    InputFile(CabIo& io, int fd, bool ownsFd, off_t size)
        : io_(io), fd_(fd), ownsFd_(ownsFd), size_(size) {}
    ~InputFile() override {
        if (ownsFd_) {
            ::close(fd_);
        }
    }

    int Read(void* buffer, int bytes) noexcept override {
        if (bytes < 0) {
            return -1;
        }
        auto* out = static_cast<char*>(buffer);
        size_t done = TakeFromWindow(out, static_cast<size_t>(bytes));
        const size_t rest = static_cast<size_t>(bytes) - done;
        if (rest == 0) {
            return bytes;
        }
        const ssize_t got = rest > kLargestBufferedRead
                                ? ReadFully(io_, fd_, position_, out + done, rest)
                                : FillWindowAndTake(out + done, rest);
        if (got < 0) {
            return -1;
        }
        position_ += got;
        return static_cast<int>(done + static_cast<size_t>(got));
    }

    int Write(const void*, int) noexcept override { return -1; }

    int Seek(off_t offset, int mode) noexcept override {
        off_t base = 0;
        switch (mode) {
            case MSPACK_SYS_SEEK_START:
                break;
            case MSPACK_SYS_SEEK_CUR:
                base = position_;
                break;
            case MSPACK_SYS_SEEK_END:
                base = size_;
                break;
            default:
                return -1;
        }
        off_t target = 0;
        if (__builtin_add_overflow(base, offset, &target) || target < 0) {
            return -1;
        }
        position_ = target;
        return 0;
    }

    off_t Tell() const noexcept override { return position_; }

    void Close() noexcept override { delete this; }

  private:
    // Copies what the window holds from the current position on; moves the position past it.
    size_t TakeFromWindow(char* out, size_t size) noexcept {
        if (position_ < windowStart_ || position_ >= windowStart_ + windowSize_) {
            return 0;
        }
        const auto offset = static_cast<size_t>(position_ - windowStart_);
        const size_t taken = std::min(size, static_cast<size_t>(windowSize_) - offset);
        std::memcpy(out, window_.get() + offset, taken);
        position_ += static_cast<off_t>(taken);
        return taken;
    }

    // Reads the window anew at the current position and copies up to `size` bytes of it; the
    // count copied, or -1. The position is left for the caller to move.
    ssize_t FillWindowAndTake(char* out, size_t size) noexcept {
        if (!window_) {
            window_.reset(new (std::nothrow) char[kReadAheadSize]);
            if (!window_) {
                return ReadFully(io_, fd_, position_, out, size);
            }
        }
        windowSize_ = 0;
        const ssize_t got = ReadFully(io_, fd_, position_, window_.get(), kReadAheadSize);
        if (got < 0) {
            return -1;
        }
        windowStart_ = position_;
        windowSize_ = got;
        const size_t taken = std::min(size, static_cast<size_t>(got));
        std::memcpy(out, window_.get(), taken);
        return static_cast<ssize_t>(taken);
    }

    CabIo& io_;
    int fd_;
    bool ownsFd_;
    off_t size_;
    off_t position_ = 0;
    std::unique_ptr<char[]> window_;
    off_t windowStart_ = 0;
    off_t windowSize_ = 0;
};

HostFile* AsHostFile(mspack_file* file) {
    return static_cast<HostFile*>(file);
}

}  // namespace

CabIo::CabIo() : system_{} {
    system_.open = &CabIo::Open;
    system_.close = &CabIo::Close;
    system_.read = &CabIo::Read;
    system_.write = &CabIo::Write;
    system_.seek = &CabIo::Seek;
    system_.tell = &CabIo::Tell;
    system_.message = &CabIo::Message;
    system_.alloc = &CabIo::Alloc;
    system_.free = &CabIo::Free;
    system_.copy = &CabIo::Copy;
    system_.null_ptr = nullptr;
    system_.owner = this;
}

CabIo::~CabIo() {
    if (cabinetFd_ >= 0) {
        ::close(cabinetFd_);
    }
}

DWORD CabIo::OpenCabinet(const std::string& hostPath) {
    const DWORD error = OpenRegularFile(hostPath.c_str(), cabinetFd_, cabinetSize_);
    if (error == ERROR_SUCCESS) {
        cabinetPath_ = hostPath;
    }
    return error;
}

ssize_t CabIo::ReadCabinetAt(off_t offset, void* buffer, size_t size) {
    return ReadFully(*this, cabinetFd_, offset, buffer, size);
}

void CabIo::ExpectOutput(const std::string& name, HostFile* output) {
    outputName_ = name;
    output_ = output;
}

void CabIo::RecordFailure(DWORD code) noexcept {
    if (failure_ == ERROR_SUCCESS) {
        failure_ = code;
    }
}

mspack_file* CabIo::OpenForReading(const char* filename) {
    int fd = cabinetFd_;
    off_t size = cabinetSize_;
    const bool sharesCabinet = cabinetFd_ >= 0 && cabinetPath_ == filename;
    if (!sharesCabinet) {
        if (const DWORD error = OpenRegularFile(filename, fd, size); error != ERROR_SUCCESS) {
            RecordFailure(error);
            return nullptr;
        }
    }
    auto* file = new (std::nothrow) InputFile(*this, fd, !sharesCabinet, size);
    if (file == nullptr) {
        RecordFailure(ERROR_NOT_ENOUGH_MEMORY);
        if (!sharesCabinet) {
            ::close(fd);
        }
    }
    return file;
}

mspack_file* CabIo::Open(mspack_system* self, const char* filename, int mode) noexcept {
    CabIo& io = Owner(self);
    try {
        if (mode == MSPACK_SYS_OPEN_READ) {
            return io.OpenForReading(filename);
        }
        // The only file libmspack writes is the one the walk prepared for the current file.
        if (mode == MSPACK_SYS_OPEN_WRITE && io.output_ != nullptr && io.outputName_ == filename) {
            return io.output_;
        }
        io.RecordFailure(ERROR_TOO_MANY_OPEN_FILES);
    } catch (...) {
        io.RecordFailure(ERROR_NOT_ENOUGH_MEMORY);
    }
    return nullptr;
}

void CabIo::Close(mspack_file* file) noexcept {
    if (file != nullptr) {
        AsHostFile(file)->Close();
    }
}

int CabIo::Read(mspack_file* file, void* buffer, int bytes) noexcept {
    return AsHostFile(file)->Read(buffer, bytes);
}

int CabIo::Write(mspack_file* file, void* buffer, int bytes) noexcept {
    return AsHostFile(file)->Write(buffer, bytes);
}

int CabIo::Seek(mspack_file* file, off_t offset, int mode) noexcept {
    return AsHostFile(file)->Seek(offset, mode);
}

off_t CabIo::Tell(mspack_file* file) noexcept {
    return AsHostFile(file)->Tell();
}

// libmspack's warnings repeat what its error codes already say; the walk reports those.
void CabIo::Message(mspack_file*, const char*, ...) noexcept {}

// Zeroed, so that a decoder's window holds zeros, not what the heap held, where a damaged
// stream looks back before its start: the outcome then depends on the cabinet alone.
void* CabIo::Alloc(mspack_system*, size_t bytes) noexcept {
    return std::calloc(1, bytes);
}

void CabIo::Free(void* pointer) noexcept {
    std::free(pointer);
}

void CabIo::Copy(void* source, void* destination, size_t bytes) noexcept {
    std::memcpy(destination, source, bytes);
}

}  // namespace vantrel
