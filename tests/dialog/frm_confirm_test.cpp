// "Confirm" as the user meets it: both states, its geometry and keys, the hidden file list, the
// installation run and every way the program ends from it.

#include "dialog/frm_confirm.h"

#include <gtest/gtest.h>

#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <filesystem>
#include <map>
#include <memory>

#include "app/gui_test_support.h"
#include "cabinet/cab_file.h"
#include "platform/forms/command_button.h"
#include "platform/forms/dir_list_box.h"
#include "platform/forms/drive_list_box.h"
#include "platform/forms/list_view.h"
#include "platform/forms/twips.h"
#include "platform/message_box.h"
#include "support/cab_builder.h"

namespace vantrel::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kFinished = "Reference Image Installation is finished.";

using FileSet = std::map<std::string, std::string>;

// Every test runs the program from C:\Setup of a prefix of its own, the viewer (when
// registered) living in C:\Viewer; message boxes and the end of the program are recorded.
class ConfirmTest : public ::testing::Test {
  protected:
    ConfirmTest() { fs::create_directories(prefix_.DriveC() / "Setup"); }

    void RegisterViewer(const std::string& viewerPath = "C:\\Viewer\\ZORVIKViewer.EXE") {
        fs::create_directories(Viewer());
        prefix_.WriteSystemReg(ViewerRegistration(viewerPath));
    }

    fs::path Viewer() const { return prefix_.DriveC() / "Viewer"; }
    fs::path Cabinet() const { return prefix_.DriveC() / "Setup" / "Images.cab"; }

    void MakeCabinet(const FileSet& files) {
        TempDir source;
        for (const auto& [name, content] : files) {
            fs::create_directories((source.Path() / name).parent_path());
            WriteFile(source.Path() / name, content);
        }
        MakeCabWithGcab(Cabinet(), source.Path(), true);
    }

    // Creates the dialog and runs its load handler as the runtime does.
    std::unique_ptr<FrmConfirm> Load() {
        auto dialog = std::make_unique<FrmConfirm>();
        loaded_ = RunEventHandler([&] { dialog->Form_Load(); });
        return dialog;
    }

    FileSet ViewerFiles() const {
        FileSet files;
        for (const auto& name : ListFiles(Viewer())) {
            files[name] = ReadFile(Viewer() / name);
        }
        return files;
    }

    TempPrefix prefix_;
    ScopedProgramFolder folder_{"C:\\Setup"};
    MessageBoxRecorder messages_;
    EndOfProgramRecorder ending_;
    bool loaded_ = false;
};

const FileSet kImages = {{"a.jpg", std::string("\xFF\xD8\xFF\xE0 first image", 17)},
                         {"set1/case01/b.jpg", "second image, nested"},
                         {"set1/c.png", std::string(70000, 'c')}};

// ---- The two states

TEST_F(ConfirmTest, FoundStateNamesTheViewersFolderAndOffersOkAndCancel) {
    RegisterViewer();
    const auto dialog = Load();
    ASSERT_TRUE(loaded_);
    EXPECT_EQ(dialog->windowTitle().toStdString(), "Confirm");
    EXPECT_EQ(dialog->Label1->text().toStdString(),
              "Reference Images must be installed to following folder.");
    EXPECT_EQ(dialog->Label2->text().toStdString(), "This folder can not be changed.");
    EXPECT_EQ(dialog->InstallFolder(), "C:\\Viewer\\");

    EXPECT_FALSE(dialog->Drive1->isHidden());
    EXPECT_FALSE(dialog->Dir1->isHidden());
    EXPECT_FALSE(dialog->Drive1->isEnabled());
    EXPECT_FALSE(dialog->Dir1->isEnabled());
    EXPECT_EQ(dialog->Drive1->Drive(), "c:");
    EXPECT_EQ(dialog->Dir1->Path(), "C:\\Viewer");

    EXPECT_FALSE(dialog->Command1[0]->isHidden());
    EXPECT_EQ(dialog->Command1[0]->text().toStdString(), "OK");
    EXPECT_EQ(dialog->Command1[0]->toolTip().toStdString(), "Continue installation");
    EXPECT_FALSE(dialog->Command1[1]->isHidden());
    EXPECT_EQ(dialog->Command1[1]->text().toStdString(), "Cancel");
    EXPECT_EQ(dialog->Command1[1]->toolTip().toStdString(), "Cancel installation and Quit");

    EXPECT_TRUE(dialog->lvwCabFile->isHidden());
    EXPECT_TRUE(dialog->pbrInstall->isHidden());
    EXPECT_TRUE(messages_.Texts().empty());
    EXPECT_FALSE(ending_.Status().has_value());
}

