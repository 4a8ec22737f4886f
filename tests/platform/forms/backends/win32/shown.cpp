// What the Win32 backend shows, read from its windows through user32, GDI and MSAA (see
// shown.h).

#include "platform/forms/backends/shown.h"

#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>
#include <oleacc.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <utility>

#include "platform/forms/backends/win32/control_peers.h"
#include "platform/forms/backends/win32/form_window.h"
#include "platform/forms/backends/win32/win32_backend.h"
#include "platform/forms/backends/win32/win32_test_support.h"

namespace vantrel::test {
namespace {

// However busy the windows are, a key is handled within this many messages.
constexpr int kMessagesPerKey = 1000;

HWND Window(WindowHandle handle) {
    return static_cast<HWND>(const_cast<void*>(handle));
}

LONG_PTR StyleOf(HWND window) {
    return GetWindowLongPtrW(window, GWL_STYLE);
}

LONG_PTR ExtendedStyleOf(HWND window) {
    return GetWindowLongPtrW(window, GWL_EXSTYLE);
}

PixelRect PixelsOf(const RECT& rect) {
    return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

LOGFONTW LogFontOf(HWND window) {
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font;
}

// The texts of the items of a combo box or list box, asked for with its own messages.
std::vector<std::string> ItemTexts(HWND window, UINT getCount, UINT getText) {
    std::vector<std::string> texts;
    for (int i = 0; i < SendMessageW(window, getCount, 0, 0); ++i) {
        wchar_t text[MAX_PATH] = {};
        SendMessageW(window, getText, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        texts.push_back(win32::Utf8(text));
    }
    return texts;
}

AccessibleRole RoleOf(LONG role) {
    static const std::pair<LONG, AccessibleRole> kRoles[] = {
        {ROLE_SYSTEM_WINDOW, AccessibleRole::Window},
        {ROLE_SYSTEM_CLIENT, AccessibleRole::Client},
        {ROLE_SYSTEM_DIALOG, AccessibleRole::Dialog},
        {ROLE_SYSTEM_STATICTEXT, AccessibleRole::StaticText},
        {ROLE_SYSTEM_TEXT, AccessibleRole::EditableText},
        {ROLE_SYSTEM_PUSHBUTTON, AccessibleRole::Button},
        {ROLE_SYSTEM_COMBOBOX, AccessibleRole::ComboBox},
        {ROLE_SYSTEM_PROGRESSBAR, AccessibleRole::ProgressBar}};
    for (const auto& [msaa, ours] : kRoles) {
        if (msaa == role) {
            return ours;
        }
    }
    return AccessibleRole::Other;
}

// What a screen reader reads of a window through MSAA, as it asks for it.
struct Described {
    LONG Role = 0;
    LONG State = 0;
    std::string Name, Value, Description;
};

Described Describe(HWND window) {
    Described read;
    IAccessible* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(window, OBJID_CLIENT, __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&object)))) {
        return read;
    }
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    VARIANT answer{};
    if (SUCCEEDED(object->get_accRole(self, &answer)) && answer.vt == VT_I4) {
        read.Role = answer.lVal;
    }
    if (SUCCEEDED(object->get_accState(self, &answer)) && answer.vt == VT_I4) {
        read.State = answer.lVal;
    }
    for (auto [part, text] : {std::pair(&IAccessible::get_accName, &read.Name),
                              std::pair(&IAccessible::get_accValue, &read.Value),
                              std::pair(&IAccessible::get_accDescription, &read.Description)}) {
        BSTR told = nullptr;
        if ((object->*part)(self, &told) == S_OK && told != nullptr) {
            *text = win32::Utf8(told);
            SysFreeString(told);
        }
    }
    object->Release();
    return read;
}

// In the order of Key.
struct KeyStroke {
    WORD Key;
    WORD Modifier;
    bool Keypad;
} const kStrokes[] = {
    {VK_RETURN, 0, false}, {VK_RETURN, 0, true},        {VK_SPACE, 0, false},
    {VK_ESCAPE, 0, false}, {VK_RETURN, VK_MENU, false}, {VK_RETURN, VK_SHIFT, false},
    {'A', 0, false},       {VK_TAB, 0, false},          {VK_TAB, VK_SHIFT, false},
    {VK_UP, 0, false},     {VK_DOWN, 0, false},         {VK_HOME, 0, false},
    {VK_END, 0, false}};
static_assert(std::size(kStrokes) == static_cast<std::size_t>(Key::End) + 1);

}  // namespace

