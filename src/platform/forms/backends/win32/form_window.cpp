#include "platform/forms/backends/win32/form_window.h"

#include <commctrl.h>
#include <oleacc.h>

#include "platform/forms/backends/win32/control_peers.h"
#include "platform/forms/backends/win32/win32_backend.h"
#include "platform/forms/form.h"
#include "windows/resource_ids.h"

namespace vantrel::win32 {
namespace {

constexpr wchar_t kFormClass[] = L"VantrelForm";
constexpr wchar_t kPeerProperty[] = L"VantrelFormPeer";
constexpr UINT kSynchronizeControl = WM_APP + 1;

// The system's dialog class, "#32770": what assistive technology (Narrator among them) takes
// for a dialog.
const wchar_t* const kSystemDialogClass = reinterpret_cast<const wchar_t*>(ULONG_PTR{0x8002});

DWORD StyleOf(FormBorder border) {
    switch (border) {
        case FormBorder::Borderless:
            return WS_POPUP | WS_CLIPSIBLINGS;
        case FormBorder::FixedDialog:
            break;
    }
    return WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPSIBLINGS;
}

DWORD ExtendedStyleOf(FormBorder border) {
    switch (border) {
        case FormBorder::Borderless:
            return WS_EX_CONTROLPARENT;
        case FormBorder::FixedDialog:
            break;
    }
    return WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_CONTROLPARENT;
}

// The title window shows the title's icon, every dialog the dialog's.
int IconOf(FormBorder border) {
    return border == FormBorder::Borderless ? IDI_TITLE_WINDOW : IDI_DIALOG;
}

// The whole window around a client area of the form's size.
SIZE OuterSize(const Form& form) {
    const SIZE client = PixelSize(form.ClientWidth(), form.ClientHeight());
    RECT outer{0, 0, client.cx, client.cy};
    AdjustWindowRectEx(&outer, StyleOf(form.BorderStyle()), FALSE,
                       ExtendedStyleOf(form.BorderStyle()));
    return {outer.right - outer.left, outer.bottom - outer.top};
}

void SetIcons(HWND window, int icon) {
    const HINSTANCE module = GetModuleHandleW(nullptr);
    const struct {
        WPARAM Kind;
        int Width;
        int Height;
    } sizes[] = {{ICON_BIG, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON)},
                 {ICON_SMALL, GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON)}};
    for (const auto& size : sizes) {
        // Shared icons of the program's own resources live as long as the program.
        const HANDLE image = LoadImageW(module, MAKEINTRESOURCEW(icon), IMAGE_ICON, size.Width,
                                        size.Height, LR_SHARED);
        if (image != nullptr) {
            SendMessageW(window, WM_SETICON, size.Kind, reinterpret_cast<LPARAM>(image));
        }
    }
}

// A control that can take the focus: a child with a tab stop, shown and enabled.
bool TakesFocus(HWND window, HWND control) {
    if (control == nullptr || control == window || !IsChild(window, control)) {
        return false;
    }
    return (GetWindowLongW(control, GWL_STYLE) & WS_TABSTOP) != 0 && IsWindowVisible(control) &&
           IsWindowEnabled(control);
}

// The first control in tab order that the user can act on: a read-only one is reached with Tab.
HWND FirstControl(HWND window) {
    const HWND first = GetNextDlgTabItem(window, nullptr, FALSE);
    HWND control = first;
    while (control != nullptr) {
        const ChildPeer* peer = ChildPeer::Of(control);
        if (peer == nullptr || !peer->ReadOnly()) {
            return control;
        }
        control = GetNextDlgTabItem(window, control, FALSE);
        if (control == first) {
            break;
        }
    }
    return first;
}

AccessibleFacts DialogFacts(HWND) {
    AccessibleFacts facts;
    facts.Role = ROLE_SYSTEM_DIALOG;
    return facts;
}

bool Pressed(int key) {
    return GetKeyState(key) < 0;
}

}  // namespace

FormWindowPeer::FormWindowPeer(Form& form, Win32Backend& backend) : form_(form), backend_(backend) {
    static const ATOM formClass = [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = WindowProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        windowClass.lpszClassName = kFormClass;
        return RegisterClassExW(&windowClass);
    }();
    static_cast<void>(formClass);

    if (form.BackColor().IsSystem()) {
        backBrush_ = GetSysColorBrush(form.BackColor().SystemIndex());
    } else {
        ownBrush_.reset(CreateSolidBrush(ToColorRef(form.BackColor())));
        backBrush_ = ownBrush_.get();
    }
    const SIZE outer = OuterSize(form);
    const HINSTANCE module = GetModuleHandleW(nullptr);
    const bool dialog = form.BorderStyle() == FormBorder::FixedDialog;
    window_ = CreateWindowExW(
        ExtendedStyleOf(form.BorderStyle()), dialog ? kSystemDialogClass : kFormClass,
        Wide(form.Caption()).c_str(), StyleOf(form.BorderStyle()), CW_USEDEFAULT, CW_USEDEFAULT,
        outer.cx, outer.cy, nullptr, nullptr, module, this);
    SetPropW(window_, kPeerProperty, this);
    if (dialog) {
        // The dialog class's own procedure stays the default for what we do not handle.
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        defaultProcedure_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
            window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FormWindowPeer::WindowProc)));
    }
    toolTips_ =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                        WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr, module, nullptr);
    SetIcons(window_, IconOf(form.BorderStyle()));
}