TEST_F(ConfirmTest, NotFoundStateSaysSoAndOffersASingleOk) {
    const auto dialog = Load();
    ASSERT_TRUE(loaded_);
    EXPECT_EQ(dialog->Label1->text().toStdString(), "Not found ZORVIKViewer");
    EXPECT_EQ(dialog->Label2->text().toStdString(), "Reference Images can not be installed.");
    EXPECT_EQ(dialog->InstallFolder(), "");
    EXPECT_TRUE(dialog->Drive1->isHidden());
    EXPECT_TRUE(dialog->Dir1->isHidden());
    EXPECT_FALSE(dialog->Drive1->isEnabled());
    EXPECT_FALSE(dialog->Dir1->isEnabled());
    EXPECT_TRUE(dialog->Command1[0]->isHidden());
    EXPECT_FALSE(dialog->Command1[1]->isHidden());
    EXPECT_EQ(dialog->Command1[1]->text().toStdString(), "OK");
    EXPECT_EQ(dialog->Command1[1]->toolTip().toStdString(), "Cancel installation and Quit");
    EXPECT_TRUE(dialog->lvwCabFile->isHidden());
    EXPECT_TRUE(messages_.Texts().empty());
}

TEST_F(ConfirmTest, EveryMessageLineFitsItsLabel) {
    for (const bool registered : {true, false}) {
        TempPrefix prefix;
        if (registered) {
            fs::create_directories(prefix.DriveC() / "Viewer");
            prefix.WriteSystemReg(ViewerRegistration("C:\\Viewer\\ZORVIKViewer.EXE"));
        }
        const auto dialog = Load();
        for (const QLabel* label : {dialog->Label1, dialog->Label2}) {
            EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width())
                << label->text().toStdString();
            EXPECT_GE(label->font().pointSizeF(), 6.0);
        }
        EXPECT_EQ(dialog->Label1->font(), dialog->Label2->font());
    }
}

TEST_F(ConfirmTest, ADialogWindowWithACloseBoxOnly) {
    const auto dialog = Load();
    const Qt::WindowFlags flags = dialog->windowFlags();
    EXPECT_EQ(dialog->windowType(), Qt::Dialog);
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowContextHelpButtonHint));
    EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize());
}

// ---- Geometry, at the 96 dots per inch of the offscreen screen

struct Placement {
    const char* Control;
    QRect Pixels;
};

class ConfirmGeometryTest : public ConfirmTest, public ::testing::WithParamInterface<Placement> {
  protected:
    static QWidget* Control(const FrmConfirm& dialog, const std::string& name) {
        const std::map<std::string, QWidget*> controls = {
            {"Label1", dialog.Label1},           {"Label2", dialog.Label2},
            {"Drive1", dialog.Drive1},           {"Dir1", dialog.Dir1},
            {"Command1(0)", dialog.Command1[0]}, {"Command1(1)", dialog.Command1[1]},
            {"lvwCabFile", dialog.lvwCabFile},   {"pbrInstall", dialog.pbrInstall}};
        return controls.at(name);
    }
};

TEST_P(ConfirmGeometryTest, FollowsTheDesignInTwips) {
    ASSERT_EQ(LogicalDpi(), 96.0);
    RegisterViewer();
    const auto dialog = Load();
    EXPECT_EQ(dialog->size(), QSize(312, 206));
    EXPECT_EQ(Control(*dialog, GetParam().Control)->geometry(), GetParam().Pixels);
}

INSTANTIATE_TEST_SUITE_P(Controls, ConfirmGeometryTest,
                         ::testing::Values(Placement{"Label1", {8, 8, 297, 17}},
                                           Placement{"Label2", {8, 24, 297, 17}},
                                           Placement{"Drive1", {8, 48, 297, 20}},
                                           Placement{"Dir1", {8, 72, 297, 90}},
                                           Placement{"Command1(0)", {136, 168, 81, 33}},
                                           Placement{"Command1(1)", {224, 168, 81, 33}},
                                           // moved to the left edge by the column sizing
                                           Placement{"lvwCabFile", {0, 160, 121, 41}},
                                           Placement{"pbrInstall", {8, 173, 121, 23}}),
                         [](const auto& info) {
                             std::string name = info.param.Control;
                             std::erase_if(name, [](char c) { return c == '(' || c == ')'; });
                             return name;
                         });

