#pragma once

// What the in-process tests of the windows share: one QApplication on Qt's offscreen platform,
// a recorder for the end of the program, the program's folder pointed at a test folder, and a
// Wine prefix with or without the viewer's registration.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "platform/forms/cursors.h"
#include "platform/forms/program.h"
#include "support/temp_dir.h"

namespace vantrel::test {

class GuiEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        static int argc = 1;
        static char name[] = "vantrel-tests";
        static char* argv[] = {name, nullptr};
        application_ = new QApplication(argc, argv);
    }
    void TearDown() override {
        delete application_;
        application_ = nullptr;
    }

  private:
    QApplication* application_ = nullptr;
};

inline const bool kGuiEnvironmentRegistered =
    (::testing::AddGlobalTestEnvironment(new GuiEnvironment), true);

// Observes the end of the program instead of exiting: records the status; EndProgram then
// unwinds the program's frames up to the event handler that was running.
class EndOfProgramRecorder {
  public:
    EndOfProgramRecorder()
        : previous_(SetEndOfProgramHandler([this](int status) {
              EXPECT_FALSE(status_.has_value()) << "the program ended twice";
              status_ = status;
          })) {}
    ~EndOfProgramRecorder() {
        SetEndOfProgramHandler(std::move(previous_));
        // A program ended by an error keeps its wait cursor; the next test starts without it.
        SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    }
    EndOfProgramRecorder(const EndOfProgramRecorder&) = delete;
    EndOfProgramRecorder& operator=(const EndOfProgramRecorder&) = delete;

    const std::optional<int>& Status() const { return status_; }

  private:
    std::optional<int> status_;
    EndOfProgramHandler previous_;
};

// The program runs from `folder` (a Windows path) for as long as this lives.
class ScopedProgramFolder {
  public:
    explicit ScopedProgramFolder(std::string folder)
        : previous_(SetProgramFolderProvider([folder] { return folder; })) {}
    ~ScopedProgramFolder() { SetProgramFolderProvider(std::move(previous_)); }
    ScopedProgramFolder(const ScopedProgramFolder&) = delete;
    ScopedProgramFolder& operator=(const ScopedProgramFolder&) = delete;

  private:
    ProgramFolderProvider previous_;
};

// Runs `action` from the event loop as soon as the next modal loop (or any loop) turns.
inline void WhenLoopRuns(std::function<void()> action) {
    QTimer::singleShot(0, qApp, std::move(action));
}

}  // namespace vantrel::test
