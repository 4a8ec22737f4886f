#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/forms/backend.h"
#include "platform/forms/backends/win32/conversions.h"

namespace vantrel::win32 {

class FormWindowPeer;

// The forms on Win32 windows and the common controls, all on the thread that made the backend.
class Win32Backend final : public Backend {
  public:
    Win32Backend();
    ~Win32Backend() override;
    Win32Backend(const Win32Backend&) = delete;
    Win32Backend& operator=(const Win32Backend&) = delete;

    std::unique_ptr<FormPeer> CreatePeer(Form& form) override;
    std::unique_ptr<ControlPeer> CreatePeer(Label& label, FormPeer& form) override;
    std::unique_ptr<ControlPeer> CreatePeer(CommandButton& button, FormPeer& form) override;
    std::unique_ptr<ControlPeer> CreatePeer(DriveListBox& list, FormPeer& form) override;
    std::unique_ptr<ControlPeer> CreatePeer(DirListBox& list, FormPeer& form) override;
    std::unique_ptr<ControlPeer> CreatePeer(ListView& list, FormPeer& form) override;
    std::unique_ptr<ControlPeer> CreatePeer(ProgressBar& bar, FormPeer& form) override;

    float ScreenWidth() override;
    float ScreenHeight() override;
    double TextWidth(const StdFont& font, const std::string& text) override;

    void ShowMessage(const std::string& text) override;
    void LetWindowsRepaint() override;
    void RunOnNextTurn(std::function<void()> action) override;
    void RunEventLoop() override;

    // Waits for the next message and handles it as the forms' loops do. False once the loop
    // must end: the thread was asked to quit (the request is left for the outer loops).
    bool HandleNextMessage();

    // The modal windows shown now, the innermost last: message boxes go over it.
    void EnterModal(FormWindowPeer& form);
    void LeaveModal(FormWindowPeer& form);

  private:
    static LRESULT CALLBACK TurnWindowProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) noexcept;
    void RunNextAction();
    HWND MessageBoxOwner() const;

    HWND turnWindow_ = nullptr;
    std::deque<std::function<void()>> actions_;
    std::vector<FormWindowPeer*> modal_;
};

}  // namespace vantrel::win32
