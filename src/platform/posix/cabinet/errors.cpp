#include "platform/posix/cabinet/errors.h"

#include <mspack.h>

#include <cerrno>

#include "platform/posix/kernel/errno_map.h"

namespace vantrel {

DWORD OpenErrorFromErrno(int error) {
    return Win32ErrorFromErrno(error, ERROR_TOO_MANY_OPEN_FILES);
}

// Creating a file fails with ENOENT only when a folder on its way is missing, which Windows
// reports as a missing path.
DWORD WriteErrorFromErrno(int error) {
    return error == ENOENT ? ERROR_PATH_NOT_FOUND : Win32ErrorFromErrno(error, ERROR_WRITE_FAULT);
}

DWORD CabinetErrorFromMspack(int mspackError, DWORD ioFailure) {
    if (mspackError == MSPACK_ERR_OK) {
        return ERROR_SUCCESS;
    }
    if (ioFailure != ERROR_SUCCESS) {
        return ioFailure;
    }
    switch (mspackError) {
        case MSPACK_ERR_NOMEMORY:
            return ERROR_NOT_ENOUGH_MEMORY;
        case MSPACK_ERR_CHECKSUM:
            return ERROR_CRC;
        case MSPACK_ERR_WRITE:
            return ERROR_WRITE_FAULT;
        // Without a failure of our own file functions, a failed read or seek means the cabinet
        // ended before its headers or data said it would: a broken cabinet, like the rest.
        default:
            return ERROR_INVALID_DATA;
    }
}

}  // namespace vantrel
