#pragma once

#include <chrono>
#include <optional>

namespace vantrel {

class ProgressBar;

// Keeps the dialog painted and shows how far an installation has come. The cabinet is read and
// written on the user-interface thread, so between files the window system's events are let
// through, all but the user's input: the window repaints and the bar moves, and nothing the
// user does is acted on until the run is over.
class InstallProgress {
  public:
    explicit InstallProgress(ProgressBar& bar);
    ~InstallProgress();
    InstallProgress(const InstallProgress&) = delete;
    InstallProgress& operator=(const InstallProgress&) = delete;

    // Shows the bar; the cabinet is being read and the number of files is not known yet.
    void Begin();
    void FileListed();
    // Extraction begins with `files` files to write.
    void BeginExtraction(int files);
    void FileWritten();

  private:
    void KeepPainted(bool now);

    ProgressBar& bar_;
    std::optional<std::chrono::steady_clock::time_point> lastRefresh_;
};

}  // namespace vantrel
