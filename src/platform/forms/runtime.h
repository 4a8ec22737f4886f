#pragma once

// The forms runtime's services to the program: a window system to show the forms on, the
// screen, text measure, repainting during long work, and message boxes in windows.

#include <functional>
#include <memory>
#include <string>

#include "platform/forms/appearance.h"
#include "platform/program_services.h"

namespace vantrel {

// Runs the system's window backend for as long as it lives. The program shows its forms through
// it once it runs on WindowedServices() (ProgramRun), which must end first.
class FormsRuntime {
  public:
    explicit FormsRuntime(const char* programName);
    ~FormsRuntime();
    FormsRuntime(const FormsRuntime&) = delete;
    FormsRuntime& operator=(const FormsRuntime&) = delete;

    // The system's services with these windows: forms shown through them, message boxes in a
    // window over the one the user works with.
    ProgramServices WindowedServices() const;

    // Handles the user's work with the windows until none is left.
    void RunEventLoop();

  private:
    std::unique_ptr<Backend> backend_;
};

// The screen's size in twips; 0 with no window system running.
float ScreenWidth();
float ScreenHeight();

// The width of `text` in `font`, in twips; 0 with no window system running.
double TextWidth(const StdFont& font, const std::string& text);

// Lets the windows repaint in the middle of long work on the user-interface thread. Nothing the
// user does is acted on meanwhile.
void LetWindowsRepaint();

// Runs `action` as an event handler once the event loop turns (also inside a modal window or
// LetWindowsRepaint).
void RunOnNextTurn(std::function<void()> action);

}  // namespace vantrel
