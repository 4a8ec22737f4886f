#pragma once

// What assistive technology (a screen reader, through MSAA, which UI Automation reads too) is
// told of our windows beyond what the system's own description of their kind says.

#include <windows.h>

#include <optional>
#include <string>

namespace vantrel::win32 {

// Unset parts are the system's own description of the window.
struct AccessibleFacts {
    std::optional<LONG> Role;  // ROLE_SYSTEM_...
    std::optional<std::wstring> Name;
    std::optional<std::wstring> Value;
    std::optional<std::wstring> Description;
    bool ReadOnly = false;
    bool Leaf = false;  // told of as one whole, without the parts the system would list
};

// Where the facts of a window are read, each time they are asked for: the window changes, and
// may be gone while assistive technology still holds its description.
using FactsOf = AccessibleFacts (*)(HWND window);

// The answer to WM_GETOBJECT for `window`: its client area described by `factsOf` over the
// system's own description. 0 for any other object, or when the system cannot describe it, so
// that the window's default procedure answers.
LRESULT AnswerGetObject(HWND window, WPARAM flags, LPARAM objectId, FactsOf factsOf);

}  // namespace vantrel::win32
