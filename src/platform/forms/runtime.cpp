#include "platform/forms/runtime.h"

#include "platform/forms/backend.h"
#include "platform/forms/program.h"
#include "platform/program_services.h"

namespace vantrel {

float ScreenWidth() {
    Backend* windows = Services().Windows;
    return windows != nullptr ? windows->ScreenWidth() : 0;
}

float ScreenHeight() {
    Backend* windows = Services().Windows;
    return windows != nullptr ? windows->ScreenHeight() : 0;
}

double TextWidth(const StdFont& font, const std::string& text) {
    Backend* windows = Services().Windows;
    return windows != nullptr ? windows->TextWidth(font, text) : 0;
}

void LetWindowsRepaint() {
    if (Backend* windows = Services().Windows) {
        windows->LetWindowsRepaint();
    }
}

void RunOnNextTurn(std::function<void()> action) {
    if (Backend* windows = Services().Windows) {
        windows->RunOnNextTurn([action = std::move(action)] { RunEventHandler(action); });
    }
}

}  // namespace vantrel
