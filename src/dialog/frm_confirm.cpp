#include "dialog/frm_confirm.h"

#include <set>
#include <vector>

#include "cabinet/cab_file.h"
#include "dialog/install_folder.h"
#include "dialog/install_progress.h"
#include "platform/cursors.h"
#include "platform/date_format.h"
#include "platform/forms/program.h"
#include "platform/message_box.h"

namespace vantrel {
namespace {

constexpr const char* kCabinetFileName = "\\Images.cab";

// `value` in decimal, left-padded with zeros to `digits` digits (a minus sign goes in front).
std::string ZeroPadded(std::int32_t value, std::size_t digits) {
    const std::int64_t wide = value;
    std::string text = std::to_string(wide < 0 ? -wide : wide);
    if (text.size() < digits) {
        text.insert(0, digits - text.size(), '0');
    }
    return wide < 0 ? "-" + text : text;
}

// Clears the running installation's progress when it ends, however it ends.
class Running {
  public:
    explicit Running(std::unique_ptr<InstallProgress>& slot) : slot_(slot) {}
    ~Running() { slot_.reset(); }
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;

  private:
    std::unique_ptr<InstallProgress>& slot_;
};

}  // namespace

FrmConfirm::FrmConfirm()
    : Form({.Caption = "Confirm",
            .BorderStyle = FormBorder::FixedDialog,
            .ShowInTaskbar = false,
            .StartUpPosition = StartPosition::CenterOwner,
            .Font = {"MS Sans Serif", 8},
            .ClientWidth = 4680,
            .ClientHeight = 3090}),
      Label1(*this),
      Drive1(*this),
      Dir1(*this),
      Command1{{CommandButton(*this, 0), CommandButton(*this, 1)}},
      Label2(*this),
      lvwCabFile(*this),
      pbrInstall(*this) {
    DesignControls();
}

FrmConfirm::~FrmConfirm() {
    ReleaseCab();
}

void FrmConfirm::DesignControls() {
    Label1.Move(120, 120, 4455, 255);
    // A screen reader names the destination by these; Dir1 also reads out its full path.
    Drive1.Move(120, 720, 4455, 300);
    Drive1.SetAccessibleName("Destination drive");
    Dir1.Move(120, 1080, 4455, 1350);
    Dir1.SetAccessibleName("Destination folder");

    Command1[0].Move(2040, 2520, 1215, 495);
    Command1[0].SetCaption("OK");
    Command1[0].SetToolTipText("Continue installation");
    Command1[0].SetVisible(false);
    Command1[1].Move(3360, 2520, 1215, 495);
    Command1[1].SetCaption("Cancel");
    Command1[1].SetToolTipText("Cancel installation and Quit");
    for (CommandButton& button : Command1) {
        button.SetClickHandler([this](std::int16_t Index) { Command1_Click(Index); });
    }

    Label2.Move(120, 360, 4455, 255);

    lvwCabFile.Move(120, 2400, 1815, 615);
    lvwCabFile.AddColumnHeader("Name", "Name", 1440, ColumnAlignment::Left);
    lvwCabFile.AddColumnHeader("Modified", "Modified", 1440, ColumnAlignment::Left);
    lvwCabFile.AddColumnHeader("Size", "Size", 1440, ColumnAlignment::Right);
    lvwCabFile.AddColumnHeader("Path", "Path", 1840, ColumnAlignment::Left);
    lvwCabFile.AddColumnHeader("SortDate", "SortDate", 0, ColumnAlignment::Left);
    lvwCabFile.AddColumnHeader("SortSize", "SortSize", 0, ColumnAlignment::Left);
    lvwCabFile.SetVisible(false);

    // Beside the buttons, where the hidden list lies: the destination stays in view.
    pbrInstall.Move(120, 2595, 1815, 345);
    pbrInstall.SetAccessibleName("Installation progress");
    pbrInstall.SetVisible(false);
}

void FrmConfirm::Form_Load() {
    InstallFolderDiscovery discovery;
    discovery.OpenAndQuery();
    const bool registered = discovery.ViewerRegistered();
    ApplyDialogState(registered);
    discovery.CloseAndTakeFolder();
    InstallFolder_ = discovery.InstallFolder();
    if (registered) {
        Drive1.SetDrive(InstallFolder_.substr(0, 1));
        Dir1.SetPath(InstallFolder_);
    }
    SizeColumns();
    Drive1.SetEnabled(false);
    Dir1.SetEnabled(false);
}

// Closing the dialog is the user's "Cancel": without it nothing is left to work with, only the
// title window, which has no way out of its own.
void FrmConfirm::Form_Unload(bool& Cancel) {
    if (progress_) {
        Cancel = true;  // an installation is running; the program ends when it is over
        return;
    }
    EndProgram(kExitNotInstalled);
}

void FrmConfirm::ApplyDialogState(bool viewerRegistered) {
    if (viewerRegistered) {
        Label1.SetCaption("Reference Images must be installed to following folder.");
        Label2.SetCaption("This folder can not be changed.");
        Drive1.SetVisible(true);
        Dir1.SetVisible(true);
        Command1[0].SetVisible(true);
    } else {
        Label1.SetCaption("Not found ZORVIKViewer");
        Label2.SetCaption("Reference Images can not be installed.");
        Drive1.SetVisible(false);
        Dir1.SetVisible(false);
        Command1[1].SetCaption("OK");
    }
    FitCaptionsToWidth({&Label1, &Label2});
}

void FrmConfirm::SizeColumns() {
    lvwCabFile.SetLeft(0);
    const float w = lvwCabFile.Width();
    lvwCabFile.ColumnHeaders("Name").Width = static_cast<float>(w * 0.3);
    lvwCabFile.ColumnHeaders("Modified").Width = static_cast<float>(w * 0.25);
    lvwCabFile.ColumnHeaders("Size").Width = static_cast<float>(w * 0.15);
    lvwCabFile.ColumnHeaders("Path").Width = static_cast<float>(w * 0.5);
}

void FrmConfirm::Command1_Click(std::int16_t Index) {
    if (progress_) {
        return;  // the installation's own window events only; the user acts when it is over
    }
    switch (Index) {
        case 0: {
            SetCursor(LoadCursorA(nullptr, IDC_WAIT));
            const InstallationOutcome outcome = Installation();
            SetCursor(LoadCursorA(nullptr, IDC_ARROW));
            if (!outcome.Listed) {
                EndProgram(kExitFailed);
            }
            if (outcome.FilesNotWritten > 0) {
                MsgBox("Reference Image Installation is not complete: " +
                       std::to_string(outcome.FilesNotWritten) +
                       " file(s) could not be installed.");
                EndProgram(kExitFailed);
            }
            MsgBox("Reference Image Installation is finished.");
            EndProgram(kExitInstalled);
        }
        case 1:
            EndProgram(kExitNotInstalled);
        default:
            break;
    }
}

InstallationOutcome FrmConfirm::Installation() {
    ReleaseCab();
    cab = CabFile::Create();
    cab->FileFound = [this](const std::string& FileName, const DateTime& DateTime,
                            std::int32_t Size, const std::string& Path) {
        cab_FileFound(FileName, DateTime, Size, Path);
        if (progress_) {
            progress_->FileListed();
        }
    };
    cab->AfterExtract = [this](const std::string&) {
        if (progress_) {
            progress_->FileWritten();
        }
    };
    cab->SetCabName(ProgramFolder() + kCabinetFileName);

    const Running running(progress_);
    progress_ = std::make_unique<InstallProgress>(pbrInstall);
    progress_->Begin();

    if (!cab->GetInfo(InstallFolder_)) {
        MsgBox("GetInfo Error");
        return {};
    }

    // Extract is called once per selected row, with the row's full name in the cabinet, and yet
    // writes the whole cabinet each time: CabFile::Extract does not consult the name. This is how
    // the installation is meant to run, not a slip. The hidden list selects the first row it is
    // given and no other, and nothing changes the selection, so a cabinet with files is extracted
    // exactly once and an empty one not at all; restricting a call to its name would install a
    // single file.
    std::vector<std::string> names;
    for (const ListItem& item : lvwCabFile.ListItems()) {
        if (item.Selected()) {
            names.push_back(item.SubItems(3) + item.Text());
        }
    }

    // Every call writes every file the listing found, so the bar counts the files of all calls;
    // AfterExtract moves it one step per file written.
    progress_->BeginExtraction(static_cast<int>(names.size() * lvwCabFile.ListItems().size()));
    std::set<std::string> notWritten;
    for (const auto& name : names) {
        cab->Extract(name, InstallFolder_, "");
        notWritten.insert(cab->NotWritten().begin(), cab->NotWritten().end());
    }
    return {true, static_cast<int>(notWritten.size())};
}

void FrmConfirm::cab_FileFound(const std::string& FileName, const DateTime& DateTime,
                               std::int32_t Size, const std::string& Path) {
    ListItem& item = lvwCabFile.AddListItem(FileName);
    item.SetToolTipText(FileName);
    item.SetSubItems(1, GeneralDateTimeText(DateTime));
    item.SetSubItems(2, std::to_string(Size));
    item.SetSubItems(3, Path);
    item.SetSubItems(4, DateTime.SortText());
    item.SetSubItems(5, ZeroPadded(Size, 21));
}

// A released cabinet object delivers no more events, although the Callback module may still
// hold it.
void FrmConfirm::ReleaseCab() {
    if (cab) {
        cab->FileFound = nullptr;
        cab->BeforeExtract = nullptr;
        cab->AfterExtract = nullptr;
        cab.reset();
    }
}

}  // namespace vantrel
