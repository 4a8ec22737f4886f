#include "platform/forms/command_button.h"

#include "platform/forms/program.h"

namespace vantrel {

CommandButton::CommandButton(Form& parent, std::int16_t index)
    : CaptionedControl(parent), index_(index) {
    CreatePeer(*this);
}

void CommandButton::Click() {
    if (Enabled() && clickHandler_) {
        RunEventHandler([this] { clickHandler_(index_); });
    }
}

}  // namespace vantrel
