#pragma once

// The cabinet iteration service of the Windows Setup API: it walks a Microsoft Cabinet file and
// calls the caller back for every event of the walk, with the records and notification numbers
// Windows publishes. On Windows our layer stands in front of the system's own, which writes a
// file in place; elsewhere the service is built on libmspack. Either way it keeps the promises
// below.

#include "platform/win_types.h"

#ifdef _WIN32

#include <setupapi.h>

#else

namespace vantrel {

// Notifications sent to the callback.
constexpr UINT SPFILENOTIFY_CABINETINFO = 0x10;     // Param1: CABINET_INFO_A*, once per cabinet
constexpr UINT SPFILENOTIFY_FILEINCABINET = 0x11;   // Param1: FILE_IN_CABINET_INFO_A*, per file;
                                                    // Param2: the cabinet's path as given
constexpr UINT SPFILENOTIFY_NEEDNEWCABINET = 0x12;  // Param1: CABINET_INFO_A*, Param2: char[260]
constexpr UINT SPFILENOTIFY_FILEEXTRACTED = 0x13;   // Param1: FILEPATHS_A*, per file written

// Answers to SPFILENOTIFY_FILEINCABINET.
constexpr UINT FILEOP_ABORT = 0;  // stop the walk; it fails with the record's Win32Error
constexpr UINT FILEOP_DOIT = 1;   // write the file to FullTargetName
constexpr UINT FILEOP_SKIP = 2;   // pass the file by

struct CABINET_INFO_A {
    PCSTR CabinetPath;  // folder of the cabinet, ANSI
    PCSTR CabinetFile;  // file name of the cabinet, ANSI
    PCSTR DiskName;
    USHORT SetId;
    USHORT CabinetNumber;
};

struct FILE_IN_CABINET_INFO_A {
    PCSTR NameInCabinet;  // NUL-terminated ANSI name, folder part included, "\" separated
    DWORD FileSize;       // uncompressed size in bytes
    DWORD Win32Error;     // set by the callback to explain FILEOP_ABORT
    WORD DosDate;         // MS-DOS date stamp as stored in the cabinet
    WORD DosTime;         // MS-DOS time stamp as stored in the cabinet
    WORD DosAttribs;
    CHAR FullTargetName[MAX_PATH];  // filled by the callback for FILEOP_DOIT: Windows path, ANSI
};

struct FILEPATHS_A {
    PCSTR Target;     // the Windows path the file was written to, ANSI
    PCSTR Source;     // the name inside the cabinet, ANSI
    UINT Win32Error;  // 0 when the file was written, else the reason it was not
    DWORD Flags;
};

using PSP_FILE_CALLBACK_A = UINT(CALLBACK*)(PVOID Context, UINT Notification, UINT_PTR Param1,
                                            UINT_PTR Param2);

}  // namespace vantrel

#endif

namespace vantrel {

// Walks the cabinet at `CabinetFile` (a Windows path in the ANSI code page) and, when it is the
// first part of a cabinet set, every further part, found beside the part before unless the
// callback names another folder (SPFILENOTIFY_NEEDNEWCABINET). Returns nonzero when the walk
// finished; zero when it failed, with the reason left in GetLastError().
//
// Beyond the system's protocol:
// - A file is written whole or not at all: until it is complete, a file already at the target
//   stays as it was, also when the program is killed; a killed walk leaves at worst a hidden
//   temporary file, which the next walk writing into that folder removes.
// - A nonzero answer to SPFILENOTIFY_FILEEXTRACTED or SPFILENOTIFY_NEEDNEWCABINET, and
//   FILEOP_ABORT, end the walk with that reason (FILEOP_ABORT: the record's Win32Error).
// - Everything written is on stable storage before the walk reports success.
//
// As with the system's own service, `MsgHandler` must not let a C++ exception out: a walk cannot
// carry one back to the caller. One that escapes anyway ends the program (std::terminate), so
// that the mistake shows at once rather than as a walk that stopped for no reason.
BOOL SetupIterateCabinetA(PCSTR CabinetFile, DWORD Reserved, PSP_FILE_CALLBACK_A MsgHandler,
                          PVOID Context);

}  // namespace vantrel