FormWindowPeer::~FormWindowPeer() {
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    RemovePropW(window_, kPeerProperty);
    DestroyWindow(toolTips_);
    DestroyWindow(window_);
}

COLORREF FormWindowPeer::BackColor() const {
    return ToColorRef(form_.BackColor());
}

void FormWindowPeer::Changed(Property what) {
    switch (what) {
        case Property::Caption:
            SetWindowTextW(window_, Wide(form_.Caption()).c_str());
            break;
        case Property::Position:
            ApplyPlace();
            break;
        case Property::Visible:
            Show(form_.Visible());
            break;
        default:
            break;
    }
}

// Form::Move gives the window's top-left corner and the size of its client area.
void FormWindowPeer::ApplyPlace() {
    const RECT corner = PixelRect({form_.Left(), form_.Top(), 0, 0});
    const SIZE outer = OuterSize(form_);
    SetWindowPos(window_, nullptr, corner.left, corner.top, outer.cx, outer.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

// The owner is enabled again before the window goes, so that the system hands the activation
// back to it rather than to another program.
void FormWindowPeer::Show(bool visible) {
    if (!visible && modalOwner_ != nullptr) {
        EnableWindow(modalOwner_, TRUE);
        modalOwner_ = nullptr;
    }
    ShowWindow(window_, visible ? SW_SHOW : SW_HIDE);
}

void FormWindowPeer::ShowModal(FormPeer* owner) {
    const auto* ownerPeer = dynamic_cast<FormWindowPeer*>(owner);
    const HWND ownerWindow = ownerPeer != nullptr ? ownerPeer->Handle() : nullptr;
    // Owned, the window stays above its owner and out of the task bar.
    SetWindowLongPtrW(window_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(ownerWindow));
    if (ownerWindow != nullptr && form_.StartUpPosition() == StartPosition::CenterOwner) {
        CentreOver(ownerWindow);
    }
    if (ownerWindow != nullptr && IsWindowEnabled(ownerWindow)) {
        EnableWindow(ownerWindow, FALSE);
        modalOwner_ = ownerWindow;
    }
    backend_.EnterModal(*this);
    Show(true);
    SetForegroundWindow(window_);
    while ((GetWindowLongW(window_, GWL_STYLE) & WS_VISIBLE) != 0 && backend_.HandleNextMessage()) {
    }
    backend_.LeaveModal(*this);
    Show(false);  // when the loop was asked to quit, the window is still up
}

void FormWindowPeer::CentreOver(HWND owner) {
    RECT ownerPlace;
    RECT place;
    GetWindowRect(owner, &ownerPlace);
    GetWindowRect(window_, &place);
    const LONG width = place.right - place.left;
    const LONG height = place.bottom - place.top;
    SetWindowPos(window_, nullptr,
                 ownerPlace.left + (ownerPlace.right - ownerPlace.left - width) / 2,
                 ownerPlace.top + (ownerPlace.bottom - ownerPlace.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FormWindowPeer::SetToolTip(HWND control, const std::string& text) {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = window_;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    const bool known =
        SendMessageW(toolTips_, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool)) != FALSE;
    std::wstring wide = Wide(text);
    if (wide.empty()) {
        if (known) {
            SendMessageW(toolTips_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        }
        return;
    }
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.lpszText = wide.data();
    SendMessageW(toolTips_, known ? TTM_UPDATETIPTEXTW : TTM_ADDTOOLW, 0,
                 reinterpret_cast<LPARAM>(&tool));
}

void FormWindowPeer::SynchronizeLater(HWND control) {
    PostMessageW(window_, kSynchronizeControl, 0, reinterpret_cast<LPARAM>(control));
}

FormWindowPeer* FormWindowPeer::Of(HWND window) {
    return window != nullptr ? static_cast<FormWindowPeer*>(GetPropW(window, kPeerProperty))
                             : nullptr;
}

LRESULT CALLBACK FormWindowPeer::WindowProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) {
        const auto& creation = *reinterpret_cast<const CREATESTRUCTW*>(lParam);
        auto* peer = static_cast<FormWindowPeer*>(creation.lpCreateParams);
        peer->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(peer));
    }
    auto* peer = reinterpret_cast<FormWindowPeer*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (peer == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return peer->HandleMessage(message, wParam, lParam);
}

LRESULT FormWindowPeer::Default(UINT message, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcW(defaultProcedure_, window_, message, wParam, lParam);
}

LRESULT FormWindowPeer::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CLOSE:
            form_.Unload();  // the form decides; it hides the window when it goes
            return 0;
        case WM_ERASEBKGND: {
            RECT client;
            GetClientRect(window_, &client);
            FillRect(reinterpret_cast<HDC>(wParam), &client, backBrush_);
            return 1;
        }
        case WM_CTLCOLORSTATIC:
            if (ChildPeer* peer = ChildPeer::Of(reinterpret_cast<HWND>(lParam))) {
                if (const HBRUSH brush = peer->ControlColors(reinterpret_cast<HDC>(wParam))) {
                    return reinterpret_cast<LRESULT>(brush);
                }
            }
            break;
        case WM_COMMAND:
            if (ChildPeer* peer = ChildPeer::Of(reinterpret_cast<HWND>(lParam))) {
                peer->Command(HIWORD(wParam));
            }
            return 0;
        case WM_DRAWITEM: {
            const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (ChildPeer* peer = ChildPeer::Of(item.hwndItem)) {
                peer->DrawItem(item);
                return TRUE;
            }
            break;
        }
        case WM_MEASUREITEM:
            // Asked while an owner-drawn list is being created, before its peer knows its
            // font; the peer sets the height it needs right after.
            reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight =
                GetSystemMetrics(SM_CYSMICON);
            return TRUE;
        case WM_NOTIFY: {
            auto& notice = *reinterpret_cast<NMHDR*>(lParam);
            if (ChildPeer* peer = ChildPeer::Of(notice.hwndFrom)) {
                return peer->Notify(notice);
            }
            break;
        }
        case kSynchronizeControl:
            if (ChildPeer* peer = ChildPeer::Of(reinterpret_cast<HWND>(lParam))) {
                peer->Synchronize();
            }
            return 0;
        case WM_SETCURSOR:
            return KeepProgramCursor(wParam, lParam);
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) {
                const HWND focus = GetFocus();
                if (focus != nullptr && IsChild(window_, focus)) {
                    lastFocus_ = focus;
                }
            } else if (HIWORD(wParam) == 0) {
                FocusControl();
                if (GetFocus() != window_ && !IsChild(window_, GetFocus())) {
                    SetFocus(window_);
                }
            }
            return 0;
        case WM_SETFOCUS:
            FocusControl();
            return 0;
        case WM_GETOBJECT:
            if (form_.BorderStyle() == FormBorder::FixedDialog) {
                if (const LRESULT answer = AnswerGetObject(window_, wParam, lParam, DialogFacts)) {
                    return answer;
                }
            }
            break;
        default:
            break;
    }
    return Default(message, wParam, lParam);
}