WindowHandle HandleOf(const Form& form) {
    return win32::WindowOf(form);
}

WindowHandle HandleOf(const Control& control) {
    return win32::WindowOf(control);
}

WindowHandle ParentOf(const Control& control) {
    return GetParent(win32::WindowOf(control));
}

WindowHandle FocusedWindow() {
    return GetFocus();
}

std::string TitleOf(const Form& form) {
    return TextOf(win32::WindowOf(form));
}

// A caption bar is WS_CAPTION whole; a frame is any part of it, or a sizing border.
Frame FrameOf(const Form& form) {
    const HWND window = win32::WindowOf(form);
    const LONG_PTR style = StyleOf(window);
    const LONG_PTR extended = ExtendedStyleOf(window);
    return {.TopLevel = (style & WS_POPUP) != 0 && (style & WS_CHILD) == 0,
            .Border = (style & (WS_CAPTION | WS_THICKFRAME)) != 0,
            .TitleBar = (style & WS_CAPTION) == WS_CAPTION,
            .CloseBox = (style & WS_SYSMENU) != 0,
            .MinimizeBox = (style & WS_MINIMIZEBOX) != 0,
            .MaximizeBox = (style & WS_MAXIMIZEBOX) != 0,
            .HelpBox = (extended & WS_EX_CONTEXTHELP) != 0,
            .Resizable = (style & WS_THICKFRAME) != 0,
            .DialogFrame = (extended & WS_EX_DLGMODALFRAME) != 0};
}

PixelSize ClientSizeOf(const Form& form) {
    RECT client;
    GetClientRect(win32::WindowOf(form), &client);
    return {client.right, client.bottom};
}

PixelRect ScreenPlaceOf(const Form& form) {
    return PixelsOf(PlaceOf(win32::WindowOf(form)));
}

PixelSize ScreenSize() {
    return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

bool IsShown(const Form& form) {
    return IsWindowVisible(win32::WindowOf(form)) != FALSE;
}

// Win32 keeps the user from the owner by disabling it.
bool BlocksItsOwner(const Form& form) {
    const HWND owner = GetWindow(win32::WindowOf(form), GW_OWNER);
    return owner != nullptr && !IsWindowEnabled(owner);
}

WindowHandle OwnerOf(const Form& form) {
    return GetWindow(win32::WindowOf(form), GW_OWNER);
}

void UseTheCloseBox(Form& form) {
    SendMessageW(win32::WindowOf(form), WM_CLOSE, 0, 0);
}

PixelRect PlaceOf(const Control& control) {
    return PixelsOf(PlaceOf(win32::WindowOf(control)));
}

std::string TextOf(const Control& control) {
    return TextOf(win32::WindowOf(control));
}

std::string ToolTipOf(const Control& control) {
    const HWND form = win32::WindowOf(control.Parent());
    wchar_t text[256] = {};
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = form;
    tool.uId = reinterpret_cast<UINT_PTR>(win32::WindowOf(control));
    tool.lpszText = text;
    SendMessageW(FindThreadWindow(TOOLTIPS_CLASSW, form), TTM_GETTEXTW, 256,
                 reinterpret_cast<LPARAM>(&tool));
    return win32::Utf8(text);
}

bool IsVisible(const Control& control) {
    return (StyleOf(win32::WindowOf(control)) & WS_VISIBLE) != 0;
}

bool IsEnabled(const Control& control) {
    return IsWindowEnabled(win32::WindowOf(control)) != FALSE;
}

FontShown FontOf(const Control& control) {
    const LOGFONTW font = LogFontOf(win32::WindowOf(control));
    return {win32::Utf8(font.lfFaceName), static_cast<double>(font.lfHeight),
            font.lfWeight == FW_BOLD, font.lfItalic != FALSE};
}

// A height below zero asks for the characters' height, without the space above them.
FontShown AsShown(const StdFont& font) {
    return {font.Name, -static_cast<double>(std::lround(font.Size * 96 / 72.0)), font.Bold,
            font.Italic};
}

double TextWidthOf(const Label& label) {
    const HWND window = win32::WindowOf(label);
    const HDC dc = GetDC(window);
    SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)));
    const std::wstring text = win32::Wide(label.Caption());
    SIZE size;
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    ReleaseDC(window, dc);
    return size.cx;
}

