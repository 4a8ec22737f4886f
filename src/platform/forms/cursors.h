#pragma once

// The two cursor calls of the user32 library the dialog makes, over the application's override
// cursor: a cursor made current stays until another one is, whatever the mouse passes over.

#include <cstdint>

namespace vantrel {

using HINSTANCE = void*;
struct SystemCursor;
using HCURSOR = const SystemCursor*;

// System cursor numbers.
inline constexpr std::int32_t IDC_ARROW = 32512;
inline constexpr std::int32_t IDC_IBEAM = 32513;
inline constexpr std::int32_t IDC_WAIT = 32514;
inline constexpr std::int32_t IDC_CROSS = 32515;
inline constexpr std::int32_t IDC_APPSTARTING = 32650;

// The system cursor `lpCursorName` when `hInstance` is null; null for a number that names no
// system cursor, or with a module (the program has no cursor resources).
HCURSOR LoadCursorA(HINSTANCE hInstance, std::int32_t lpCursorName);

// Makes `cursor` the current cursor and answers the previous one. The arrow is the resting
// state: it hands the pointer back to the windows' own cursors. A null cursor hides it.
HCURSOR SetCursor(HCURSOR cursor);

}  // namespace vantrel
