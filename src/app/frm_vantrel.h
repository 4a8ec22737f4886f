#pragma once

#include <array>

#include "platform/forms/form.h"
#include "platform/forms/label.h"

namespace vantrel {

// The title screen: covers the display in dark blue, names the viewer and the installer, and
// opens "Confirm" over itself.
class FrmVantrel : public Form {
  public:
    FrmVantrel();

    std::array<Label, 2> Label1;

  protected:
    // Fills the screen, shows the window and shows "Confirm" modally. Returns when the dialog
    // was closed without ending the program; the title window then stays.
    void Form_Load() override;
    // Closing the title window is the user's way out once the dialog is gone.
    void Form_Unload(bool& Cancel) override;
};

}  // namespace vantrel