// The caption is painted in the button face; the rest of the label is the form's colour.
LabelLook LookOf(const Label& label) {
    const HWND window = win32::WindowOf(label);
    const LONG_PTR style = StyleOf(window);
    const std::vector<COLORREF> pixels = PixelsOf(win32::WindowOf(label.Parent()), PlaceOf(window));
    const auto count = [&](COLORREF colour) {
        return std::count(pixels.begin(), pixels.end(), colour);
    };
    const COLORREF form = win32::ToColorRef(label.Parent().BackColor());
    return {.PlainText = (style & SS_NOPREFIX) != 0,
            .OneLine = (style & SS_TYPEMASK) == SS_LEFTNOWORDWRAP,
            .TextInButtonFace = count(GetSysColor(COLOR_BTNFACE)) > 100,
            .FormColourShowsThrough =
                count(form) > static_cast<long>(pixels.size()) / 2 && pixels.back() == form};
}

// A range of nothing shows the marquee.
Progress ProgressOf(const ProgressBar& bar) {
    const HWND window = win32::WindowOf(bar);
    return {.Busy = (StyleOf(window) & PBS_MARQUEE) != 0,
            .Maximum = static_cast<int>(SendMessageW(window, PBM_GETRANGE, FALSE, 0)),
            .Value = static_cast<int>(SendMessageW(window, PBM_GETPOS, 0, 0))};
}

std::vector<std::string> ItemsOf(const DriveListBox& list) {
    return ItemTexts(win32::WindowOf(list), CB_GETCOUNT, CB_GETLBTEXT);
}

std::vector<std::string> RowsOf(const DirListBox& list) {
    return ItemTexts(win32::WindowOf(list), LB_GETCOUNT, LB_GETTEXT);
}

int CurrentRowOf(const DirListBox& list) {
    return static_cast<int>(SendMessageW(win32::WindowOf(list), LB_GETCURSEL, 0, 0));
}

std::vector<WindowHandle> TabStopsOf(const Form& form) {
    std::vector<WindowHandle> order;
    for (HWND child = GetWindow(win32::WindowOf(form), GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if (StyleOf(child) & WS_TABSTOP) {
            order.push_back(child);
        }
    }
    return order;
}

Accessible Read(WindowHandle window) {
    Described read = Describe(Window(window));
    return {RoleOf(read.Role), std::move(read.Name), std::move(read.Value)};
}

std::string DescriptionOf(WindowHandle window) {
    return Describe(Window(window)).Description;
}

AccessibleState StateOf(WindowHandle window) {
    const LONG state = Describe(Window(window)).State;
    return {.ReadOnly = (state & STATE_SYSTEM_READONLY) != 0,
            .Focusable = (state & STATE_SYSTEM_FOCUSABLE) != 0,
            .Unavailable = (state & STATE_SYSTEM_UNAVAILABLE) != 0};
}

void Focus(const Control& control) {
    SetFocus(win32::WindowOf(control));
}

// The key goes through the input queue, as the keyboard's do; the queue is then emptied as
// the forms' loops empty it, so that the key has done its work on return.
void Press(Key key) {
    const KeyStroke& stroke = kStrokes[static_cast<int>(key)];
    PressKey(stroke.Key, stroke.Modifier, stroke.Keypad);
    auto& backend = static_cast<win32::Win32Backend&>(*Services().Windows);
    MSG message;
    for (int handled = 0;
         handled < kMessagesPerKey &&
         PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_INPUT | PM_QS_POSTMESSAGE) &&
         message.message != WM_QUIT;
         ++handled) {
        backend.HandleNextMessage();
    }
}

}  // namespace vantrel::test
