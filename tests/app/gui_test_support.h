#pragma once

// What the in-process tests of the windows share: the forms shown through the window backend
// this build uses (run the tests through ctest, which puts Qt on its offscreen platform), a
// recorder for the end of the program that also puts the cursor back, the program's folder
// pointed at a test folder, and running something once the event loop turns.

#include <gtest/gtest.h>

#include <functional>

#include "platform/cursors.h"
#include "platform/forms/program.h"
#include "platform/forms/runtime.h"
#include "platform/forms/runtime_environment.h"
#include "support/posix/temp_prefix.h"
#include "support/program_recorders.h"

namespace vantrel::test {

inline const bool kGuiEnvironmentRegistered =
    (::testing::AddGlobalTestEnvironment(new RuntimeEnvironment("vantrel-tests")), true);

// The end of the program, recorded; a program ended by an error keeps its wait cursor, so the
// next test starts with the arrow again.
class EndOfRunRecorder : public EndOfProgramRecorder {
  public:
    ~EndOfRunRecorder() { SetCursor(LoadCursorA(nullptr, IDC_ARROW)); }
};

// Runs `action` from the event loop as soon as the next modal loop (or any loop) turns.
inline void WhenLoopRuns(std::function<void()> action) {
    RunOnNextTurn(std::move(action));
}

}  // namespace vantrel::test
