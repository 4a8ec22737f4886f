#pragma once

#include <string>
#include <vector>

#include "platform/forms/backend.h"
#include "platform/forms/backends/win32/accessibility.h"
#include "platform/forms/backends/win32/conversions.h"

namespace vantrel {
class CommandButton;
class Control;
class DirListBox;
class DriveListBox;
class Label;
class ListView;
class ProgressBar;
}  // namespace vantrel

namespace vantrel::win32 {

class FormWindowPeer;

// Shows a control in a child window of its form's window: what every control has here, the
// rest in the kind's own peer. Child windows are created in the order the controls are, and
// each goes below the ones before it, so that the tab order is the order of creation.
class ChildPeer : public ControlPeer {
  public:
    ~ChildPeer() override;
    ChildPeer(const ChildPeer&) = delete;
    ChildPeer& operator=(const ChildPeer&) = delete;

    void Changed(Property what) override;
    HWND Handle() const { return window_; }

    // What the form's window passes on: a notification of the control (BN_CLICKED ...), an
    // item to draw, the colours of a static control (null: the system's), a common control's
    // notice, work put off until the loop turns.
    virtual void Command(WORD code) { static_cast<void>(code); }
    virtual void DrawItem(const DRAWITEMSTRUCT& item) { static_cast<void>(item); }
    virtual HBRUSH ControlColors(HDC dc) {
        static_cast<void>(dc);
        return nullptr;
    }
    virtual LRESULT Notify(NMHDR& notice) {
        static_cast<void>(notice);
        return 0;
    }
    virtual void Synchronize() {}

    // What a screen reader is told of the control: the name it is given and its tool tip, and
    // what its kind adds.
    virtual AccessibleFacts Accessible() const;
    // A read-only control keeps its stop in the tab order but takes no input; the focus does
    // not start on it.
    virtual bool ReadOnly() const { return false; }

    // The peer of a child window of ours; null for any other window.
    static ChildPeer* Of(HWND window);

  protected:
    ChildPeer(const Control& control, FormWindowPeer& form, const wchar_t* windowClass, DWORD style,
              DWORD extendedStyle = 0);
    // Shows every property; the kind's constructor calls it once its window is set up.
    void ShowAll();
    virtual void ShowOwn(Property what) { static_cast<void>(what); }
    virtual void Place(const RECT& pixels);
    FormWindowPeer& FormWindow() const { return form_; }
    HFONT Font() const { return font_.get(); }

  private:
    // Put before the control's own procedure: answers assistive technology, and keeps the
    // input from a read-only control.
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam,
                                       LPARAM lParam) noexcept;

    const Control& control_;
    FormWindowPeer& form_;
    HWND window_;
    WNDPROC systemProcedure_ = nullptr;
    UniqueFont font_;
};

// A STATIC control of one line, cut at its width, "&" shown as written. A transparent label
// paints no background: the form's window paints under it.
class LabelPeer : public ChildPeer {
  public:
    LabelPeer(const Label& label, FormWindowPeer& form);
    HBRUSH ControlColors(HDC dc) override;
    AccessibleFacts Accessible() const override;

  private:
    void ShowOwn(Property what) override;
    void RepaintWhatLiesBehind();
    const Label& label_;
};

// A push button that is never the default one: Enter clicks it only while it has the focus
// (HandleFormKey), as Space does.
class CommandButtonPeer : public ChildPeer {
  public:
    CommandButtonPeer(CommandButton& button, FormWindowPeer& form);
    void Command(WORD code) override;
    AccessibleFacts Accessible() const override;

  private:
    void ShowOwn(Property what) override;
    CommandButton& button_;
};

// A drop-down list of the drives whose closed height is the control's height.
class DriveListPeer : public ChildPeer {
  public:
    DriveListPeer(const DriveListBox& list, FormWindowPeer& form);
    AccessibleFacts Accessible() const override;

  private:
    void ShowOwn(Property what) override;
    void Place(const RECT& pixels) override;
    const DriveListBox& list_;
};

// An owner-drawn list box: open folders for the path, closed folders under it, each level
// indented further. Disabled, its window stays enabled, so that the keyboard reaches it, but it
// is drawn greyed and takes no input; to a screen reader it is the read-only text of the
// folder's full path.
class DirListPeer : public ChildPeer {
  public:
    DirListPeer(const DirListBox& list, FormWindowPeer& form);
    ~DirListPeer() override;
    void Changed(Property what) override;
    void DrawItem(const DRAWITEMSTRUCT& item) override;
    AccessibleFacts Accessible() const override;
    bool ReadOnly() const override;

  private:
    void ShowOwn(Property what) override;
    void SizeRows();
    const DirListBox& list_;
    HICON openFolder_ = nullptr;
    HICON closedFolder_ = nullptr;
};

// The common controls' list view in report mode, never shown: it holds the runtime's columns,
// rows, tool tips and selection. Changes are copied over once the loop turns, all of one turn
// together, so that a long listing costs one pass per turn rather than one per change.
class ListViewPeer : public ChildPeer {
  public:
    ListViewPeer(const ListView& list, FormWindowPeer& form);
    LRESULT Notify(NMHDR& notice) override;
    void Synchronize() override;

  private:
    // What a row of the control holds now: its texts and whether it is selected.
    struct Mirrored {
        std::vector<std::string> Texts;
        bool Selected = false;
    };
    void ShowOwn(Property what) override;
    void SynchronizeColumns();
    void SynchronizeRow(std::size_t index);
    const ListView& list_;
    std::size_t columns_ = 0;
    std::vector<Mirrored> rows_;
    bool pending_ = false;
};

// A progress bar; a range of nothing shows the marquee of work whose amount is not known.
class ProgressBarPeer : public ChildPeer {
  public:
    ProgressBarPeer(const ProgressBar& bar, FormWindowPeer& form);
    AccessibleFacts Accessible() const override;

  private:
    void ShowOwn(Property what) override;
    const ProgressBar& bar_;
};

// The window showing `control`; null for a control created while no Win32 backend ran.
HWND WindowOf(const Control& control);

}  // namespace vantrel::win32