// The system puts the window's own cursor back whenever the mouse moves. A cursor the program
// made current other than the arrow (the hourglass of a running installation) stays until the
// program changes it.
LRESULT FormWindowPeer::KeepProgramCursor(WPARAM wParam, LPARAM lParam) {
    const HCURSOR current = GetCursor();
    if (current == nullptr || current == LoadCursorA(nullptr, IDC_ARROW)) {
        return Default(WM_SETCURSOR, wParam, lParam);
    }
    if (LOWORD(lParam) == static_cast<WORD>(HTERROR)) {
        DefWindowProcW(window_, WM_SETCURSOR, wParam, lParam);  // the beep of a refused click
        SetCursor(current);
    }
    return TRUE;
}

// Back to the control that had the focus when the window was last active, else the first one
// in tab order the user can act on.
void FormWindowPeer::FocusControl() {
    HWND target = lastFocus_;
    if (!TakesFocus(window_, target)) {
        target = FirstControl(window_);
    }
    if (TakesFocus(window_, target)) {
        SetFocus(target);
    }
}

bool HandleFormKey(const MSG& message) {
    if (message.message != WM_KEYDOWN) {
        return false;
    }
    const HWND root = GetAncestor(message.hwnd, GA_ROOT);
    if (FormWindowPeer::Of(root) == nullptr) {
        return false;
    }
    const bool modified = Pressed(VK_CONTROL) || Pressed(VK_MENU);
    switch (message.wParam) {
        case VK_ESCAPE:
            return true;
        case VK_TAB: {
            if (modified) {
                return false;
            }
            const HWND focus = IsChild(root, message.hwnd) ? message.hwnd : nullptr;
            const HWND next = GetNextDlgTabItem(root, focus, Pressed(VK_SHIFT) ? TRUE : FALSE);
            if (TakesFocus(root, next)) {
                SetFocus(next);
            }
            return true;
        }
        case VK_RETURN: {
            const bool repeated = (message.lParam & (1 << 30)) != 0;
            auto* button = dynamic_cast<CommandButtonPeer*>(ChildPeer::Of(message.hwnd));
            if (button != nullptr && !modified && !Pressed(VK_SHIFT) && !repeated) {
                button->Command(BN_CLICKED);
            }
            return true;
        }
        default:
            return false;
    }
}

HWND WindowOf(const Form& form) {
    const auto* peer = dynamic_cast<const FormWindowPeer*>(form.Peer());
    return peer != nullptr ? peer->Handle() : nullptr;
}

}  // namespace vantrel::win32
