#pragma once

// The kernel32 functions the program uses: the thread's last error and the time conversions that
// turn a cabinet's MS-DOS stamps into dates. On Windows they are the system's own.

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

}  // namespace vantrel

#endif
