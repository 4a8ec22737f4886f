#pragma once

// The one translation of POSIX errno values into Windows system error codes: every service of
// this layer that reports an errno to a Windows-shaped caller goes through it.

#include "platform/win_types.h"

namespace vantrel {

// The Windows code closest to `error`: 0 stays 0; a value without a closer match becomes
// `fallback`, which says what kind of operation failed (opening, writing, ...).
DWORD Win32ErrorFromErrno(int error, DWORD fallback);

}  // namespace vantrel
