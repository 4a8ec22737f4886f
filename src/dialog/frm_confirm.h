#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/forms/command_button.h"
#include "platform/forms/dir_list_box.h"
#include "platform/forms/drive_list_box.h"
#include "platform/forms/form.h"
#include "platform/forms/label.h"
#include "platform/forms/list_view.h"
#include "platform/forms/progress_bar.h"
#include "shared/date_time.h"

namespace vantrel {

class CabFile;
class InstallProgress;

// How an installation run ended, when it returned at all (errors are raised).
struct InstallationOutcome {
    bool Listed = false;      // false: the cabinet could not be read ("GetInfo Error")
    int FilesNotWritten = 0;  // files the extraction passed by (refused names, folders)
};

// "Confirm": tells the user where the reference images go, or that they cannot be installed,
// and runs the installation once the user agrees.
class FrmConfirm : public Form {
  public:
    FrmConfirm();
    ~FrmConfirm() override;

    // Lists Images.cab of the program's folder into lvwCabFile and extracts it into
    // InstallFolder. Errors of the cabinet are raised, not handled.
    InstallationOutcome Installation();

    const std::string& InstallFolder() const { return InstallFolder_; }
    const std::shared_ptr<CabFile>& Cab() const { return cab; }

    // The controls, by their design names, in tab order.
    Label Label1;
    DriveListBox Drive1;
    DirListBox Dir1;
    std::array<CommandButton, 2> Command1;
    Label Label2;
    ListView lvwCabFile;
    // Shown only while an installation runs.
    ProgressBar pbrInstall;

  protected:
    // Install-folder discovery, the dialog state, the hidden list's columns.
    void Form_Load() override;
    // Closing through the frame (close box, Alt+F4) ends the program as "Cancel" does; refused
    // while an installation runs.
    void Form_Unload(bool& Cancel) override;

  private:
    void DesignControls();
    void ApplyDialogState(bool viewerRegistered);
    void SizeColumns();
    void Command1_Click(std::int16_t Index);
    void cab_FileFound(const std::string& FileName, const DateTime& DateTime, std::int32_t Size,
                       const std::string& Path);
    void ReleaseCab();

    std::string InstallFolder_;
    std::shared_ptr<CabFile> cab;
    // Set while an installation runs.
    std::unique_ptr<InstallProgress> progress_;
};

}  // namespace vantrel
