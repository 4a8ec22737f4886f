#pragma once

// What the tests of every window backend check against: the designs of the two windows, where
// each control of theirs lands in pixels at 96 dots per inch, and a form that counts (and may
// refuse) its unloading.

#include <functional>
#include <memory>
#include <ostream>
#include <string>

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
                                   .ClientWidth = 4680,
                                   .ClientHeight = 3090};
inline const FormDesign kTitle = {.Caption = "Form1",
                                  .BorderStyle = FormBorder::Borderless,
                                  .BackColor = Color::Rgb(0, 0, 192),
                                  .ClientWidth = 11685,
                                  .ClientHeight = 6975};

// A control of the windows' design: its place in twips and in pixels (left, top, width,
// height).
struct Placement {
    const char* Name;
    std::function<std::unique_ptr<Control>(Form&)> Create;
    TwipsRect Twips;
    int Left, Top, Width, Height;
};

inline void PrintTo(const Placement& placement, std::ostream* out) {
    *out << placement.Name;
}

template <class Kind>
std::unique_ptr<Control> Make(Form& form) {
    return std::make_unique<Kind>(form);
}

inline std::unique_ptr<Control> MakeButton(Form& form) {
    return std::make_unique<CommandButton>(form, 0);
}

inline const Placement kPlacements[] = {
    {"MessageLine1", Make<Label>, {120, 120, 4455, 255}, 8, 8, 297, 17},
    {"MessageLine2", Make<Label>, {120, 360, 4455, 255}, 8, 24, 297, 17},
    {"DriveList", Make<DriveListBox>, {120, 720, 4455, 300}, 8, 48, 297, 20},
    {"FolderList", Make<DirListBox>, {120, 1080, 4455, 1350}, 8, 72, 297, 90},
    {"OkButton", MakeButton, {2040, 2520, 1215, 495}, 136, 168, 81, 33},
    {"CancelButton", MakeButton, {3360, 2520, 1215, 495}, 224, 168, 81, 33},
    {"ListView", Make<ListView>, {0, 2400, 1815, 615}, 0, 160, 121, 41},
    {"ProgressBar", Make<ProgressBar>, {120, 2595, 1815, 345}, 8, 173, 121, 23},
    {"TitleLine1", Make<Label>, {240, 360, 6735, 975}, 16, 24, 449, 65},
    {"TitleLine2", Make<Label>, {480, 1560, 11055, 1695}, 32, 104, 737, 113},
};

// Every kind of control on one form, in the order of the dialog's design, which is their tab
// order; the list is hidden, as the dialog keeps it.
struct DialogControls {
    explicit DialogControls(Form& form)
        : Line1(form),
          Drive(form),
          Folder(form),
          Ok(form, 0),
          Cancel(form, 1),
          Line2(form),
          List(form),
          Bar(form) {
        List.SetVisible(false);
    }
    Label Line1;
    DriveListBox Drive;
    DirListBox Folder;
    CommandButton Ok;
    CommandButton Cancel;
    Label Line2;
    ListView List;
    ProgressBar Bar;
};

// The controls named and filled as "Confirm" does, for what assistive technology reads of them:
// the destination `folder` (a Windows path) read-only, the progress at 3 of 4.
inline void NameAsTheDialogDoes(DialogControls& controls, const std::string& folder) {
    controls.Line1.SetCaption("Reference Images must be installed to following folder.");
    controls.Ok.SetCaption("OK");
    controls.Ok.SetToolTipText("Continue installation");
    controls.Drive.SetAccessibleName("Destination drive");
    controls.Drive.SetDrive(folder.substr(0, 1));
    controls.Folder.SetAccessibleName("Destination folder");
    controls.Folder.SetPath(folder);
    controls.Folder.SetEnabled(false);
    controls.Bar.SetAccessibleName("Installation progress");
    controls.Bar.SetRange(0, 4);
    controls.Bar.SetValue(3);
}

// A dialog that counts how often its close box asked it to go, and refuses when told to.
class RefusingForm : public Form {
  public:
    explicit RefusingForm(const FormDesign& design = kDialog) : Form(design) {}
    bool Refuse = false;
    int Unloads = 0;

  protected:
    void Form_Unload(bool& Cancel) override {
        ++Unloads;
        Cancel = Refuse;
    }
};

}  // namespace vantrel::test
