// The title window and the program's road through it: full screen, the dialog modal and centred
// over it, and the ways the program ends from there.

#include "app/frm_vantrel.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <filesystem>

#include "app/gui_test_support.h"
#include "dialog/frm_confirm.h"
#include "platform/forms/command_button.h"
#include "platform/forms/twips.h"
#include "platform/message_box.h"
#include "support/cab_builder.h"

namespace vantrel::test {
namespace {

namespace fs = std::filesystem;

class TitleWindowTest : public ::testing::Test {
  protected:
    TitleWindowTest() {
        fs::create_directories(prefix_.DriveC() / "Setup");
        fs::create_directories(prefix_.DriveC() / "Viewer");
        prefix_.WriteSystemReg(ViewerRegistration("C:\\Viewer\\ZORVIKViewer.EXE"));
    }

    // Runs the title window's load handler as the runtime does; `inDialog` runs inside the
    // dialog's modal loop.
    void Start(FrmVantrel& title, std::function<void(FrmConfirm&)> inDialog) {
        WhenLoopRuns([&title, inDialog = std::move(inDialog)] {
            auto* dialog = qobject_cast<FrmConfirm*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            ASSERT_EQ(dialog->parentWidget(), &title);
            inDialog(*dialog);
        });
        RunEventHandler([&] { title.Form_Load(); });
    }

    TempPrefix prefix_;
    ScopedProgramFolder folder_{"C:\\Setup"};
    MessageBoxRecorder messages_;
    EndOfProgramRecorder ending_;
};

TEST_F(TitleWindowTest, IsADarkBlueFramelessWindowWithTwoCaptions) {
    FrmVantrel title;
    EXPECT_EQ(title.windowTitle().toStdString(), "Form1");
    EXPECT_TRUE(title.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(title.autoFillBackground());
    EXPECT_EQ(title.palette().color(QPalette::Window), QColor(0, 0, 192));

    const QColor buttonFace = QApplication::palette().color(QPalette::Button);
    const std::vector<std::pair<std::string, QRect>> expected = {
        {"ZORVIK-Viewer", TwipsRect(240, 360, 6735, 975)},
        {"Reference Vantrel", TwipsRect(480, 1560, 11055, 1695)}};
    for (std::size_t i = 0; i < 2; ++i) {
        const QLabel& label = *title.Label1[i];
        EXPECT_EQ(label.text().toStdString(), expected[i].first);
        EXPECT_EQ(label.geometry(), expected[i].second);
        EXPECT_EQ(label.font().family().toStdString(), "Georgia");
        EXPECT_EQ(label.font().pointSize(), 36);
        EXPECT_EQ(label.font().weight(), QFont::Bold);
        EXPECT_TRUE(label.font().italic());
        EXPECT_TRUE(QFontInfo(label.font()).italic());
        EXPECT_EQ(label.palette().color(QPalette::WindowText), buttonFace);
        EXPECT_FALSE(label.autoFillBackground());
    }
    ASSERT_EQ(LogicalDpi(), 96.0);
    EXPECT_EQ(title.Label1[0]->geometry(), QRect(16, 24, 449, 65));
    EXPECT_EQ(title.Label1[1]->geometry(), QRect(32, 104, 737, 113));
}

TEST_F(TitleWindowTest, CoversTheScreenAndShowsTheDialogModallyCentredOverIt) {
    FrmVantrel title;
    QRect titleGeometry, dialogGeometry;
    bool titleVisible = false;
    Qt::WindowModality modality = Qt::NonModal;
    Start(title, [&](FrmConfirm& dialog) {
        titleGeometry = title.geometry();
        titleVisible = title.isVisible();
        dialogGeometry = dialog.frameGeometry();
        modality = dialog.windowModality();
        dialog.close();  // through its frame
    });

    const QRect screen(QPoint(0, 0), QGuiApplication::primaryScreen()->size());
    EXPECT_EQ(titleGeometry, screen);
    EXPECT_TRUE(titleVisible);
    EXPECT_EQ(modality, Qt::ApplicationModal);
    EXPECT_EQ(dialogGeometry.center(), screen.center());

    // Closed through its frame, the dialog leaves the title window up and the program running.
    EXPECT_TRUE(title.isVisible());
    EXPECT_FALSE(ending_.Status().has_value());
    EXPECT_TRUE(messages_.Texts().empty());

    // Closing the title window then ends the program: nothing was installed.
    title.close();
    EXPECT_EQ(ending_.Status(), 2);
    EXPECT_FALSE(title.isVisible());
}

TEST_F(TitleWindowTest, CancelEndsTheProgramAndClosesBothWindows) {
    FrmVantrel title;
    Start(title, [](FrmConfirm& dialog) { dialog.Command1[1]->click(); });
    EXPECT_EQ(ending_.Status(), 2);
    EXPECT_FALSE(title.isVisible());
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
    bool dialogWasGone = false;
    Start(title, [](FrmConfirm& dialog) { dialog.Command1[0]->click(); });
    dialogWasGone = QApplication::activeModalWidget() == nullptr;

    EXPECT_EQ(messages_.Texts(),
              std::vector<std::string>{"Reference Image Installation is finished."});
    EXPECT_EQ(ending_.Status(), 0);
    EXPECT_TRUE(dialogWasGone);
    EXPECT_FALSE(title.isVisible());
    EXPECT_EQ(ListFiles(prefix_.DriveC() / "Viewer"),
              (std::vector<std::string>{"a.jpg", "set1/b.jpg"}));
    EXPECT_EQ(ReadFile(prefix_.DriveC() / "Viewer" / "a.jpg"), "first");
    EXPECT_EQ(ReadFile(prefix_.DriveC() / "Viewer" / "set1" / "b.jpg"), "second");
}

TEST_F(TitleWindowTest, AnErrorWhileTheDialogLoadsIsReported) {
    prefix_.WriteSystemReg(ViewerRegistration("C:\\Gone\\ZORVIKViewer.EXE"));
    FrmVantrel title;
    EXPECT_FALSE(RunEventHandler([&] { title.Form_Load(); }));
    EXPECT_EQ(messages_.Texts(),
              std::vector<std::string>{"Run-time error '76':\n\nPath not found"});
    EXPECT_EQ(ending_.Status(), 1);
    EXPECT_FALSE(title.isVisible());
}

}  // namespace
}  // namespace vantrel::test
