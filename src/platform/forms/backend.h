#pragma once

// How the forms reach a window system. The forms and controls keep every property themselves;
// a backend gives each of them a peer that shows it and tells the peer what changed. The backend
// is chosen when the program is built: each one defines CreateSystemBackend.

#include <functional>
#include <memory>
#include <string>

#include "platform/forms/appearance.h"

namespace vantrel {

class CommandButton;
class DirListBox;
class DriveListBox;
class Form;
class Label;
class ListView;
class ProgressBar;

// What changed on a form or control. The peer reads the new value from the object it shows.
enum class Property {
    Position,  // place and size
    Visible,
    Enabled,
    Caption,
    ToolTip,
    Font,
    ForeColor,
    BackStyle,
    Content,  // the rows of a list, the range and value of a progress bar
    AccessibleName,
};

class ControlPeer {
  public:
    virtual ~ControlPeer() = default;
    virtual void Changed(Property what) = 0;
};

class FormPeer : public ControlPeer {
  public:
    // Shows the window modally over `owner` (null: over nothing) and returns once it is hidden.
    virtual void ShowModal(FormPeer* owner) = 0;
};

class Backend {
  public:
    virtual ~Backend() = default;

    virtual std::unique_ptr<FormPeer> CreatePeer(Form& form) = 0;
    virtual std::unique_ptr<ControlPeer> CreatePeer(Label& label, FormPeer& form) = 0;
    virtual std::unique_ptr<ControlPeer> CreatePeer(CommandButton& button, FormPeer& form) = 0;
    virtual std::unique_ptr<ControlPeer> CreatePeer(DriveListBox& list, FormPeer& form) = 0;
    virtual std::unique_ptr<ControlPeer> CreatePeer(DirListBox& list, FormPeer& form) = 0;
    virtual std::unique_ptr<ControlPeer> CreatePeer(ListView& list, FormPeer& form) = 0;
    virtual std::unique_ptr<ControlPeer> CreatePeer(ProgressBar& bar, FormPeer& form) = 0;

    // The primary screen's size in twips.
    virtual float ScreenWidth() = 0;
    virtual float ScreenHeight() = 0;
    // The width `text` takes in `font`, in twips.
    virtual double TextWidth(const StdFont& font, const std::string& text) = 0;

    // A message box: `text`, one OK button, the application title; returns once confirmed.
    virtual void ShowMessage(const std::string& text) = 0;
    // Handles whatever the window system has queued except the user's input: windows repaint,
    // work posted with RunOnNextTurn runs.
    virtual void LetWindowsRepaint() = 0;
    virtual void RunOnNextTurn(std::function<void()> action) = 0;
    // Handles events until no window is left to work with.
    virtual void RunEventLoop() = 0;
};

// The backend this build shows windows with. `programName` is all of the command line it gets:
// the program reads none, and options meant for a toolkit must not reach it either. Forms get
// their peers from the backend of the program's services (platform/program_services.h).
std::unique_ptr<Backend> CreateSystemBackend(const char* programName);

}  // namespace vantrel
