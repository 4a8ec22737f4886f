#include "platform/forms/runtime.h"

#include "platform/forms/backend.h"
#include "platform/forms/program.h"

namespace vantrel {
namespace {

Backend*& Current() {
    static Backend* backend = nullptr;
    return backend;
}

}  // namespace

Backend* CurrentBackend() {
    return Current();
}

void SetCurrentBackend(Backend* backend) {
    Current() = backend;
}

float ScreenWidth() {
    return Current() != nullptr ? Current()->ScreenWidth() : 0;
}

float ScreenHeight() {
    return Current() != nullptr ? Current()->ScreenHeight() : 0;
}

double TextWidth(const StdFont& font, const std::string& text) {
    return Current() != nullptr ? Current()->TextWidth(font, text) : 0;
}

void LetWindowsRepaint() {
    if (Current() != nullptr) {
        Current()->LetWindowsRepaint();
    }
}

void RunOnNextTurn(std::function<void()> action) {
    if (Current() != nullptr) {
        Current()->RunOnNextTurn([action = std::move(action)] { RunEventHandler(action); });
    }
}

}  // namespace vantrel
