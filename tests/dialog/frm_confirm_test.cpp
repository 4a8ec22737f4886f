// "Confirm" as the user meets it, through the forms' own properties: both states, its design,
// the hidden file list, the installation run and every way the program ends from it.

#include "dialog/frm_confirm.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>

#include "app/gui_test_support.h"
#include "cabinet/cab_file.h"
#include "platform/cursors.h"
#include "platform/forms/runtime.h"
#include "support/cab_builder.h"
#include "support/program_recorders.h"
#include "support/window_design.h"

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

    // Creates the dialog and loads it as the runtime does.
    std::unique_ptr<FrmConfirm> Load() {
        auto dialog = std::make_unique<FrmConfirm>();
        loaded_ = RunEventHandler([&] { dialog->Load(); });
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
    EndOfRunRecorder ending_;
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
    EXPECT_EQ(dialog->Caption(), "Confirm");
    EXPECT_EQ(dialog->Label1.Caption(), "Reference Images must be installed to following folder.");
    EXPECT_EQ(dialog->Label2.Caption(), "This folder can not be changed.");
    EXPECT_EQ(dialog->InstallFolder(), "C:\\Viewer\\");

    EXPECT_TRUE(dialog->Drive1.Visible());
    EXPECT_TRUE(dialog->Dir1.Visible());
    EXPECT_FALSE(dialog->Drive1.Enabled());
    EXPECT_FALSE(dialog->Dir1.Enabled());
    EXPECT_EQ(dialog->Drive1.Drive(), "c:");
    EXPECT_EQ(dialog->Dir1.Path(), "C:\\Viewer");

    EXPECT_TRUE(dialog->Command1[0].Visible());
    EXPECT_EQ(dialog->Command1[0].Caption(), "OK");
    EXPECT_EQ(dialog->Command1[0].ToolTipText(), "Continue installation");
    EXPECT_TRUE(dialog->Command1[1].Visible());
    EXPECT_EQ(dialog->Command1[1].Caption(), "Cancel");
    EXPECT_EQ(dialog->Command1[1].ToolTipText(), "Cancel installation and Quit");

    EXPECT_FALSE(dialog->lvwCabFile.Visible());
    EXPECT_FALSE(dialog->pbrInstall.Visible());
    EXPECT_TRUE(messages_.Texts().empty());
    EXPECT_FALSE(ending_.Status().has_value());
}

TEST_F(ConfirmTest, NotFoundStateSaysSoAndOffersASingleOk) {
    const auto dialog = Load();
    ASSERT_TRUE(loaded_);
    EXPECT_EQ(dialog->Label1.Caption(), "Not found ZORVIKViewer");
    EXPECT_EQ(dialog->Label2.Caption(), "Reference Images can not be installed.");
    EXPECT_EQ(dialog->InstallFolder(), "");
    EXPECT_FALSE(dialog->Drive1.Visible());
    EXPECT_FALSE(dialog->Dir1.Visible());
    EXPECT_FALSE(dialog->Drive1.Enabled());
    EXPECT_FALSE(dialog->Dir1.Enabled());
    EXPECT_FALSE(dialog->Command1[0].Visible());
    EXPECT_TRUE(dialog->Command1[1].Visible());
    EXPECT_EQ(dialog->Command1[1].Caption(), "OK");
    EXPECT_EQ(dialog->Command1[1].ToolTipText(), "Cancel installation and Quit");
    EXPECT_FALSE(dialog->lvwCabFile.Visible());
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
        for (const Label* label : {&dialog->Label1, &dialog->Label2}) {
            EXPECT_GT(TextWidth(label->Font(), label->Caption()), 0.0) << label->Caption();
            EXPECT_LE(TextWidth(label->Font(), label->Caption()), label->Width())
                << label->Caption();
            EXPECT_GE(label->Font().Size, 6.0f);
            EXPECT_EQ(label->Font().Name, "MS Sans Serif");
        }
        EXPECT_EQ(dialog->Label1.Font(), dialog->Label2.Font());
    }
}

