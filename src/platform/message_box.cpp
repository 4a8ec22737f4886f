#include "platform/message_box.h"

#include "platform/program_services.h"

namespace vantrel {

void MsgBox(const std::string& text) {
    Services().ShowMessage(text);
}

}  // namespace vantrel
