#pragma once

// Observing the program's end and pointing its folder elsewhere, for tests of the forms and the
// windows.

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/forms/program.h"

namespace vantrel::test {

// Observes the end of the program instead of exiting: records the status; EndProgram then
// unwinds the program's frames up to the event handler that was running.
class EndOfProgramRecorder {
  public:
    EndOfProgramRecorder()
        : previous_(SetEndOfProgramHandler([this](int status) {
              EXPECT_FALSE(status_.has_value()) << "the program ended twice";
              status_ = status;
          })) {}
    ~EndOfProgramRecorder() { SetEndOfProgramHandler(std::move(previous_)); }
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

}  // namespace vantrel::test
