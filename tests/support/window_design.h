#pragma once

// The designs of the program's two windows as the tests expect them, in one table for the tests
// of the forms and of both window backends: each form's design, and each control's kind, place
// in twips, tab index and place in pixels at 96 dots per inch. Written out here rather than taken
// from the forms, so that a slip on either side shows.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "platform/forms/command_button.h"
#include "platform/forms/dir_list_box.h"
#include "platform/forms/drive_list_box.h"
#include "platform/forms/form.h"
#include "platform/forms/label.h"
#include "platform/forms/list_view.h"
#include "platform/forms/progress_bar.h"

namespace vantrel::test {

inline const FormDesign kDialog = {.Caption = "Confirm",
                                   .BorderStyle = FormBorder::FixedDialog,
                                   .ShowInTaskbar = false,
                                   .StartUpPosition = StartPosition::CenterOwner,
                                   .Font = {"MS Sans Serif", 8},
                                   .ClientWidth = 4680,
                                   .ClientHeight = 3090};
inline const FormDesign kTitle = {.Caption = "Form1",
                                  .BorderStyle = FormBorder::Borderless,
                                  .ShowInTaskbar = true,
                                  .StartUpPosition = StartPosition::WindowsDefault,
                                  .BackColor = Color::Rgb(0, 0, 192),
                                  .ClientWidth = 11685,
                                  .ClientHeight = 6975};

// A place in pixels: left, top, width, height.
struct PixelRect {
    int Left, Top, Width, Height;
    bool operator==(const PixelRect&) const = default;
    auto Fields() const { return std::tuple(Left, Top, Width, Height); }
};

// A value the tests read back prints as its fields, in order.
template <class Read>
requires requires(const Read& read) {
    read.Fields();
}
void PrintTo(const Read& read, std::ostream* out) {
    *out << ::testing::PrintToString(read.Fields());
}

struct DesignedControl {
    const char* Window;                                     // "Confirm" or "Title"
    const char* Name;                                       // as the form names it
    std::function<std::unique_ptr<Control>(Form&)> Create;  // a control of its kind
    TwipsRect Twips;
    int TabIndex;
    PixelRect Pixels;
};

inline void PrintTo(const DesignedControl& control, std::ostream* out) {
    *out << control.Window << "." << control.Name;
}

template <class Kind>
std::unique_ptr<Control> Make(Form& form) {
    return std::make_unique<Kind>(form);
}

inline std::unique_ptr<Control> MakeButton(Form& form) {
    return std::make_unique<CommandButton>(form, 0);
}

inline const std::vector<DesignedControl> kDesignedControls = {
    {"Confirm", "Label1", Make<Label>, {120, 120, 4455, 255}, 0, {8, 8, 297, 17}},
    {"Confirm", "Drive1", Make<DriveListBox>, {120, 720, 4455, 300}, 1, {8, 48, 297, 20}},
    {"Confirm", "Dir1", Make<DirListBox>, {120, 1080, 4455, 1350}, 2, {8, 72, 297, 90}},
    {"Confirm", "Command1(0)", MakeButton, {2040, 2520, 1215, 495}, 3, {136, 168, 81, 33}},
    {"Confirm", "Command1(1)", MakeButton, {3360, 2520, 1215, 495}, 4, {224, 168, 81, 33}},
    {"Confirm", "Label2", Make<Label>, {120, 360, 4455, 255}, 5, {8, 24, 297, 17}},
    // moved to the left edge by the column sizing
    {"Confirm", "lvwCabFile", Make<ListView>, {0, 2400, 1815, 615}, 6, {0, 160, 121, 41}},
    {"Confirm", "pbrInstall", Make<ProgressBar>, {120, 2595, 1815, 345}, 7, {8, 173, 121, 23}},
    {"Title", "Label1(0)", Make<Label>, {240, 360, 6735, 975}, 0, {16, 24, 449, 65}},
    {"Title", "Label1(1)", Make<Label>, {480, 1560, 11055, 1695}, 1, {32, 104, 737, 113}},
};

// The controls of the window `window` ("Confirm", "Title"), in tab order.
inline std::vector<DesignedControl> DesignedControlsOf(const std::string& window) {
    std::vector<DesignedControl> controls;
    std::copy_if(kDesignedControls.begin(), kDesignedControls.end(), std::back_inserter(controls),
                 [&](const DesignedControl& control) { return control.Window == window; });
    return controls;
}

// The control of the design named `name` ("Command1(0)") on the window `window`.
inline const DesignedControl& Designed(const std::string& window, const std::string& name) {
    for (const DesignedControl& control : kDesignedControls) {
        if (control.Window == window && control.Name == name) {
            return control;
        }
    }
    throw std::out_of_range(window + "." + name + " is no control of the design");
}

// Places `control` as `name` of the window `window` is.
inline void MoveAsDesigned(Control& control, const std::string& window, const std::string& name) {
    const TwipsRect& place = Designed(window, name).Twips;
    control.Move(place.Left, place.Top, place.Width, place.Height);
}

// A test name for the control: "Confirm_Command1_0".
inline std::string TestNameOf(const DesignedControl& control) {
    std::string name = std::string(control.Window) + "_" + control.Name;
    std::erase(name, ')');
    std::replace(name.begin(), name.end(), '(', '_');
    return name;
}

}  // namespace vantrel::test
