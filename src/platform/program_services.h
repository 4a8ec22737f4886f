#pragma once

// What the program takes from the system around it, in one table handed in when it starts (as
// libmspack is handed its mspack_system): the window system its forms are shown through, its
// message boxes, its folder and its end. The program hands in the system's; tests hand in their
// own, to record what the program shows and how it ends.

#include <functional>
#include <string>

namespace vantrel {

class Backend;

struct ProgramServices {
    // The window system the forms are shown through. Null: none; forms created meanwhile keep
    // their properties without being shown.
    Backend* Windows = nullptr;
    // Shows `text` in a message box with one OK button under the application title, and returns
    // once the user has confirmed it. Empty: "Vantrel: <text>" on standard error, for programs
    // without windows.
    std::function<void(const std::string& text)> ShowMessage = nullptr;
    // The folder of the running executable as a Windows path; "\" ends it only at a drive's
    // root. Empty: the executable's own, and RaisedError 76 "Path not found" when no drive holds
    // it.
    std::function<std::string()> ProgramFolder = nullptr;
    // Ends the process with `status` at once. Empty: exits. One that returns (a test observing
    // the end in-process) leaves the rest to EndProgram, which unwinds the program's frames.
    std::function<void(int status)> EndProcess = nullptr;
};

// The program running on `services` for as long as this lives: every window, message box, folder
// and end goes through them. A run started while another lives stands in for it until it ends,
// and runs end in the reverse order they started in.
class ProgramRun {
  public:
    explicit ProgramRun(ProgramServices services);
    ~ProgramRun();
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

  private:
    ProgramServices services_;
    const ProgramServices* previous_;
};

// The services of the innermost run; with none, the system's own without windows. Every member
// is set, but Windows may be null.
const ProgramServices& Services();

}  // namespace vantrel
