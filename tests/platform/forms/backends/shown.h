#pragma once

// What a window backend shows of the forms, read back from the window system in the same terms
// for every backend, so that one suite (windows_test.cpp) runs against each. Each backend's
// tests implement it: qt/shown.cpp from Qt's widgets, win32/shown.cpp from the Win32 windows.
// The readers only read; every expectation is the suite's.

#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "platform/forms/appearance.h"
#include "platform/forms/dir_list_box.h"
#include "platform/forms/drive_list_box.h"
#include "platform/forms/form.h"
#include "platform/forms/label.h"
#include "platform/forms/progress_bar.h"
#include "support/window_design.h"

namespace vantrel::test {

// A window of the window system: a QWidget or an HWND; null for none.
using WindowHandle = const void*;

WindowHandle HandleOf(const Form& form);
WindowHandle HandleOf(const Control& control);
// The window a control lies in.
WindowHandle ParentOf(const Control& control);
// The window with the keyboard focus.
WindowHandle FocusedWindow();

struct PixelSize {
    int Width, Height;
    bool operator==(const PixelSize&) const = default;
    auto Fields() const { return std::tuple(Width, Height); }
};

// What a form's window has around its client area.
struct Frame {
    bool TopLevel = false;  // a window of its own, not a child
    bool Border = false;
    bool TitleBar = false;
    bool CloseBox = false;
    bool MinimizeBox = false;
    bool MaximizeBox = false;
    bool HelpBox = false;
    bool Resizable = false;
    bool DialogFrame = false;
    bool operator==(const Frame&) const = default;
    auto Fields() const {
        return std::tuple(TopLevel, Border, TitleBar, CloseBox, MinimizeBox, MaximizeBox, HelpBox,
                          Resizable, DialogFrame);
    }
};

// ---- Forms

std::string TitleOf(const Form& form);
Frame FrameOf(const Form& form);
PixelSize ClientSizeOf(const Form& form);
// Its place on the screen, frame included.
PixelRect ScreenPlaceOf(const Form& form);
PixelSize ScreenSize();
bool IsShown(const Form& form);
// Shown modally, the form keeps the user from its owner.
bool BlocksItsOwner(const Form& form);
WindowHandle OwnerOf(const Form& form);
// What the close box of the form's window does.
void UseTheCloseBox(Form& form);

// Shows `form` modally over `owner` and runs `inside` once its loop turns. Whatever happens,
// the form is hidden once what `inside` did has been handled and `grace` milliseconds have
// passed, so that a key that does nothing ends the show too. Answers whether it ended that way.
bool ShowModalFor(Form& form, Form& owner, const std::function<void()>& inside,
                  unsigned grace = 200);

// ---- Controls

// Its place in its form's client area.
PixelRect PlaceOf(const Control& control);
std::string TextOf(const Control& control);
std::string ToolTipOf(const Control& control);
// Shown on its form, whether or not the form is.
bool IsVisible(const Control& control);
bool IsEnabled(const Control& control);

// A font as the window system holds it: the size in its own unit (points for Qt, the LOGFONT
// height for Win32).
struct FontShown {
    std::string Face;
    double Size;
    bool Bold;
    bool Italic;
    bool operator==(const FontShown&) const = default;
    auto Fields() const { return std::tuple(Face, Size, Bold, Italic); }
};

FontShown FontOf(const Control& control);
// `font` as this window system would hold it.
FontShown AsShown(const StdFont& font);
// The width of the label's caption in the font shown, in pixels.
double TextWidthOf(const Label& label);

struct LabelLook {
    bool PlainText = false;  // "&" shows as itself
    bool OneLine = false;    // no word wrap
    bool TextInButtonFace = false;
    bool FormColourShowsThrough = false;
    bool operator==(const LabelLook&) const = default;
    auto Fields() const {
        return std::tuple(PlainText, OneLine, TextInButtonFace, FormColourShowsThrough);
    }
};
// Read once the label's form is shown.
LabelLook LookOf(const Label& label);

struct Progress {
    bool Busy = false;
    int Maximum = 0;
    int Value = 0;
    bool operator==(const Progress&) const = default;
    auto Fields() const { return std::tuple(Busy, Maximum, Value); }
};
Progress ProgressOf(const ProgressBar& bar);

std::vector<std::string> ItemsOf(const DriveListBox& list);
// The folder list's rows in order, and the index of the current one.
std::vector<std::string> RowsOf(const DirListBox& list);
int CurrentRowOf(const DirListBox& list);

// The controls the keyboard stops at, in tab order.
std::vector<WindowHandle> TabStopsOf(const Form& form);

// ---- What assistive technology reads

enum class AccessibleRole {
    Other,
    Window,
    Client,
    Dialog,
    StaticText,
    EditableText,
    Button,
    ComboBox,
    ProgressBar
};

struct Accessible {
    AccessibleRole Role = AccessibleRole::Other;
    std::string Name;
    std::string Value;
    bool operator==(const Accessible&) const = default;
    auto Fields() const { return std::tuple(static_cast<int>(Role), Name, Value); }
};

struct AccessibleState {
    bool ReadOnly = false;
    bool Focusable = false;
    bool Unavailable = false;
    bool operator==(const AccessibleState&) const = default;
    auto Fields() const { return std::tuple(ReadOnly, Focusable, Unavailable); }
};

Accessible Read(WindowHandle window);
std::string DescriptionOf(WindowHandle window);
AccessibleState StateOf(WindowHandle window);

// ---- Keys

enum class Key {
    Enter,
    KeypadEnter,
    Space,
    Escape,
    AltEnter,
    ShiftEnter,
    A,
    Tab,
    ShiftTab,
    Up,
    Down,
    Home,
    End
};

// Gives `control` the keyboard focus.
void Focus(const Control& control);

// Presses and releases `key` as the keyboard does, to the window with the focus, and returns
// once the windows have handled it.
void Press(Key key);

}  // namespace vantrel::test
