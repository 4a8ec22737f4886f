#include "platform/posix/cabinet/errors.h"

#include <mspack.h>

#include <cerrno>

#include "platform/last_error.h"

namespace vantrel {

DWORD OpenErrorFromErrno(int error) {
    if (error == ELOOP) {
        return ERROR_PATH_NOT_FOUND;
    }
    return Win32ErrorFromErrno(error, ERROR_TOO_MANY_OPEN_FILES);
}

DWORD WriteErrorFromErrno(int error) {
    switch (error) {
        case ENOSPC:
        case EDQUOT:
            return ERROR_DISK_FULL;
        case EROFS:
            return ERROR_WRITE_PROTECT;
        case EACCES:
        case EPERM:
        case EISDIR:
        case ETXTBSY:
            return ERROR_ACCESS_DENIED;
        case ENAMETOOLONG:
            return ERROR_BUFFER_OVERFLOW;
        // The target's folder is missing or a part of its path is a file.
        case ENOENT:
        case ENOTDIR:
        case ELOOP:
            return ERROR_PATH_NOT_FOUND;
        case ENOMEM:
            return ERROR_NOT_ENOUGH_MEMORY;
        default:
            return ERROR_WRITE_FAULT;
    }
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
