// The title window and the program's road through it, through the forms' own properties: full
// screen, the dialog modal over it, and the ways the program ends from there.

#include "app/frm_vantrel.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/gui_test_support.h"
#include "dialog/frm_confirm.h"
#include "platform/forms/runtime.h"
#include "support/cab_builder.h"
#include "support/program_recorders.h"
#include "support/window_design.h"

namespace vantrel::test {
namespace {

namespace fs = std::filesystem;

// The dialog shown modally right now, if any.
FrmConfirm* ModalDialog() {
    for (Form* form : Forms()) {
        if (auto* dialog = dynamic_cast<FrmConfirm*>(form); dialog && dialog->ShownModal()) {
            return dialog;
        }
    }
    return nullptr;
}

class TitleWindowTest : public ::testing::Test {
  protected:
    TitleWindowTest() {
        fs::create_directories(prefix_.DriveC() / "Setup");
        fs::create_directories(prefix_.DriveC() / "Viewer");
        prefix_.WriteSystemReg(ViewerRegistration("C:\\Viewer\\ZORVIKViewer.EXE"));
    }

    // Loads the title window as the runtime does; `inDialog` runs inside the dialog's modal
    // show.
    void Start(FrmVantrel& title, std::function<void(FrmConfirm&)> inDialog) {
        WhenLoopRuns([&title, inDialog = std::move(inDialog)] {
            FrmConfirm* dialog = ModalDialog();
            ASSERT_NE(dialog, nullptr);
            ASSERT_EQ(dialog->Owner(), &title);
            inDialog(*dialog);
        });
        RunEventHandler([&] { title.Load(); });
    }

    TempPrefix prefix_;
    ScopedProgramFolder folder_{"C:\\Setup"};
    MessageBoxRecorder messages_;
    EndOfRunRecorder ending_;
};

TEST_F(TitleWindowTest, IsADarkBlueBorderlessWindowWithTwoCaptions) {
    const FrmVantrel title;
    EXPECT_EQ(title.Caption(), kTitle.Caption);
    EXPECT_EQ(title.BorderStyle(), kTitle.BorderStyle);
    EXPECT_EQ(title.ShowInTaskbar(), kTitle.ShowInTaskbar);
    EXPECT_EQ(title.StartUpPosition(), kTitle.StartUpPosition);
    EXPECT_EQ(title.BackColor(), kTitle.BackColor);
    EXPECT_EQ(title.ClientWidth(), kTitle.ClientWidth);
    EXPECT_EQ(title.ClientHeight(), kTitle.ClientHeight);

    const std::vector<std::pair<std::string, DesignedControl>> expected = {
        {"ZORVIK-Viewer", Designed("Title", "Label1(0)")},
        {"Reference Vantrel", Designed("Title", "Label1(1)")}};
    for (std::size_t i = 0; i < 2; ++i) {
        const Label& label = title.Label1[i];
        EXPECT_EQ(label.Caption(), expected[i].first);
        EXPECT_EQ(label.Place(), expected[i].second.Twips);
        EXPECT_EQ(label.TabIndex(), expected[i].second.TabIndex);
        EXPECT_EQ(label.Font(), (StdFont{"Georgia", 36, true, true}));
        EXPECT_EQ(label.ForeColor(), kButtonFace);
        EXPECT_EQ(label.BackStyle(), Background::Transparent);
    }
}

TEST_F(TitleWindowTest, CoversTheScreenAndShowsTheDialogModallyOverIt) {
    FrmVantrel title;
    TwipsRect titlePlace;
    bool titleVisible = false;
    bool dialogVisible = false;
    StartPosition dialogStart = StartPosition::WindowsDefault;
    Start(title, [&](FrmConfirm& dialog) {
        titlePlace = {title.Left(), title.Top(), title.ClientWidth(), title.ClientHeight()};
        titleVisible = title.Visible();
        dialogVisible = dialog.Visible();
        dialogStart = dialog.StartUpPosition();
        EXPECT_TRUE(dialog.Unload());  // through its frame
    });

    EXPECT_GT(ScreenWidth(), 0.0f);
    EXPECT_EQ(titlePlace, (TwipsRect{0, 0, ScreenWidth(), ScreenHeight()}));
    EXPECT_TRUE(titleVisible);
    EXPECT_TRUE(dialogVisible);
    EXPECT_EQ(dialogStart, StartPosition::CenterOwner);
    EXPECT_EQ(ModalDialog(), nullptr);

    // Closed through its frame, the dialog ends the program as "Cancel" does: no window stays.
    EXPECT_EQ(ending_.Status(), 2);
    EXPECT_FALSE(title.Visible());
    EXPECT_TRUE(messages_.Texts().empty());
}

TEST_F(TitleWindowTest, CancelEndsTheProgramAndClosesBothWindows) {
    FrmVantrel title;
    Start(title, [](FrmConfirm& dialog) { dialog.Command1[1].Click(); });
    EXPECT_EQ(ending_.Status(), 2);
    EXPECT_FALSE(title.Visible());
    EXPECT_TRUE(messages_.Texts().empty());
    EXPECT_TRUE(ListFiles(prefix_.DriveC() / "Viewer").empty());
}

TEST_F(TitleWindowTest, OkInstallsTheImagesAndEndsTheProgram) {
    TempDir source;
    fs::create_directories(source.Path() / "set1");
    WriteFile(source.Path() / "a.jpg", "first");
    WriteFile(source.Path() / "set1" / "b.jpg", "second");
    MakeCabWithGcab(prefix_.DriveC() / "Setup" / "Images.cab", source.Path(), true);

    FrmVantrel title;
    Start(title, [](FrmConfirm& dialog) { dialog.Command1[0].Click(); });
    const bool dialogWasGone = ModalDialog() == nullptr;

    EXPECT_EQ(messages_.Texts(),
              std::vector<std::string>{"Reference Image Installation is finished."});
    EXPECT_EQ(ending_.Status(), 0);
    EXPECT_TRUE(dialogWasGone);
    EXPECT_FALSE(title.Visible());
    EXPECT_EQ(ListFiles(prefix_.DriveC() / "Viewer"),
              (std::vector<std::string>{"a.jpg", "set1/b.jpg"}));
    EXPECT_EQ(ReadFile(prefix_.DriveC() / "Viewer" / "a.jpg"), "first");
    EXPECT_EQ(ReadFile(prefix_.DriveC() / "Viewer" / "set1" / "b.jpg"), "second");
}

TEST_F(TitleWindowTest, AnErrorWhileTheDialogLoadsIsReported) {
    prefix_.WriteSystemReg(ViewerRegistration("C:\\Gone\\ZORVIKViewer.EXE"));
    FrmVantrel title;
    EXPECT_FALSE(RunEventHandler([&] { title.Load(); }));
    EXPECT_EQ(messages_.Texts(),
              std::vector<std::string>{"Run-time error '76':\n\nPath not found"});
    EXPECT_EQ(ending_.Status(), 1);
    EXPECT_FALSE(title.Visible());
}

}  // namespace
}  // namespace vantrel::test
