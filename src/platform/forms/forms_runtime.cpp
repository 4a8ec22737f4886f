// FormsRuntime has a library of its own: it needs the backend the build chose, and what uses the
// forms without a window system (their tests) links no backend at all.

#include "platform/forms/backend.h"
#include "platform/forms/runtime.h"

namespace vantrel {

FormsRuntime::FormsRuntime(const char* programName) : backend_(CreateSystemBackend(programName)) {
    SetCurrentBackend(backend_.get());
}

FormsRuntime::~FormsRuntime() {
    if (previousPresenter_) {
        SetMessageBoxPresenter(std::move(*previousPresenter_));
    }
    SetCurrentBackend(nullptr);
}

void FormsRuntime::UseWindowedMessageBoxes() {
    auto previous = SetMessageBoxPresenter(
        [backend = backend_.get()](const std::string& text) { backend->ShowMessage(text); });
    if (!previousPresenter_) {
        previousPresenter_ = std::move(previous);
    }
}

void FormsRuntime::RunEventLoop() {
    backend_->RunEventLoop();
}

}  // namespace vantrel
