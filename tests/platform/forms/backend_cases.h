#pragma once

// What the tests of every window backend build on: the designs of the two windows (one table,
// support/window_design.h), every kind of control on one form named as the dialog names them,
// a dialog beside folders for its folder list, a dialog whose buttons' clicks are recorded, and
// a form that counts (and may refuse) its unloading.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "support/scratch_folder.h"
#include "support/window_design.h"

namespace vantrel::test {

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

// A scratch folder holding the viewer's folder with two folders in it; on POSIX in a Wine
// prefix of its own, whose drives are C: and Z:.
class FolderControlsTest : public ::testing::Test {
  protected:
    FolderControlsTest() {
        std::filesystem::create_directories(scratch_.Host("Viewer/b"));
        std::filesystem::create_directories(scratch_.Host("Viewer/A"));
    }
    std::string Viewer() const { return scratch_.WindowsPath() + "\\Viewer"; }

    const ScratchFolder scratch_;
    Form form_{kDialog};
};

// A dialog over a title window, with buttons whose clicks are recorded. A click hides the
// dialog, which ends its modal show.
class KeysTest : public ::testing::Test {
  protected:
    KeysTest() {
        MoveAsDesigned(ok_, "Confirm", "Command1(0)");
        MoveAsDesigned(cancel_, "Confirm", "Command1(1)");
        for (CommandButton* button : {&ok_, &cancel_}) {
            button->SetClickHandler([this](std::int16_t Index) {
                clicks_.push_back(Index);
                dialog_.Hide();
            });
        }
        title_.Show();
    }
    ~KeysTest() override { title_.Hide(); }

    Form title_{kTitle};
    Form dialog_{kDialog};
    DirListBox folders_{dialog_};
    CommandButton ok_{dialog_, 0};
    CommandButton cancel_{dialog_, 1};
    std::vector<std::int16_t> clicks_;
};

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
