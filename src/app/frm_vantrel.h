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
    // Fills the screen, shows the window and shows "Confirm" modally, which ends the program
    // however it is left.
    void Form_Load() override;
    // Should the title window ever be closed on its own, the program ends with it.
    void Form_Unload(bool& Cancel) override;
};

}  // namespace vantrel
