#pragma once

// How the cabinet service turns what went wrong into the Windows system error codes its callers
// explain to people.

#include "platform/win_types.h"

namespace vantrel {

// Windows codes this service reports besides those of win_types.h.
constexpr DWORD kErrorCannotOpen =
    4;  // ERROR_TOO_MANY_OPEN_FILES: "The system cannot open the file."
constexpr DWORD kErrorInvalidParameter = 87;  // ERROR_INVALID_PARAMETER

// Opening the cabinet (or another input) failed with `error`.
DWORD OpenErrorFromErrno(int error);

// Creating, writing, closing or renaming a target file failed with `error`.
DWORD WriteErrorFromErrno(int error);

// A libmspack call failed with `mspackError`. `ioFailure` is the code our own file functions
// recorded during that call (0 when none failed): it names the real cause more precisely than
// libmspack's generic "could not read" or "could not open".
DWORD CabinetErrorFromMspack(int mspackError, DWORD ioFailure);

}  // namespace vantrel
