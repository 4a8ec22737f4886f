#include "dialog/frm_confirm.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QWindow>
#include <set>
#include <vector>

#include "cabinet/cab_file.h"
#include "dialog/install_folder.h"
#include "dialog/install_progress.h"
#include "platform/forms/command_button.h"
#include "platform/forms/cursors.h"
#include "platform/forms/dir_list_box.h"
#include "platform/forms/drive_list_box.h"
#include "platform/forms/label_text.h"
#include "platform/forms/list_view.h"
#include "platform/forms/program.h"
#include "platform/forms/twips.h"
#include "platform/message_box.h"

namespace vantrel {
namespace {

constexpr const char* kCabinetFileName = "\\Images.cab";

QLabel* NewLabel(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

CommandButton* NewButton(QWidget* parent, const char* caption, const char* toolTip) {
    auto* button = new CommandButton(parent);
    button->setText(QString::fromUtf8(caption));
    button->setToolTip(QString::fromUtf8(toolTip));
    return button;
}

// `value` in decimal, left-padded with zeros to `digits` digits (a minus sign goes in front).
std::string ZeroPadded(std::int32_t value, std::size_t digits) {
    const std::int64_t wide = value;
    std::string text = std::to_string(wide < 0 ? -wide : wide);
    if (text.size() < digits) {
        text.insert(0, digits - text.size(), '0');
    }
    return wide < 0 ? "-" + text : text;
}

// Clears a flag when the installation that set it ends, however it ends.
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

FrmConfirm::FrmConfirm(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint) {
    setWindowTitle(QStringLiteral("Confirm"));
    // The font the dialog was designed with; the nearest sans serif stands in where it is absent.
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    setFixedSize(TwipsSize(4680, 3090));
    CreateControls();
}

FrmConfirm::~FrmConfirm() {
    ReleaseCab();
}

// The controls as designed, created in tab order so that the focus moves as the design says.
void FrmConfirm::CreateControls() {
    Label1 = NewLabel(this);
    PlaceInTwips(*Label1, 120, 120, 4455, 255);

    Drive1 = new DriveListBox(this);
    PlaceInTwips(*Drive1, 120, 720, 4455, 300);

    Dir1 = new DirListBox(this);
    PlaceInTwips(*Dir1, 120, 1080, 4455, 1350);

    Command1[0] = NewButton(this, "OK", "Continue installation");
    PlaceInTwips(*Command1[0], 2040, 2520, 1215, 495);
    Command1[0]->hide();

    Command1[1] = NewButton(this, "Cancel", "Cancel installation and Quit");
    PlaceInTwips(*Command1[1], 3360, 2520, 1215, 495);

    Label2 = NewLabel(this);
    PlaceInTwips(*Label2, 120, 360, 4455, 255);

    lvwCabFile = new ListView(this);
    lvwCabFile->setFocusPolicy(Qt::StrongFocus);
    lvwCabFile->Move(120, 2400, 1815, 615);
    lvwCabFile->AddColumnHeader("Name", "Name", 1440, ColumnAlignment::Left);
    lvwCabFile->AddColumnHeader("Modified", "Modified", 1440, ColumnAlignment::Left);
    lvwCabFile->AddColumnHeader("Size", "Size", 1440, ColumnAlignment::Right);
    lvwCabFile->AddColumnHeader("Path", "Path", 1840, ColumnAlignment::Left);
    lvwCabFile->AddColumnHeader("SortDate", "SortDate", 0, ColumnAlignment::Left);
    lvwCabFile->AddColumnHeader("SortSize", "SortSize", 0, ColumnAlignment::Left);
    lvwCabFile->hide();

    // Beside the buttons, where the hidden list lies: the destination stays in view.
    pbrInstall = new QProgressBar(this);
    PlaceInTwips(*pbrInstall, 120, 2595, 1815, 345);
    pbrInstall->hide();

    setTabOrder(Drive1, Dir1);
    setTabOrder(Dir1, Command1[0]);
    setTabOrder(Command1[0], Command1[1]);
    setTabOrder(Command1[1], lvwCabFile);

    for (std::int16_t index = 0; index < 2; ++index) {
        connect(Command1[index], &QPushButton::clicked, this,
                [this, index] { RunEventHandler([&] { Command1_Click(index); }); });
    }
}

void FrmConfirm::ShowModal() {
    Form_Load();
    if (const QWidget* owner = parentWidget()) {
        // Centre the whole window, frame included, as far as the window system tells it now.
        winId();
        const QSize outer = size().grownBy(windowHandle()->frameMargins());
        move(owner->frameGeometry().center() -
             QPoint((outer.width() - 1) / 2, (outer.height() - 1) / 2));
    }
    exec();
}

void FrmConfirm::Form_Load() {
    InstallFolderDiscovery discovery;
    discovery.OpenAndQuery();
    const bool registered = discovery.ViewerRegistered();
    ApplyDialogState(registered);
    discovery.CloseAndTakeFolder();
    InstallFolder_ = discovery.InstallFolder();
    if (registered) {
        Drive1->SetDrive(InstallFolder_.substr(0, 1));
        Dir1->SetPath(InstallFolder_);
    }
    SizeColumns();
    Drive1->setEnabled(false);
    Dir1->setEnabled(false);
}

void FrmConfirm::ApplyDialogState(bool viewerRegistered) {
    if (viewerRegistered) {
        Label1->setText(QStringLiteral("Reference Images must be installed to following folder."));
        Label2->setText(QStringLiteral("This folder can not be changed."));
        Drive1->show();
        Dir1->show();
        Command1[0]->show();
    } else {
        Label1->setText(QStringLiteral("Not found ZORVIKViewer"));
        Label2->setText(QStringLiteral("Reference Images can not be installed."));
        Drive1->hide();
        Dir1->hide();
        Command1[1]->setText(QStringLiteral("OK"));
    }
    FitTextToWidth({Label1, Label2});
}

void FrmConfirm::SizeColumns() {
    lvwCabFile->SetLeft(0);
    const float w = lvwCabFile->Width();
    lvwCabFile->ColumnHeaders("Name").Width = static_cast<float>(w * 0.3);
    lvwCabFile->ColumnHeaders("Modified").Width = static_cast<float>(w * 0.25);
    lvwCabFile->ColumnHeaders("Size").Width = static_cast<float>(w * 0.15);
    lvwCabFile->ColumnHeaders("Path").Width = static_cast<float>(w * 0.5);
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
    progress_ = std::make_unique<InstallProgress>(*pbrInstall);
    progress_->Begin();

    if (!cab->GetInfo(InstallFolder_)) {
        MsgBox("GetInfo Error");
        return {};
    }

    std::vector<std::string> names;
    for (const ListItem& item : lvwCabFile->ListItems()) {
        if (item.Selected()) {
            names.push_back(item.SubItems(3) + item.Text());
        }
    }

    progress_->BeginExtraction(static_cast<int>(names.size() * lvwCabFile->ListItems().size()));
    std::set<std::string> notWritten;
    for (const auto& name : names) {
        cab->Extract(name, InstallFolder_, "");
        notWritten.insert(cab->NotWritten().begin(), cab->NotWritten().end());
    }
    return {true, static_cast<int>(notWritten.size())};
}

void FrmConfirm::cab_FileFound(const std::string& FileName, const DateTime& DateTime,
                               std::int32_t Size, const std::string& Path) {
    ListItem& item = lvwCabFile->AddListItem(FileName);
    item.SetToolTipText(FileName);
    item.SetSubItems(1, DateTime.GeneralText());
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

void FrmConfirm::keyPressEvent(QKeyEvent* event) {
    // No button is the cancel button: Escape does nothing here.
    if (event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void FrmConfirm::closeEvent(QCloseEvent* event) {
    if (progress_) {
        event->ignore();  // an installation is running; the program ends when it is over
        return;
    }
    QDialog::closeEvent(event);
}

}  // namespace vantrel
