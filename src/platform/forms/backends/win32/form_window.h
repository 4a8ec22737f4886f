#pragma once

#include <string>

#include "platform/forms/backend.h"
#include "platform/forms/backends/win32/conversions.h"

namespace vantrel {
class Form;
}

namespace vantrel::win32 {

class Win32Backend;

// A form's top-level window. A borderless form is a plain popup; a fixed dialog is a window of
// the system's dialog class, with a caption and a close box only. The window paints the form's
// colour, passes its controls' messages to their peers, asks the form when the close box is used,
// and keeps the keyboard focus on its controls.
class FormWindowPeer : public FormPeer {
  public:
    FormWindowPeer(Form& form, Win32Backend& backend);
    ~FormWindowPeer() override;
    FormWindowPeer(const FormWindowPeer&) = delete;
    FormWindowPeer& operator=(const FormWindowPeer&) = delete;

    void Changed(Property what) override;
    // Owned by `owner` from now on, centred over it when the form says so; the owner is
    // disabled until the window is hidden.
    void ShowModal(FormPeer* owner) override;

    HWND Handle() const { return window_; }
    const Form& Shown() const { return form_; }
    COLORREF BackColor() const;
    HBRUSH BackBrush() const { return backBrush_; }

    // The tool tip shown over `control`; an empty text shows none.
    void SetToolTip(HWND control, const std::string& text);
    // Has Synchronize of the peer of `control` run once the loop turns.
    void SynchronizeLater(HWND control);

    // The peer of a window of ours; null for any other window.
    static FormWindowPeer* Of(HWND window);

  private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam,
                                       LPARAM lParam) noexcept;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // What the window's class does with a message we leave to it.
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT KeepProgramCursor(WPARAM wParam, LPARAM lParam);
    void ApplyPlace();
    void Show(bool visible);
    void CentreOver(HWND owner);
    void FocusControl();

    Form& form_;
    Win32Backend& backend_;
    HWND window_ = nullptr;
    HWND toolTips_ = nullptr;
    HBRUSH backBrush_ = nullptr;
    UniqueBrush ownBrush_;
    HWND modalOwner_ = nullptr;
    HWND lastFocus_ = nullptr;
    WNDPROC defaultProcedure_ = DefWindowProcW;
};

// Handles the keys a dialog handles before the control with the focus sees them: Tab and
// Shift+Tab move the focus through the controls in tab order, Enter clicks the focused button,
// Escape does nothing at all. Answers whether `message` was such a key of a form's window.
bool HandleFormKey(const MSG& message);

// The window showing `form`; null for a form created while no Win32 backend ran.
HWND WindowOf(const Form& form);

}  // namespace vantrel::win32
