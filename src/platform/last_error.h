#pragma once

#include "platform/win_types.h"

namespace vantrel {

// The calling thread's last system error code, as Windows keeps it.
DWORD GetLastError();
void SetLastError(DWORD code);

// The Windows system error code closest to a POSIX errno value (0 stays 0; anything without a
// closer match becomes `fallback`).
DWORD Win32ErrorFromErrno(int error, DWORD fallback);

}  // namespace vantrel
