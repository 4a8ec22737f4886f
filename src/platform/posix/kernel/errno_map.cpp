#include "platform/posix/kernel/errno_map.h"

#include <cerrno>

namespace vantrel {

DWORD Win32ErrorFromErrno(int error, DWORD fallback) {
    switch (error) {
        case 0:
            return ERROR_SUCCESS;
        case ENOENT:
            return ERROR_FILE_NOT_FOUND;
        // A part of the path is a file, or links lead round in a circle: the way is not there.
        case ENOTDIR:
        case ELOOP:
            return ERROR_PATH_NOT_FOUND;
        case EACCES:
        case EPERM:
        case EISDIR:
        case ETXTBSY:
            return ERROR_ACCESS_DENIED;
        case ENOMEM:
            return ERROR_NOT_ENOUGH_MEMORY;
        case ENOSPC:
        case EDQUOT:
            return ERROR_DISK_FULL;
        case EROFS:
            return ERROR_WRITE_PROTECT;
        case ENAMETOOLONG:
            return ERROR_BUFFER_OVERFLOW;
        default:
            return fallback;
    }
}

}  // namespace vantrel
