#pragma once

// The Win32 backend's tests run the forms runtime on it: real windows of the common controls
// under Wine, on an X server of their own (run-on-display.sh), at a fresh prefix's 96 dots per
// inch. Keys are pressed as the keyboard presses them (SendInput), so they reach the window
// with the focus through the forms' own message loops.

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/forms/backends/shown.h"
#include "platform/forms/backends/win32/conversions.h"
#include "platform/forms/form.h"
#include "platform/forms/runtime.h"
#include "platform/forms/runtime_environment.h"

namespace vantrel::test {

inline const bool kWin32EnvironmentRegistered =
    (::testing::AddGlobalTestEnvironment(new RuntimeEnvironment("vantrel-win32-tests")), true);

// Presses and releases `key`, with Shift or Alt held when asked.
void PressKey(WORD key, WORD modifier = 0, bool keypad = false);

// The window's place in its parent's client area, or on the screen for a top-level window.
RECT PlaceOf(HWND window);

std::string TextOf(HWND window);

// The window of class `windowClass` that `owner` owns, among this thread's; null for none.
HWND FindThreadWindow(const wchar_t* windowClass, HWND owner);

// The colours of the pixels of `area` (client coordinates of `window`) as it is painted now.
std::vector<COLORREF> PixelsOf(HWND window, const RECT& area);

}  // namespace vantrel::test