TEST_F(ConfirmTest, TabOrderFollowsTheDesign) {
    RegisterViewer();
    const auto dialog = Load();
    std::vector<QWidget*> order;
    for (QWidget* widget = dialog->nextInFocusChain(); widget != dialog.get();
         widget = widget->nextInFocusChain()) {
        if (widget->focusPolicy() & Qt::TabFocus) {
            order.push_back(widget);
        }
    }
    EXPECT_EQ(order, (std::vector<QWidget*>{dialog->Drive1, dialog->Dir1, dialog->Command1[0],
                                            dialog->Command1[1], dialog->lvwCabFile}));
}

// ---- The hidden list

TEST_F(ConfirmTest, ColumnsAreSizedFromTheListsWidth) {
    const auto dialog = Load();
    const ListView& list = *dialog->lvwCabFile;
    EXPECT_EQ(list.Left(), 0.0f);
    EXPECT_EQ(list.Width(), 1815.0f);
    std::vector<std::pair<std::string, float>> columns;
    for (const auto& column : list.ColumnHeaders()) {
        columns.emplace_back(column.Key, column.Width);
    }
    EXPECT_EQ(columns, (std::vector<std::pair<std::string, float>>{{"Name", 544.5f},
                                                                   {"Modified", 453.75f},
                                                                   {"Size", 272.25f},
                                                                   {"Path", 907.5f},
                                                                   {"SortDate", 0.0f},
                                                                   {"SortSize", 0.0f}}));
    EXPECT_EQ(list.ColumnHeaders()[2].Alignment, ColumnAlignment::Right);
    EXPECT_TRUE(list.ListItems().empty());
}

TEST_F(ConfirmTest, EachFileOfTheCabinetBecomesOneRowAndTheFirstIsSelected) {
    RegisterViewer();
    WriteFile(
        Cabinet(),
        BuildStoredCab({
            {"set1\\a.jpg", std::string(345, 'a')},
            {"top.txt", ""},
            {"set1\\case01\\c.jpg", "c", (36 << 9) | (12 << 5) | 31, (23 << 11) | (59 << 5) | 29},
        }));
    const auto dialog = Load();
    const InstallationOutcome outcome = dialog->Installation();
    EXPECT_TRUE(outcome.Listed);
    EXPECT_EQ(outcome.FilesNotWritten, 0);

    struct Row {
        std::string Text, ToolTip, Modified, Size, Path, SortDate, SortSize;
        bool Selected;
        bool operator==(const Row&) const = default;
    };
    std::vector<Row> rows;
    for (const ListItem& item : dialog->lvwCabFile->ListItems()) {
        rows.push_back({item.Text(), item.ToolTipText(), item.SubItems(1), item.SubItems(2),
                        item.SubItems(3), item.SubItems(4), item.SubItems(5), item.Selected()});
    }
    const std::vector<Row> expected = {
        {"a.jpg", "a.jpg", "2009-01-01 12:00:00", "345", "set1\\", "20090101120000",
         "000000000000000000345", true},
        {"top.txt", "top.txt", "2009-01-01 12:00:00", "0", "", "20090101120000",
         "000000000000000000000", false},
        {"c.jpg", "c.jpg", "2016-12-31 23:59:58", "1", "set1\\case01\\", "20161231235958",
         "000000000000000000001", false},
    };
    ASSERT_EQ(rows.size(), expected.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_TRUE(rows[i] == expected[i]) << "row " << i << ": " << rows[i].Text << " | "
                                            << rows[i].Modified << " | " << rows[i].Path;
    }
}

// ---- The installation run

