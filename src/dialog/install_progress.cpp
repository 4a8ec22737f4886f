#include "dialog/install_progress.h"

#include <QCoreApplication>
#include <QProgressBar>

namespace vantrel {
namespace {

// Often enough that the bar moves smoothly, seldom enough that painting costs nothing next to
// the files themselves.
constexpr qint64 kRefreshMilliseconds = 40;

}  // namespace

InstallProgress::InstallProgress(QProgressBar& bar) : bar_(bar) {}

void InstallProgress::Begin() {
    bar_.setRange(0, 0);
    bar_.show();
    KeepPainted(true);
}

InstallProgress::~InstallProgress() {
    bar_.hide();
}

void InstallProgress::FileListed() {
    KeepPainted(false);
}

void InstallProgress::BeginExtraction(int files) {
    bar_.setRange(0, files);
    bar_.setValue(0);
    KeepPainted(true);
}

void InstallProgress::FileWritten() {
    bar_.setValue(std::min(bar_.value() + 1, bar_.maximum()));
    KeepPainted(bar_.value() == bar_.maximum());
}

void InstallProgress::KeepPainted(bool now) {
    if (!now && sinceRefresh_.isValid() && sinceRefresh_.elapsed() < kRefreshMilliseconds) {
        return;
    }
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    sinceRefresh_.start();
}

}  // namespace vantrel
