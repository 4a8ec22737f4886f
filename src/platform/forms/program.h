#pragma once

// The runtime services around the windows: the program's own folder, ending the program, and
// the report of an error that nothing handled.

#include <functional>
#include <string>

namespace vantrel {

class RaisedError;

// Exit statuses of the program.
inline constexpr int kExitInstalled = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitNotInstalled = 2;  // the user cancelled, or the viewer is missing

// The folder of the running executable as a Windows path; "\" ends it only at a drive's root.
// Raises RaisedError 76 "Path not found" when no drive holds it. The program's services answer
// it (platform/program_services.h).
std::string ProgramFolder();

// Ends the program with `status`: every window goes at once and nothing of any runs again.
// The program's services end the process. Should they return (tests observing the end
// in-process), EndProgram throws ProgramEnded, which unwinds the program's own frames up to the
// nearest RunEventHandler.
[[noreturn]] void EndProgram(int status);

struct ProgramEnded {
    int Status;
};

// Hides every form, which also ends any modal show; no unload handler runs.
void CloseAllWindows();

// What the runtime reports for an error nothing handled: "Run-time error '76':\n\nPath not
// found" (negative numbers also in hexadecimal, "'-2147219548 (800407a4)'").
std::string UnhandledErrorText(const RaisedError& error);

// Shows the report of an unhandled error in a message box and ends the program with status 1.
[[noreturn]] void ReportUnhandledError(const RaisedError& error);

// Runs one of the program's event handlers as the runtime does: an error escaping it is
// reported and ends the program. Answers false when the program ended during the handler.
// Every call from the window system into the program goes through here, so no exception ever
// crosses the window system's frames.
bool RunEventHandler(const std::function<void()>& handler);

}  // namespace vantrel
