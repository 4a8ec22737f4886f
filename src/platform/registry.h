#pragma once

// The registry functions of advapi32 the installer uses. On Windows they are the system's own.
// Elsewhere they read the registry of the Wine prefix in use: HKEY_LOCAL_MACHINE is the
// prefix's system.reg.
//
// The prefix belongs to the Wine server, which rewrites system.reg from its own memory; a write
// of ours would be lost or would corrupt it. So this registry is read-only: it answers as
// Windows answers a user who may read HKEY_LOCAL_MACHINE but not change it: creating a key that
// does not exist fails with ERROR_ACCESS_DENIED, and so does asking for any right to change one.

#include "platform/win_types.h"

#ifndef _WIN32

#include <cstdint>

namespace vantrel {

struct HKEY__;
using HKEY = HKEY__*;

using PHKEY = HKEY*;
using REGSAM = DWORD;
using LSTATUS = LONG;

inline const HKEY HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(std::uintptr_t{0x80000002});

// Value types.
constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_DWORD_BIG_ENDIAN = 5;
constexpr DWORD REG_LINK = 6;
constexpr DWORD REG_MULTI_SZ = 7;
constexpr DWORD REG_QWORD = 11;

// Access rights.
constexpr DWORD KEY_QUERY_VALUE = 0x0001;
constexpr DWORD KEY_SET_VALUE = 0x0002;
constexpr DWORD KEY_CREATE_SUB_KEY = 0x0004;
constexpr DWORD KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr DWORD KEY_NOTIFY = 0x0010;
constexpr DWORD KEY_CREATE_LINK = 0x0020;
constexpr DWORD KEY_WOW64_64KEY = 0x0100;
constexpr DWORD KEY_WOW64_32KEY = 0x0200;
constexpr DWORD DELETE = 0x00010000;
constexpr DWORD READ_CONTROL = 0x00020000;
constexpr DWORD WRITE_DAC = 0x00040000;
constexpr DWORD WRITE_OWNER = 0x00080000;
constexpr DWORD MAXIMUM_ALLOWED = 0x02000000;
constexpr DWORD GENERIC_ALL = 0x10000000;
constexpr DWORD GENERIC_WRITE = 0x40000000;
constexpr DWORD GENERIC_READ = 0x80000000;
constexpr DWORD KEY_READ = READ_CONTROL | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY;

// Options and dispositions of RegCreateKeyExA.
constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

struct SECURITY_ATTRIBUTES {
    DWORD nLength;
    PVOID lpSecurityDescriptor;
    BOOL bInheritHandle;
};
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

// Opens `lpSubKey` (ANSI, relative to `hKey`, "\"-separated, not starting with "\") for
// `samDesired`. The key's values are read from the prefix now; the handle answers from them
// until it is closed. A missing key gives ERROR_FILE_NOT_FOUND and *phkResult nullptr.
// `ulOptions` is not looked at: this registry has no link keys of its own to open as such.
LSTATUS RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired,
                      PHKEY phkResult);

// As RegOpenKeyExA, but a missing key gives ERROR_ACCESS_DENIED, since it would have to be
// created; an existing one gives REG_OPENED_EXISTING_KEY. `lpClass`, `dwOptions` and
// `lpSecurityAttributes` only matter when creating, which never happens here.
LSTATUS RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved, LPSTR lpClass, DWORD dwOptions,
                        REGSAM samDesired, const LPSECURITY_ATTRIBUTES lpSecurityAttributes,
                        PHKEY phkResult, LPDWORD lpdwDisposition);

// Reads the value `lpValueName` (ANSI; nullptr or "" for the default value). Text types come in
// the ANSI code page with their terminating zero(s). With `lpData`, `*lpcbData` offers its size;
// ERROR_MORE_DATA when the data does not fit, with `*lpcbData` set to the size needed and
// `lpData` left untouched. ERROR_FILE_NOT_FOUND for a missing value.
LSTATUS RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                         LPBYTE lpData, LPDWORD lpcbData);

LSTATUS RegCloseKey(HKEY hKey);

}  // namespace vantrel

#endif
