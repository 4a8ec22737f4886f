#include "dialog/install_progress.h"

#include <algorithm>

#include "platform/forms/progress_bar.h"
#include "platform/forms/runtime.h"

namespace vantrel {
namespace {

// Often enough that the bar moves smoothly, seldom enough that painting costs nothing next to
// the files themselves.
constexpr std::chrono::milliseconds kRefreshInterval{40};

}  // namespace

InstallProgress::InstallProgress(ProgressBar& bar) : bar_(bar) {}

void InstallProgress::Begin() {
    bar_.SetRange(0, 0);
    bar_.SetVisible(true);
    KeepPainted(true);
}

InstallProgress::~InstallProgress() {
    bar_.SetVisible(false);
}

void InstallProgress::FileListed() {
    KeepPainted(false);
}

void InstallProgress::BeginExtraction(int files) {
    bar_.SetRange(0, files);
    bar_.SetValue(0);
    KeepPainted(true);
}

void InstallProgress::FileWritten() {
    bar_.SetValue(std::min(bar_.Value() + 1, bar_.Max()));
    KeepPainted(bar_.Value() == bar_.Max());
}

void InstallProgress::KeepPainted(bool now) {
    if (!now && lastRefresh_ &&
        std::chrono::steady_clock::now() - *lastRefresh_ < kRefreshInterval) {
        return;
    }
    LetWindowsRepaint();
    lastRefresh_ = std::chrono::steady_clock::now();
}

}  // namespace vantrel
