#pragma once

// The file functions libmspack works through during one walk of the cabinet service. They never
// throw: libmspack is C, and a C++ exception must not unwind through it. What goes wrong inside
// them is recorded as a Windows code, so that the walk can tell a real read error from a cabinet
// that is merely cut short.

#include <mspack.h>
#include <sys/types.h>

#include <string>

#include "platform/win_types.h"

namespace vantrel {

// An open file as libmspack sees it.
class HostFile : public mspack_file {
  public:
    virtual ~HostFile() = default;
    virtual int Read(void* buffer, int bytes) noexcept = 0;
    virtual int Write(const void* buffer, int bytes) noexcept = 0;
    virtual int Seek(off_t offset, int mode) noexcept = 0;
    virtual off_t Tell() const noexcept = 0;
    // libmspack is done with the handle.
    virtual void Close() noexcept = 0;
};

class CabIo {
  public:
    CabIo();
    ~CabIo();
    CabIo(const CabIo&) = delete;
    CabIo& operator=(const CabIo&) = delete;

    mspack_system* System() { return &system_; }

    // Opens the cabinet once for the whole walk; libmspack's later opens of `hostPath` for
    // reading share this descriptor, each with a position of its own. 0 or the Windows code.
    DWORD OpenCabinet(const std::string& hostPath);
    const std::string& CabinetPath() const { return cabinetPath_; }

    // Reads up to `size` bytes of the cabinet at `offset`: the count read (short at its end),
    // or -1 with the failure recorded.
    ssize_t ReadCabinetAt(off_t offset, void* buffer, size_t size);

    // The handle libmspack gets when it opens `name` for writing, until the next call.
    void ExpectOutput(const std::string& name, HostFile* output);

    // The first failure of our file functions since the last ResetFailure, 0 when none.
    DWORD Failure() const { return failure_; }
    void ResetFailure() { failure_ = ERROR_SUCCESS; }
    void RecordFailure(DWORD code) noexcept;

  private:
    struct OwnedSystem : mspack_system {
        CabIo* owner;
    };

    static CabIo& Owner(mspack_system* self) { return *static_cast<OwnedSystem*>(self)->owner; }
    static mspack_file* Open(mspack_system* self, const char* filename, int mode) noexcept;
    static void Close(mspack_file* file) noexcept;
    static int Read(mspack_file* file, void* buffer, int bytes) noexcept;
    static int Write(mspack_file* file, void* buffer, int bytes) noexcept;
    static int Seek(mspack_file* file, off_t offset, int mode) noexcept;
    static off_t Tell(mspack_file* file) noexcept;
    static void Message(mspack_file* file, const char* format, ...) noexcept;
    static void* Alloc(mspack_system* self, size_t bytes) noexcept;
    static void Free(void* pointer) noexcept;
    static void Copy(void* source, void* destination, size_t bytes) noexcept;

    mspack_file* OpenForReading(const char* filename);

    OwnedSystem system_;
    int cabinetFd_ = -1;
    off_t cabinetSize_ = 0;
    std::string cabinetPath_;
    std::string outputName_;
    HostFile* output_ = nullptr;
    DWORD failure_ = ERROR_SUCCESS;
};

}  // namespace vantrel
