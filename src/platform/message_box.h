#pragma once

#include <functional>
#include <string>
#include <vector>

namespace vantrel {

// The caption of every message box of the program.
inline constexpr const char* kApplicationTitle = "Vantrel";

// Shows `text` in a message box with a single OK button and the application title as caption,
// and returns when the user has confirmed it.
void MsgBox(const std::string& text);

// Who shows message boxes. The default writes "Vantrel: <text>" to standard error, for programs
// without windows; the desktop program installs a windowed one, tests install a recorder.
using MessageBoxPresenter = std::function<void(const std::string& text)>;
MessageBoxPresenter SetMessageBoxPresenter(MessageBoxPresenter presenter);

// Records every message box instead of showing it, for as long as it lives.
class MessageBoxRecorder {
  public:
    MessageBoxRecorder();
    ~MessageBoxRecorder();
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    const std::vector<std::string>& Texts() const { return texts_; }

  private:
    std::vector<std::string> texts_;
    MessageBoxPresenter previous_;
};

}  // namespace vantrel