TEST_F(ConfirmTest, OneSelectedRowMakesOneExtractionPassWhileTheProgressShows) {
    RegisterViewer();
    MakeCabinet(kImages);
    const auto dialog = Load();
    dialog->show();

    int written = 0;
    bool progressShown = false;
    std::vector<QWidget*> overlapped;
    WhenLoopRuns([&] {
        // The installation lets the window system's events through: this runs inside it.
        const auto cab = dialog->Cab();
        ASSERT_NE(cab, nullptr);
        cab->AfterExtract = [&written, inner = cab->AfterExtract](const std::string& file) {
            ++written;
            inner(file);
        };
        progressShown = dialog->pbrInstall->isVisible();
        const std::vector<QWidget*> controls = {dialog->Label1,      dialog->Label2,
                                                dialog->Drive1,      dialog->Dir1,
                                                dialog->Command1[0], dialog->Command1[1]};
        for (QWidget* control : controls) {
            if (control->isVisible() &&
                control->geometry().intersects(dialog->pbrInstall->geometry())) {
                overlapped.push_back(control);
            }
        }
        dialog->Command1[1]->click();  // not acted on while the run goes on
    });
    const InstallationOutcome outcome = dialog->Installation();

    EXPECT_TRUE(outcome.Listed);
    EXPECT_EQ(written, 3);
    EXPECT_EQ(ViewerFiles(), kImages);
    EXPECT_TRUE(progressShown);
    EXPECT_TRUE(overlapped.empty());
    EXPECT_FALSE(dialog->pbrInstall->isVisible());
    EXPECT_EQ(dialog->pbrInstall->value(), 3);
    EXPECT_FALSE(ending_.Status().has_value());
    EXPECT_TRUE(messages_.Texts().empty());
}

TEST_F(ConfirmTest, AnEmptyCabinetMakesNoPass) {
    RegisterViewer();
    WriteFile(Cabinet(), BuildStoredCab({}));
    const auto dialog = Load();
    EXPECT_TRUE(dialog->Installation().Listed);
    EXPECT_TRUE(dialog->lvwCabFile->ListItems().empty());
    EXPECT_TRUE(ViewerFiles().empty());
}

// ---- Every way through the buttons

enum class CabinetKind { Good, Missing, Empty, Hostile };
enum class ViewerIs { Registered, Missing };

struct Flow {
    const char* Name;
    ViewerIs Registration;
    CabinetKind Cabinet;
    int Button;
    std::vector<std::string> Messages;
    int Status;
    FileSet Installed;
};

class ConfirmFlowTest : public ConfirmTest, public ::testing::WithParamInterface<Flow> {
  protected:
    void MakeCabinetOfKind(CabinetKind kind) {
        switch (kind) {
            case CabinetKind::Good:
                MakeCabinet(kImages);
                break;
            case CabinetKind::Missing:
                break;
            case CabinetKind::Empty:
                WriteFile(Cabinet(), BuildStoredCab({}));
                break;
            case CabinetKind::Hostile:
                WriteFile(Cabinet(),
                          BuildStoredCab({{"..\\evil.txt", "evil"}, {"good.txt", "good"}}));
                break;
        }
    }
};

