#pragma once

// The cursor calls of user32 the dialog makes. On Windows they are the system's own. Elsewhere
// the window backend answers them over the application's override cursor: a cursor made current
// stays until another one is, whatever the pointer passes over, and the arrow hands the pointer
// back to the windows' own cursors.

#ifdef _WIN32

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#else

#include <cstdint>

namespace vantrel {

struct HCURSOR__;
using HCURSOR = HCURSOR__*;
struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;
using LPSTR = char*;
using LPCSTR = const char*;

// The system cursor numbered by `lpCursorName` (MAKEINTRESOURCEA) when `hInstance` is null; null
// for a number that names no system cursor, for a name, and with a module (the program has no
// cursor resources).
HCURSOR LoadCursorA(HINSTANCE hInstance, LPCSTR lpCursorName);

// Makes `hCursor` the current cursor and answers the previous one. A null cursor hides it.
HCURSOR SetCursor(HCURSOR hCursor);
HCURSOR GetCursor();

}  // namespace vantrel

// A resource number where a resource name is expected, as Windows passes them.
#define MAKEINTRESOURCEA(i) \
    (reinterpret_cast<::vantrel::LPSTR>(static_cast<std::uintptr_t>(static_cast<std::uint16_t>(i))))
#define IS_INTRESOURCE(r) ((reinterpret_cast<std::uintptr_t>(r) >> 16) == 0)

#define IDC_ARROW MAKEINTRESOURCEA(32512)
#define IDC_IBEAM MAKEINTRESOURCEA(32513)
#define IDC_WAIT MAKEINTRESOURCEA(32514)
#define IDC_CROSS MAKEINTRESOURCEA(32515)
#define IDC_APPSTARTING MAKEINTRESOURCEA(32650)

#endif
