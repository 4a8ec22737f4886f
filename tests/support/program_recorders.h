#pragma once

// The program run on the services in force with one of them the test's own, for as long as the
// recorder lives: message boxes recorded, the end observed, the program's folder elsewhere.
// Each holds a ProgramRun, which can be neither copied nor moved; nor, then, can a recorder,
// whose services call back into it.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/program_services.h"

namespace vantrel::test {

// The services in force with message boxes shown by `show`.
inline ProgramServices WithMessageBoxes(std::function<void(const std::string& text)> show) {
    ProgramServices services = Services();
    services.ShowMessage = std::move(show);
    return services;
}

// Records every message box instead of showing it.
class MessageBoxRecorder {
  public:
    const std::vector<std::string>& Texts() const { return texts_; }

  private:
    std::vector<std::string> texts_;
    ProgramRun run_{WithMessageBoxes([this](const std::string& text) { texts_.push_back(text); })};
};

// Observes the end of the program instead of exiting: records the status; EndProgram then
// unwinds the program's frames up to the event handler that was running.
class EndOfProgramRecorder {
  public:
    const std::optional<int>& Status() const { return status_; }

  private:
    ProgramServices Recording() {
        ProgramServices services = Services();
        services.EndProcess = [this](int status) {
            EXPECT_FALSE(status_.has_value()) << "the program ended twice";
            status_ = status;
        };
        return services;
    }

    std::optional<int> status_;
    ProgramRun run_{Recording()};
};

// The program runs from `folder` (a Windows path).
class ScopedProgramFolder {
  public:
    explicit ScopedProgramFolder(std::string folder) : run_(RunningFrom(std::move(folder))) {}

  private:
    static ProgramServices RunningFrom(std::string folder) {
        ProgramServices services = Services();
        services.ProgramFolder = [folder = std::move(folder)] { return folder; };
        return services;
    }

    ProgramRun run_;
};

}  // namespace vantrel::test
