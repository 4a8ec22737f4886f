#pragma once

// The kernel32 functions the program uses: the thread's last error, the time conversions that
// turn a cabinet's MS-DOS stamps into dates, the expansion of environment references in
// registry values, and the ANSI code page with its conversions to and from UTF-16. On Windows
// they are the system's own.

#include "platform/win_types.h"

#ifndef _WIN32

namespace vantrel {

// 100-nanosecond intervals since 1601-01-01 00:00:00.
struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};
using LPFILETIME = FILETIME*;

struct SYSTEMTIME {
    WORD wYear;
    WORD wMonth;
    WORD wDayOfWeek;
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
};
using LPSYSTEMTIME = SYSTEMTIME*;

// The calling thread's last system error code.
DWORD GetLastError();
void SetLastError(DWORD dwErrCode);

// MS-DOS date (year - 1980 in bits 15-9, month 8-5, day 4-0) and time (hour 15-11, minute 10-5,
// seconds / 2 in 4-0) to a file time. FALSE, with the file time untouched, when a field is out
// of range (month 0 or above 12, day 0 or past the month's end, hour above 23, minute above 59,
// seconds above 59).
BOOL DosDateTimeToFileTime(WORD wFatDate, WORD wFatTime, LPFILETIME lpFileTime);

// FALSE when the file time is beyond what a SYSTEMTIME holds (year 30827).
BOOL FileTimeToSystemTime(const FILETIME* lpFileTime, LPSYSTEMTIME lpSystemTime);

// Replaces each %NAME% of `lpSrc` (ANSI) that names a variable of the environment a Windows
// process sees by its value; an unknown %NAME% and a lone "%" stay as written. Over POSIX that
// environment is the process's own, then the variables the prefix's registry gives every process
// (see posix/registry/environment.h). Writes the result and its zero when `nSize` bytes hold
// them, and answers the size they need: more than `nSize` means nothing was written.
DWORD ExpandEnvironmentStringsA(LPCSTR lpSrc, LPSTR lpDst, DWORD nSize);

// The ANSI code page of the user: the one Windows uses for the locale the user's environment
// names.
UINT GetACP();

// Text of `CodePage` to UTF-16 and back, with Windows' calling conventions: a length of -1
// means "up to and including the terminating zero"; an output size of 0 asks for the size
// needed; the answer is the count written, or 0 with the last error set (ERROR_INVALID_PARAMETER,
// ERROR_INSUFFICIENT_BUFFER). `dwFlags` must be 0. Code page 0 is GetACP()'s; one the host
// cannot convert is taken as 1252. Bytes that are no character of the code page become U+FFFD;
// characters the code page lacks become "?", or `lpDefaultChar`'s first byte.
int MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCCH lpMultiByteStr, int cbMultiByte,
                        LPWSTR lpWideCharStr, int cchWideChar);
int WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWCH lpWideCharStr, int cchWideChar,
                        LPSTR lpMultiByteStr, int cbMultiByte, LPCCH lpDefaultChar,
                        LPBOOL lpUsedDefaultChar);

}  // namespace vantrel

#endif