TEST_P(ConfirmFlowTest, ShowsItsMessagesInOrderAndEndsWithItsStatus) {
    const Flow& flow = GetParam();
    if (flow.Registration == ViewerIs::Registered) {
        RegisterViewer();
    }
    MakeCabinetOfKind(flow.Cabinet);
    const auto dialog = Load();
    ASSERT_TRUE(loaded_);
    dialog->show();
    ASSERT_TRUE(dialog->Command1[flow.Button]->isVisible());

    dialog->Command1[flow.Button]->click();

    EXPECT_EQ(messages_.Texts(), flow.Messages);
    EXPECT_EQ(ending_.Status(), flow.Status);
    EXPECT_FALSE(dialog->isVisible());
    if (flow.Registration == ViewerIs::Registered) {
        EXPECT_EQ(ViewerFiles(), flow.Installed);
    }
    // Nothing lands anywhere else on the drive.
    for (const auto& file : ListFiles(prefix_.DriveC())) {
        EXPECT_TRUE(file == "Setup/Images.cab" || file.starts_with("Viewer/")) << file;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Flows, ConfirmFlowTest,
    ::testing::Values(
        Flow{"Cancel", ViewerIs::Registered, CabinetKind::Good, 1, {}, 2, {}},
        Flow{"NotFoundOk", ViewerIs::Missing, CabinetKind::Good, 1, {}, 2, {}},
        Flow{"OkInstalls", ViewerIs::Registered, CabinetKind::Good, 0, {kFinished}, 0, kImages},
        Flow{"OkWithoutCabinet",
             ViewerIs::Registered,
             CabinetKind::Missing,
             0,
             {"Error22", "GetInfo Error"},
             1,
             {}},
        Flow{"OkWithEmptyCabinet", ViewerIs::Registered, CabinetKind::Empty, 0, {kFinished}, 0, {}},
        Flow{"OkWithAFileThatCannotBeWritten",
             ViewerIs::Registered,
             CabinetKind::Hostile,
             0,
             {"Reference Image Installation is not complete: 1 file(s) could not be installed."},
             1,
             {{"good.txt", "good"}}}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(ConfirmTest, TheCursorWaitsDuringTheRunAndIsBackForTheClosingMessage) {
    RegisterViewer();
    std::vector<std::pair<std::string, bool>> shown;  // text, waiting
    const auto previous = SetMessageBoxPresenter([&](const std::string& text) {
        const QCursor* cursor = QGuiApplication::overrideCursor();
        shown.emplace_back(text, cursor != nullptr && cursor->shape() == Qt::WaitCursor);
    });
    {
        const auto dialog = Load();
        dialog->Command1[0]->click();
    }
    SetMessageBoxPresenter(previous);
    EXPECT_EQ(shown, (std::vector<std::pair<std::string, bool>>{{"Error22", true},
                                                                {"GetInfo Error", true}}));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(ending_.Status(), 1);

    MakeCabinet(kImages);
    shown.clear();
    EndOfProgramRecorder second;
    SetMessageBoxPresenter([&](const std::string& text) {
        shown.emplace_back(text, QGuiApplication::overrideCursor() != nullptr);
    });
    Load()->Command1[0]->click();
    SetMessageBoxPresenter(previous);
    EXPECT_EQ(shown, (std::vector<std::pair<std::string, bool>>{{kFinished, false}}));
    EXPECT_EQ(second.Status(), 0);
}

// ---- Errors nothing handles

struct LoadFailure {
    const char* Name;
    std::string ViewerPath;
    std::string Report;
};

class ConfirmLoadFailureTest : public ConfirmTest,
                               public ::testing::WithParamInterface<LoadFailure> {};

TEST_P(ConfirmLoadFailureTest, IsReportedAndEndsTheProgram) {
    RegisterViewer(GetParam().ViewerPath);
    const auto dialog = Load();
    EXPECT_FALSE(loaded_);
    EXPECT_EQ(messages_.Texts(), std::vector<std::string>{GetParam().Report});
    EXPECT_EQ(ending_.Status(), 1);
}

INSTANTIATE_TEST_SUITE_P(Registrations, ConfirmLoadFailureTest,
                         ::testing::Values(LoadFailure{"FolderGone", "C:\\Gone\\ZORVIKViewer.EXE",
                                                       "Run-time error '76':\n\nPath not found"},
                                           LoadFailure{
                                               "DriveUnavailable", "D:\\Viewer\\ZORVIKViewer.EXE",
                                               "Run-time error '68':\n\nDevice unavailable"}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(ConfirmTest, AnErrorRaisedDuringTheRunIsReportedAndEndsTheProgram) {
    RegisterViewer();
    // "C:\Viewer\" and this name make a target of 260 bytes, one more than the service takes.
    WriteFile(Cabinet(), BuildStoredCab({{"first.txt", "1"}, {std::string(250, 'n'), "2"}}));
    const auto dialog = Load();
    dialog->Command1[0]->click();
    ASSERT_EQ(messages_.Texts().size(), 1u);
    EXPECT_TRUE(messages_.Texts()[0].starts_with("Run-time error '9':\n\n"))
        << messages_.Texts()[0];
    EXPECT_EQ(ending_.Status(), 1);
    EXPECT_EQ(ViewerFiles(), (FileSet{{"first.txt", "1"}}));
}

// ---- Keys

TEST_F(ConfirmTest, EscapeDoesNotCloseTheDialog) {
    RegisterViewer();
    const auto dialog = Load();
    dialog->show();
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(dialog.get(), &escape);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(ending_.Status().has_value());
}

TEST_F(ConfirmTest, EnterActsOnTheFocusedButton) {
    const auto dialog = Load();
    dialog->show();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(dialog->Command1[1], &enter);
    EXPECT_EQ(ending_.Status(), 2);
    EXPECT_TRUE(messages_.Texts().empty());
}

TEST_F(ConfirmTest, ClosingThroughTheFrameIsRefusedWhileInstalling) {
    RegisterViewer();
    MakeCabinet(kImages);
    const auto dialog = Load();
    dialog->show();
    bool stillVisible = false;
    WhenLoopRuns([&] {
        dialog->close();
        stillVisible = dialog->isVisible();
    });
    dialog->Installation();
    EXPECT_TRUE(stillVisible);
    EXPECT_EQ(ViewerFiles(), kImages);
}

}  // namespace
}  // namespace vantrel::test
