#include "platform/forms/backends/win32/win32_test_support.h"

#include <string_view>
#include <vector>

namespace vantrel::test {
namespace {

Form* expiring = nullptr;
UINT_PTR deadline = 0;
bool expired = false;

void CALLBACK Expire(HWND, UINT, UINT_PTR, DWORD) {
    if (expiring != nullptr && expiring->Visible()) {
        expired = true;
        expiring->Hide();
    }
}

INPUT KeyInput(WORD key, bool up, bool keypad) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (keypad ? KEYEVENTF_EXTENDEDKEY : 0);
    return input;
}

}  // namespace

void PressKey(WORD key, WORD modifier, bool keypad) {
    std::vector<INPUT> inputs;
    if (modifier != 0) {
        inputs.push_back(KeyInput(modifier, false, false));
    }
    inputs.push_back(KeyInput(key, false, keypad));
    inputs.push_back(KeyInput(key, true, keypad));
    if (modifier != 0) {
        inputs.push_back(KeyInput(modifier, true, false));
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// The timer's message comes only once nothing else is queued: the keys pressed inside have
// been handled by then.
bool ShowModalFor(Form& form, Form& owner, const std::function<void()>& inside, unsigned grace) {
    expiring = &form;
    expired = false;
    RunOnNextTurn([inside, grace] {
        inside();
        deadline = SetTimer(nullptr, 0, grace, Expire);
    });
    form.ShowModal(owner);
    KillTimer(nullptr, deadline);
    expiring = nullptr;
    return expired;
}

RECT PlaceOf(HWND window) {
    RECT place;
    GetWindowRect(window, &place);
    if (GetWindowLongW(window, GWL_STYLE) & WS_CHILD) {
        MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&place), 2);
    }
    return place;
}

std::string TextOf(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return win32::Utf8(text);
}

HWND FindThreadWindow(const wchar_t* windowClass, HWND owner) {
    struct Search {
        std::wstring_view Class;
        HWND Owner;
        HWND Found = nullptr;
    } search{windowClass, owner};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM context) -> BOOL {
            auto& search = *reinterpret_cast<Search*>(context);
            wchar_t name[64] = {};
            GetClassNameW(window, name, 64);
            if (search.Class == name && GetWindow(window, GW_OWNER) == search.Owner) {
                search.Found = window;
            }
            return search.Found == nullptr;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

std::vector<COLORREF> PixelsOf(HWND window, const RECT& area) {
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_ERASENOW);
    const HDC dc = GetDC(window);
    std::vector<COLORREF> pixels;
    for (LONG y = area.top; y < area.bottom; ++y) {
        for (LONG x = area.left; x < area.right; ++x) {
            pixels.push_back(GetPixel(dc, x, y));
        }
    }
    ReleaseDC(window, dc);
    return pixels;
}

}  // namespace vantrel::test
