// FormsRuntime has a library of its own: it needs the backend the build chose, and what uses the
// forms without a window system (their tests) links no backend at all.

#include "platform/forms/backend.h"
#include "platform/forms/runtime.h"

namespace vantrel {

FormsRuntime::FormsRuntime(const char* programName) : backend_(CreateSystemBackend(programName)) {}

FormsRuntime::~FormsRuntime() = default;

ProgramServices FormsRuntime::WindowedServices() const {
    Backend* windows = backend_.get();
    return {.Windows = windows,
            .ShowMessage = [windows](const std::string& text) { windows->ShowMessage(text); }};
}

void FormsRuntime::RunEventLoop() {
    backend_->RunEventLoop();
}

}  // namespace vantrel
