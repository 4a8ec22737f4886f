#pragma once

// The Windows integer types, constants and system error codes the platform's interfaces are
// declared with. On Windows they are the system's own, from <windows.h>. Elsewhere this layer
// declares the same names, with the sizes Windows gives them, in namespace vantrel, so that the
// code above reads and compiles alike on both.
//
// Code written against these names must not rely on what differs: on Windows DWORD, UINT and
// LONG are three distinct types (unsigned long, unsigned int, long) and the codes are macros of
// type long; here the first two are the same type and the codes are typed constants.

#ifdef _WIN32

#ifndef NOMINMAX
#define NOMINMAX  // std::min and std::max, not the macros
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#else

#include <cstdint>

// Windows marks its callbacks with the calling convention they are called with; other systems
// have one convention only.
#ifndef CALLBACK
#define CALLBACK
#endif

namespace vantrel {

using BOOL = int;
using BYTE = std::uint8_t;
using CHAR = char;
using WORD = std::uint16_t;
using USHORT = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = std::uint32_t;
using LONG = std::int32_t;
using UINT_PTR = std::uintptr_t;
using PVOID = void*;
using WCHAR = char16_t;  // a UTF-16 code unit, as Windows' wchar_t

using LPBOOL = BOOL*;
using LPBYTE = BYTE*;
using LPDWORD = DWORD*;
using LPSTR = char*;
using LPCSTR = const char*;
using PCSTR = const char*;
using LPCCH = const char*;
using LPWSTR = WCHAR*;
using LPCWCH = const WCHAR*;

constexpr BOOL FALSE = 0;
constexpr BOOL TRUE = 1;

constexpr int MAX_PATH = 260;

// Windows system error codes this layer reports.
constexpr DWORD ERROR_SUCCESS = 0;
constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
constexpr DWORD ERROR_PATH_NOT_FOUND = 3;
constexpr DWORD ERROR_TOO_MANY_OPEN_FILES = 4;  // "The system cannot open the file."
constexpr DWORD ERROR_ACCESS_DENIED = 5;
constexpr DWORD ERROR_INVALID_HANDLE = 6;
constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr DWORD ERROR_INVALID_DATA = 13;
constexpr DWORD ERROR_INVALID_DRIVE = 15;
constexpr DWORD ERROR_WRITE_PROTECT = 19;
constexpr DWORD ERROR_NOT_READY = 21;
constexpr DWORD ERROR_CRC = 23;
constexpr DWORD ERROR_WRITE_FAULT = 29;
constexpr DWORD ERROR_READ_FAULT = 30;
constexpr DWORD ERROR_NOT_SUPPORTED = 50;
constexpr DWORD ERROR_INVALID_PARAMETER = 87;
constexpr DWORD ERROR_BUFFER_OVERFLOW = 111;
constexpr DWORD ERROR_DISK_FULL = 112;
constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 122;
constexpr DWORD ERROR_INVALID_NAME = 123;
constexpr DWORD ERROR_BAD_PATHNAME = 161;
constexpr DWORD ERROR_ALREADY_EXISTS = 183;
constexpr DWORD ERROR_MORE_DATA = 234;
constexpr DWORD ERROR_DIRECTORY = 267;
constexpr DWORD ERROR_OPERATION_ABORTED = 995;

}  // namespace vantrel

#endif
