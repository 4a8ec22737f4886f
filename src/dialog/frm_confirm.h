#pragma once

#include <QDialog>
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "shared/date_time.h"

class QLabel;
class QProgressBar;

namespace vantrel {

class CabFile;
class CommandButton;
class DirListBox;
class DriveListBox;
class InstallProgress;
class ListView;

// How an installation run ended, when it returned at all (errors are raised).
struct InstallationOutcome {
    bool Listed = false;      // false: the cabinet could not be read ("GetInfo Error")
    int FilesNotWritten = 0;  // files the extraction passed by (refused names, folders)
};

// "Confirm": tells the user where the reference images go, or that they cannot be installed,
// and runs the installation once the user agrees.
class FrmConfirm : public QDialog {
    Q_OBJECT
  public:
    explicit FrmConfirm(QWidget* owner = nullptr);
    ~FrmConfirm() override;

    // Loads the dialog (finds the viewer, shows the state) and shows it modally, centred over
    // its owner. Returns when the dialog was closed without ending the program.
    void ShowModal();

    // The load handler: install-folder discovery, the dialog state, the hidden list's columns.
    void Form_Load();

    // Lists Images.cab of the program's folder into lvwCabFile and extracts it into
    // InstallFolder. Errors of the cabinet are raised, not handled.
    InstallationOutcome Installation();

    const std::string& InstallFolder() const { return InstallFolder_; }
    const std::shared_ptr<CabFile>& Cab() const { return cab; }

    // The controls, by their design names.
    QLabel* Label1;
    DriveListBox* Drive1;
    DirListBox* Dir1;
    std::array<CommandButton*, 2> Command1;
    QLabel* Label2;
    ListView* lvwCabFile;
    // Shown only while an installation runs.
    QProgressBar* pbrInstall;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void CreateControls();
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
