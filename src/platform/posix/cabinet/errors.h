#pragma once

// How the cabinet service turns what went wrong into the Windows system error codes its callers
// explain to people.

#include "platform/win_types.h"

namespace vantrel {

// Opening the cabinet (or another input) failed with `error`.
DWORD OpenErrorFromErrno(int error);

// Creating, writing, closing or renaming a target file failed with `error`.
DWORD WriteErrorFromErrno(int error);

// A libmspack call failed with `mspackError`. `ioFailure` is the code our own file functions
// recorded during that call (0 when none failed): it names the real cause more precisely than
// libmspack's generic "could not read" or "could not open".
DWORD CabinetErrorFromMspack(int mspackError, DWORD ioFailure);

}  // namespace vantrel
