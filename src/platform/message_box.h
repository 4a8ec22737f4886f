#pragma once

#include <string>

namespace vantrel {

// The caption of every message box of the program.
inline constexpr const char* kApplicationTitle = "Vantrel";

// Shows `text` in a message box with a single OK button and the application title as caption,
// and returns when the user has confirmed it: through the program's services
// (platform/program_services.h), on standard error for programs without windows.
void MsgBox(const std::string& text);

}  // namespace vantrel
