#include "platform/forms/backends/win32/win32_backend.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/forms/backends/win32/control_peers.h"
#include "platform/forms/backends/win32/form_window.h"
#include "platform/forms/form.h"
#include "platform/message_box.h"
#include "platform/win32/text/ansi_text.h"

namespace vantrel {

std::unique_ptr<Backend> CreateSystemBackend(const char* programName) {
    static_cast<void>(programName);  // Windows hands a program its command line unasked
    return std::make_unique<win32::Win32Backend>();
}

namespace win32 {
namespace {

constexpr wchar_t kTurnWindowClass[] = L"VantrelTurns";
constexpr UINT kRunNextAction = WM_APP;
// However busy the windows are, letting them repaint ends after this many messages.
constexpr int kRepaintBudget = 1000;

// The common controls are loaded here rather than imported: an imported DLL is loaded, and
// starts, before any code of the program runs, while the DLL search still takes the program's own
// folder first, and the common controls load further DLLs (the theme library) as they start. By
// now the program has restricted the search to the system folder; the manifest makes this
// version 6.
void StartCommonControls() {
    using Start = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    const HMODULE library = LoadLibraryW(L"comctl32.dll");
    const auto start = library != nullptr ? reinterpret_cast<Start>(reinterpret_cast<void*>(
                                                GetProcAddress(library, "InitCommonControlsEx")))
                                          : nullptr;
    const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    if (start != nullptr) {
        start(&controls);
    }
}

bool AnyFormVisible() {
    return std::any_of(Forms().begin(), Forms().end(),
                       [](const Form* form) { return form->Visible(); });
}

}  // namespace

Win32Backend::Win32Backend() {
    StartCommonControls();

    static const ATOM turnClass = [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = TurnWindowProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kTurnWindowClass;
        return RegisterClassExW(&windowClass);
    }();
    static_cast<void>(turnClass);
    // A message-only window: whichever loop runs on this thread dispatches what is posted to
    // it, a message box's own as well as the forms'.
    turnWindow_ = CreateWindowExW(0, kTurnWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(turnWindow_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

Win32Backend::~Win32Backend() {
    DestroyWindow(turnWindow_);
}

std::unique_ptr<FormPeer> Win32Backend::CreatePeer(Form& form) {
    return std::make_unique<FormWindowPeer>(form, *this);
}

std::unique_ptr<ControlPeer> Win32Backend::CreatePeer(Label& label, FormPeer& form) {
    return std::make_unique<LabelPeer>(label, static_cast<FormWindowPeer&>(form));
}

std::unique_ptr<ControlPeer> Win32Backend::CreatePeer(CommandButton& button, FormPeer& form) {
    return std::make_unique<CommandButtonPeer>(button, static_cast<FormWindowPeer&>(form));
}

std::unique_ptr<ControlPeer> Win32Backend::CreatePeer(DriveListBox& list, FormPeer& form) {
    return std::make_unique<DriveListPeer>(list, static_cast<FormWindowPeer&>(form));
}

std::unique_ptr<ControlPeer> Win32Backend::CreatePeer(DirListBox& list, FormPeer& form) {
    return std::make_unique<DirListPeer>(list, static_cast<FormWindowPeer&>(form));
}

std::unique_ptr<ControlPeer> Win32Backend::CreatePeer(ListView& list, FormPeer& form) {
    return std::make_unique<ListViewPeer>(list, static_cast<FormWindowPeer&>(form));
}

std::unique_ptr<ControlPeer> Win32Backend::CreatePeer(ProgressBar& bar, FormPeer& form) {
    return std::make_unique<ProgressBarPeer>(bar, static_cast<FormWindowPeer&>(form));
}

float Win32Backend::ScreenWidth() {
    return TwipsAcross(GetSystemMetrics(SM_CXSCREEN));
}

float Win32Backend::ScreenHeight() {
    return TwipsDown(GetSystemMetrics(SM_CYSCREEN));
}

double Win32Backend::TextWidth(const StdFont& font, const std::string& text) {
    const UniqueFont shown = CreateFontOf(font);
    return TextExtent(shown.get(), text).cx * kTwipsPerInch / ScreenDpi().Across;
}

// The text goes to the system in the ANSI code page, as every text of the program does.
void Win32Backend::ShowMessage(const std::string& text) {
    const std::string ansiText = AnsiFromUtf8(text);
    const std::string ansiTitle = AnsiFromUtf8(kApplicationTitle);
    MessageBoxA(MessageBoxOwner(), ansiText.c_str(), ansiTitle.c_str(), MB_OK);
}

// Over the innermost modal window, else over the form the user works with.
HWND Win32Backend::MessageBoxOwner() const {
    for (auto form = modal_.rbegin(); form != modal_.rend(); ++form) {
        if (IsWindowVisible((*form)->Handle())) {
            return (*form)->Handle();
        }
    }
    const HWND active = GetActiveWindow();
    return FormWindowPeer::Of(active) != nullptr ? active : nullptr;
}

// Paint and posted messages, and messages sent by other threads; the user's keys and mouse
// stay queued until the work is over.
void Win32Backend::LetWindowsRepaint() {
    MSG message;
    for (int handled = 0;
         handled < kRepaintBudget &&
         PeekMessageW(&message, nullptr, 0, 0,
                      PM_REMOVE | PM_QS_PAINT | PM_QS_POSTMESSAGE | PM_QS_SENDMESSAGE);
         ++handled) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        DispatchMessageW(&message);
    }
}

void Win32Backend::RunOnNextTurn(std::function<void()> action) {
    actions_.push_back(std::move(action));
    PostMessageW(turnWindow_, kRunNextAction, 0, 0);
}

void Win32Backend::RunNextAction() {
    if (actions_.empty()) {
        return;
    }
    const std::function<void()> action = std::move(actions_.front());
    actions_.pop_front();
    action();
}

void Win32Backend::RunEventLoop() {
    while (AnyFormVisible() && HandleNextMessage()) {
    }
}

bool Win32Backend::HandleNextMessage() {
    MSG message;
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == -1) {
        return false;
    }
    if (got == 0) {
        PostQuitMessage(static_cast<int>(message.wParam));
        return false;
    }
    if (!HandleFormKey(message)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return true;
}

void Win32Backend::EnterModal(FormWindowPeer& form) {
    modal_.push_back(&form);
}

void Win32Backend::LeaveModal(FormWindowPeer& form) {
    std::erase(modal_, &form);
}

LRESULT CALLBACK Win32Backend::TurnWindowProc(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam) noexcept {
    if (message == kRunNextAction) {
        auto* backend = reinterpret_cast<Win32Backend*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (backend != nullptr) {
            backend->RunNextAction();
        }
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace win32
}  // namespace vantrel
