#pragma once

#include <QWidget>
#include <array>

class QLabel;

namespace vantrel {

// The title screen: covers the display in dark blue, names the viewer and the installer, and
// opens "Confirm" over itself.
class FrmVantrel : public QWidget {
    Q_OBJECT
  public:
    FrmVantrel();

    // Fills the screen, shows the window and shows "Confirm" modally. Returns when the dialog
    // was closed without ending the program; the title window then stays.
    void Form_Load();

    std::array<QLabel*, 2> Label1;

  protected:
    // Closing the title window is the user's way out once the dialog is gone.
    void closeEvent(QCloseEvent* event) override;
};

}  // namespace vantrel
