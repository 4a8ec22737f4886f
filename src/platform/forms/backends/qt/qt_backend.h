#pragma once

#include <QApplication>
#include <memory>
#include <string>

#include "platform/forms/backend.h"

namespace vantrel {

// The forms on Qt Widgets. The application object is made here, from the program's name alone.
class QtBackend final : public Backend {
  public:
    explicit QtBackend(const char* programName);
    ~QtBackend() override;

    std::unique_ptr<FormPeer> CreatePeer(Form& form) override;
    std::unique_ptr<ControlPeer> CreatePeer(Label& label, FormPeer& form) override;
    std::unique_ptr<ControlPeer> CreatePeer(CommandButton& button, FormPeer& form) override;
    std::unique_ptr<ControlPeer> CreatePeer(DriveListBox& list, FormPeer& form) override;
    std::unique_ptr<ControlPeer> CreatePeer(DirListBox& list, FormPeer& form) override;
    std::unique_ptr<ControlPeer> CreatePeer(ListView& list, FormPeer& form) override;
    std::unique_ptr<ControlPeer> CreatePeer(ProgressBar& bar, FormPeer& form) override;

    float ScreenWidth() override;
    float ScreenHeight() override;
    double TextWidth(const StdFont& font, const std::string& text) override;

    void ShowMessage(const std::string& text) override;
    void LetWindowsRepaint() override;
    void RunOnNextTurn(std::function<void()> action) override;
    void RunEventLoop() override;

  private:
    static void ShowProgramIdentity();

    // QApplication keeps the count and the vector it is given for as long as it lives.
    std::string programName_;
    int argc_ = 1;
    char* argv_[2];
    std::unique_ptr<QApplication> application_;
};

}  // namespace vantrel