TEST_F(ConfirmTest, AFixedDialogOwnedByTheTitleWindow) {
    const auto dialog = Load();
    EXPECT_EQ(dialog->BorderStyle(), kDialog.BorderStyle);
    EXPECT_EQ(dialog->ShowInTaskbar(), kDialog.ShowInTaskbar);
    EXPECT_EQ(dialog->StartUpPosition(), kDialog.StartUpPosition);
    EXPECT_EQ(dialog->ClientWidth(), kDialog.ClientWidth);
    EXPECT_EQ(dialog->ClientHeight(), kDialog.ClientHeight);
    EXPECT_EQ(dialog->Font(), kDialog.Font);
}

// ---- The design in twips, and the tab order

class ConfirmDesignTest : public ConfirmTest,
                          public ::testing::WithParamInterface<DesignedControl> {
  protected:
    static const Control& ControlNamed(const FrmConfirm& dialog, const std::string& name) {
        const std::map<std::string, const Control*> controls = {
            {"Label1", &dialog.Label1},           {"Label2", &dialog.Label2},
            {"Drive1", &dialog.Drive1},           {"Dir1", &dialog.Dir1},
            {"Command1(0)", &dialog.Command1[0]}, {"Command1(1)", &dialog.Command1[1]},
            {"lvwCabFile", &dialog.lvwCabFile},   {"pbrInstall", &dialog.pbrInstall}};
        return *controls.at(name);
    }
};

TEST_P(ConfirmDesignTest, PlacesAndOrdersEveryControl) {
    RegisterViewer();
    const auto dialog = Load();
    const Control& control = ControlNamed(*dialog, GetParam().Name);
    EXPECT_EQ(control.Place(), GetParam().Twips);
    EXPECT_EQ(control.TabIndex(), GetParam().TabIndex);
}

INSTANTIATE_TEST_SUITE_P(Controls, ConfirmDesignTest,
                         ::testing::ValuesIn(DesignedControlsOf("Confirm")),
                         [](const auto& info) { return TestNameOf(info.param); });

// ---- The hidden list

TEST_F(ConfirmTest, ColumnsAreSizedFromTheListsWidth) {
    const auto dialog = Load();
    const ListView& list = dialog->lvwCabFile;
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
    for (const ListItem& item : dialog->lvwCabFile.ListItems()) {
        rows.push_back({item.Text(), item.ToolTipText(), item.SubItems(1), item.SubItems(2),
                        item.SubItems(3), item.SubItems(4), item.SubItems(5), item.Selected()});
    }
    // The general date/time text of the C locale the tests run in.
    const std::vector<Row> expected = {
        {"a.jpg", "a.jpg", "01/01/09 12:00:00", "345", "set1\\", "20090101120000",
         "000000000000000000345", true},
        {"top.txt", "top.txt", "01/01/09 12:00:00", "0", "", "20090101120000",
         "000000000000000000000", false},
        {"c.jpg", "c.jpg", "12/31/16 23:59:58", "1", "set1\\case01\\", "20161231235958",
         "000000000000000000001", false},
    };
    ASSERT_EQ(rows.size(), expected.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_TRUE(rows[i] == expected[i]) << "row " << i << ": " << rows[i].Text << " | "
                                            << rows[i].Modified << " | " << rows[i].Path;
    }
}

// ---- The installation run

bool Overlap(const TwipsRect& a, const TwipsRect& b) {
    return a.Left < b.Left + b.Width && b.Left < a.Left + a.Width && a.Top < b.Top + b.Height &&
           b.Top < a.Top + a.Height;
}

