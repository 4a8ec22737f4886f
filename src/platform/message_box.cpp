#include "platform/message_box.h"

#include <cstdio>

namespace vantrel {
namespace {

void PrintToStandardError(const std::string& text) {
    std::fprintf(stderr, "%s: %s\n", kApplicationTitle, text.c_str());
}

MessageBoxPresenter& Presenter() {
    static MessageBoxPresenter presenter = PrintToStandardError;
    return presenter;
}

}  // namespace

void MsgBox(const std::string& text) {
    Presenter()(text);
}

MessageBoxPresenter SetMessageBoxPresenter(MessageBoxPresenter presenter) {
    auto previous = std::move(Presenter());
    Presenter() = presenter ? std::move(presenter) : PrintToStandardError;
    return previous;
}

MessageBoxRecorder::MessageBoxRecorder()
    : previous_(
          SetMessageBoxPresenter([this](const std::string& text) { texts_.push_back(text); })) {}

MessageBoxRecorder::~MessageBoxRecorder() {
    SetMessageBoxPresenter(std::move(previous_));
}

}  // namespace vantrel