TEST_F(ConfirmTest, OneSelectedRowMakesOneExtractionPassWhileTheProgressShows) {
    RegisterViewer();
    MakeCabinet(kImages);
    const auto dialog = Load();
    dialog->Show();

    int written = 0;
    bool progressShown = false;
    std::vector<const Control*> overlapped;
    WhenLoopRuns([&] {
        // The installation lets the window system's events through: this runs inside it.
        const auto cab = dialog->Cab();
        ASSERT_NE(cab, nullptr);
        cab->AfterExtract = [&written, inner = cab->AfterExtract](const std::string& file) {
            ++written;
            inner(file);
        };
        progressShown = dialog->Visible() && dialog->pbrInstall.Visible();
        const std::vector<const Control*> controls = {&dialog->Label1,      &dialog->Label2,
                                                      &dialog->Drive1,      &dialog->Dir1,
                                                      &dialog->Command1[0], &dialog->Command1[1]};
        for (const Control* control : controls) {
            if (control->Visible() && Overlap(control->Place(), dialog->pbrInstall.Place())) {
                overlapped.push_back(control);
            }
        }
        dialog->Command1[1].Click();  // not acted on while the run goes on
    });
    const InstallationOutcome outcome = dialog->Installation();

    EXPECT_TRUE(outcome.Listed);
    EXPECT_EQ(written, 3);
    EXPECT_EQ(ViewerFiles(), kImages);
    EXPECT_TRUE(progressShown);
    EXPECT_TRUE(overlapped.empty());
    EXPECT_FALSE(dialog->pbrInstall.Visible());
    EXPECT_EQ(dialog->pbrInstall.Value(), 3);
    EXPECT_EQ(dialog->pbrInstall.Max(), 3);
    EXPECT_FALSE(ending_.Status().has_value());
    EXPECT_TRUE(messages_.Texts().empty());
}

TEST_F(ConfirmTest, AnEmptyCabinetMakesNoPass) {
    RegisterViewer();
    WriteFile(Cabinet(), BuildStoredCab({}));
    const auto dialog = Load();
    EXPECT_TRUE(dialog->Installation().Listed);
    EXPECT_TRUE(dialog->lvwCabFile.ListItems().empty());
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
    dialog->Show();
    ASSERT_TRUE(dialog->Command1[flow.Button].Visible());

    dialog->Command1[flow.Button].Click();

    EXPECT_EQ(messages_.Texts(), flow.Messages);
    EXPECT_EQ(ending_.Status(), flow.Status);
    EXPECT_FALSE(dialog->Visible());
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
    const HCURSOR wait = LoadCursorA(nullptr, IDC_WAIT);
    std::vector<std::pair<std::string, bool>> shown;  // text, waiting
    {
        const ProgramRun watching(WithMessageBoxes(
            [&](const std::string& text) { shown.emplace_back(text, GetCursor() == wait); }));
        const auto dialog = Load();
        dialog->Command1[0].Click();
    }
    EXPECT_EQ(shown, (std::vector<std::pair<std::string, bool>>{{"Error22", true},
                                                                {"GetInfo Error", true}}));
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_EQ(ending_.Status(), 1);

    MakeCabinet(kImages);
    shown.clear();
    EndOfRunRecorder second;
    {
        const ProgramRun watching(WithMessageBoxes([&](const std::string& text) {
            shown.emplace_back(text, GetCursor() != LoadCursorA(nullptr, IDC_ARROW));
        }));
        Load()->Command1[0].Click();
    }
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
    dialog->Command1[0].Click();
    ASSERT_EQ(messages_.Texts().size(), 1u);
    EXPECT_TRUE(messages_.Texts()[0].starts_with("Run-time error '9':\n\n"))
        << messages_.Texts()[0];
    EXPECT_EQ(ending_.Status(), 1);
    EXPECT_EQ(ViewerFiles(), (FileSet{{"first.txt", "1"}}));
}

// ---- Closing through the frame

TEST_F(ConfirmTest, ClosingThroughTheFrameEndsTheProgramButNotWhileInstalling) {
    RegisterViewer();
    MakeCabinet(kImages);
    const auto dialog = Load();
    dialog->Show();
    bool refused = false;
    WhenLoopRuns([&] {
        refused = !dialog->Unload();
        refused = refused && dialog->Visible();
    });
    dialog->Installation();
    EXPECT_TRUE(refused);
    EXPECT_EQ(ViewerFiles(), kImages);

    EXPECT_TRUE(dialog->Unload());
    EXPECT_FALSE(dialog->Visible());
    EXPECT_EQ(ending_.Status(), 2);
}

}  // namespace
}  // namespace vantrel::test
