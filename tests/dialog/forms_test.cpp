// The forms layer the two windows stand on: twips, the drive and folder lists, the hidden list
// view, cursors, message boxes and the runtime's end of program and error report.

#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QWidget>
#include <filesystem>
#include <stdexcept>

#include "app/gui_test_support.h"
#include "platform/posix/files/drives.h"
#include "platform/forms/command_button.h"
#include "platform/forms/cursors.h"
#include "platform/forms/dir_list_box.h"
#include "platform/forms/drive_list_box.h"
#include "platform/forms/list_view.h"
#include "platform/forms/message_box_window.h"
#include "platform/forms/program.h"
#include "platform/forms/twips.h"
#include "platform/message_box.h"
#include "shared/raised_error.h"
#include "support/raised_by.h"

namespace vantrel::test {
namespace {

namespace fs = std::filesystem;

// ---- Twips

struct TwipsCase {
    double Twips;
    double Dpi;
    int Pixels;
};

class TwipsToPixelsTest : public ::testing::TestWithParam<TwipsCase> {};

TEST_P(TwipsToPixelsTest, ConvertsAtTheScreensResolution) {
    EXPECT_EQ(TwipsToPixels(GetParam().Twips, GetParam().Dpi), GetParam().Pixels);
}

INSTANTIATE_TEST_SUITE_P(Resolutions, TwipsToPixelsTest,
                         ::testing::Values(TwipsCase{120, 96, 8}, TwipsCase{4455, 96, 297},
                                           TwipsCase{15, 96, 1}, TwipsCase{7.5, 96, 1},
                                           TwipsCase{1440, 120, 120}, TwipsCase{3090, 120, 258},
                                           TwipsCase{4680, 144, 468}, TwipsCase{0, 96, 0}));

// ---- Drive and folder lists

class CurrentFolder {
  public:
    explicit CurrentFolder(const fs::path& folder) : previous_(fs::current_path()) {
        fs::current_path(folder);
    }
    ~CurrentFolder() { fs::current_path(previous_); }

  private:
    fs::path previous_;
};

class FolderListsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        prefix_.MapDrive('d', other_.Path());
        fs::create_directories(prefix_.DriveC() / "Program Files" / "Viewer" / "b");
        fs::create_directories(prefix_.DriveC() / "Program Files" / "Viewer" / "A");
        fs::create_directories(prefix_.DriveC() / "Program Files" / "Viewer" / ".cache");
        WriteFile(prefix_.DriveC() / "Program Files" / "Viewer" / "x.txt", "x");
    }

    TempPrefix prefix_;
    TempDir other_;
};

TEST_F(FolderListsTest, DriveListOffersTheMappedDrivesAndStartsOnTheCurrentOne) {
    const CurrentFolder current(prefix_.DriveC() / "Program Files");
    DriveListBox drives;
    std::vector<std::string> shown;
    for (int i = 0; i < drives.count(); ++i) {
        shown.push_back(drives.itemText(i).toStdString());
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"c:", "d:", "z:"}));
    EXPECT_EQ(drives.Drive(), "c:");
}

TEST_F(FolderListsTest, DriveListTakesTheDriveFromTheFirstCharacter) {
    DriveListBox drives;
    drives.SetDrive("D:\\Somewhere\\");
    EXPECT_EQ(drives.Drive(), "d:");
    drives.SetDrive("c");
    EXPECT_EQ(drives.Drive(), "c:");
    drives.SetDrive("");
    EXPECT_EQ(drives.Drive(), "c:");
}

class UnavailableDriveTest : public FolderListsTest,
                             public ::testing::WithParamInterface<std::string> {};

TEST_P(UnavailableDriveTest, RaisesDeviceUnavailable) {
    DriveListBox drives;
    drives.SetDrive("c");
    const RaisedError error = RaisedBy([&] { drives.SetDrive(GetParam()); });
    EXPECT_EQ(error.Number, 68);
    EXPECT_EQ(error.Description, "Device unavailable");
    EXPECT_EQ(drives.Drive(), "c:");
}

INSTANTIATE_TEST_SUITE_P(Drives, UnavailableDriveTest,
                         ::testing::Values("Q:\\Viewer\\", "q", "\"C:\\Viewer\\\"", "\\\\server"));

TEST_F(FolderListsTest, FolderListShowsThePathFromTheRootDownAndTheFoldersUnderIt) {
    DirListBox folders;
    folders.SetPath("C:\\program files\\VIEWER\\");
    EXPECT_EQ(folders.Path(), "C:\\Program Files\\Viewer");
    using Row = DirListBox::Row;
    EXPECT_EQ(folders.Rows(), (std::vector<Row>{{"c:\\", 0, true},
                                                {"Program Files", 1, true},
                                                {"Viewer", 2, true},
                                                {"A", 3, false},
                                                {"b", 3, false}}));
    ASSERT_NE(folders.currentItem(), nullptr);
    EXPECT_EQ(folders.currentItem()->text(0).toStdString(), "Viewer");
}

TEST_F(FolderListsTest, FolderListAtADrivesRoot) {
    DirListBox folders;
    folders.SetPath("C:\\");
    EXPECT_EQ(folders.Path(), "C:\\");
    using Row = DirListBox::Row;
    EXPECT_EQ(folders.Rows(), (std::vector<Row>{{"c:\\", 0, true}, {"Program Files", 1, false}}));
}

TEST_F(FolderListsTest, FolderListStartsOnTheCurrentFolder) {
    const CurrentFolder current(prefix_.DriveC() / "Program Files");
    DirListBox folders;
    EXPECT_EQ(folders.Path(), "C:\\Program Files");
}

class MissingFolderTest : public FolderListsTest,
                          public ::testing::WithParamInterface<std::string> {};

TEST_P(MissingFolderTest, RaisesPathNotFoundAndKeepsWhatItShows) {
    DirListBox folders;
    folders.SetPath("C:\\Program Files");
    const auto rows = folders.Rows();
    const RaisedError error = RaisedBy([&] { folders.SetPath(GetParam()); });
    EXPECT_EQ(error.Number, 76);
    EXPECT_EQ(error.Description, "Path not found");
    EXPECT_EQ(folders.Path(), "C:\\Program Files");
    EXPECT_EQ(folders.Rows(), rows);
}

INSTANTIATE_TEST_SUITE_P(Folders, MissingFolderTest,
                         ::testing::Values("C:\\Missing\\", "C:\\Program Files\\Viewer\\x.txt",
                                           "Q:\\Viewer\\", "C:\\a|b\\"));

// ---- The list view stand-in

class ListViewTest : public ::testing::Test {
  protected:
    ListViewTest() {
        list_.AddColumnHeader("Name", "Name", 1440, ColumnAlignment::Left);
        list_.AddColumnHeader("Size", "Size", 1440, ColumnAlignment::Right);
        list_.AddColumnHeader("Path", "Path", 1840, ColumnAlignment::Left);
    }
    ListView list_;
};

TEST_F(ListViewTest, FirstRowAddedToAnEmptyListIsTheSelectedOne) {
    EXPECT_TRUE(list_.ListItems().empty());
    list_.AddListItem("a");
    list_.AddListItem("b");
    list_.AddListItem("c");
    ASSERT_EQ(list_.ListItems().size(), 3u);
    EXPECT_TRUE(list_.ListItems()[0].Selected());
    EXPECT_FALSE(list_.ListItems()[1].Selected());
    EXPECT_FALSE(list_.ListItems()[2].Selected());
}

TEST_F(ListViewTest, SelectingARowClearsTheOthers) {
    list_.AddListItem("a");
    list_.AddListItem("b");
    list_.SetSelected(1, true);
    EXPECT_FALSE(list_.ListItems()[0].Selected());
    EXPECT_TRUE(list_.ListItems()[1].Selected());
    EXPECT_EQ(RaisedBy([&] { list_.SetSelected(2, true); }).Number, 35600);
}

TEST_F(ListViewTest, ColumnsAreFoundByKey) {
    list_.ColumnHeaders("Size").Width = 272.25f;
    EXPECT_EQ(list_.ColumnHeaders()[1].Width, 272.25f);
    EXPECT_EQ(list_.ColumnHeaders()[1].Alignment, ColumnAlignment::Right);
    const RaisedError error = RaisedBy([&] { list_.ColumnHeaders("Modified"); });
    EXPECT_EQ(error.Number, 35601);
    EXPECT_EQ(error.Description, "Element not found");
}

TEST_F(ListViewTest, SubItemsFollowTheColumns) {
    ListItem& item = list_.AddListItem("a.jpg");
    item.SetSubItems(2, "set1\\");
    item.SetToolTipText("a.jpg");
    EXPECT_EQ(item.SubItems(1), "");
    EXPECT_EQ(item.SubItems(2), "set1\\");
    EXPECT_EQ(item.ToolTipText(), "a.jpg");
    for (int index : {0, 3, -1}) {
        const RaisedError error = RaisedBy([&] { item.SetSubItems(index, "x"); });
        EXPECT_EQ(error.Number, 380) << index;
        EXPECT_EQ(error.Description, "Invalid property value");
    }
}

TEST_F(ListViewTest, KeepsItsPositionInTwips) {
    list_.Move(120, 2400, 1815, 615);
    list_.SetLeft(0);
    EXPECT_EQ(list_.Left(), 0.0f);
    EXPECT_EQ(list_.Width(), 1815.0f);
    const double dpi = LogicalDpi();
    EXPECT_EQ(list_.geometry(), QRect(0, TwipsToPixels(2400, dpi), TwipsToPixels(1815, dpi),
                                      TwipsToPixels(615, dpi)));
}

// ---- Cursors

TEST(CursorsTest, SystemCursorsByNumber) {
    EXPECT_NE(LoadCursorA(nullptr, IDC_WAIT), nullptr);
    EXPECT_NE(LoadCursorA(nullptr, IDC_ARROW), nullptr);
    EXPECT_NE(LoadCursorA(nullptr, IDC_WAIT), LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_EQ(LoadCursorA(nullptr, 12345), nullptr);
    int module = 0;
    EXPECT_EQ(LoadCursorA(&module, IDC_WAIT), nullptr);
}

TEST(CursorsTest, WaitCursorStaysUntilTheArrowIsSet) {
    const HCURSOR wait = LoadCursorA(nullptr, IDC_WAIT);
    const HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    SetCursor(wait);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    EXPECT_EQ(SetCursor(arrow), wait);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(SetCursor(arrow), arrow);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

// ---- Command buttons

struct KeyCase {
    Qt::Key Key;
    Qt::KeyboardModifiers Modifiers;
    bool Clicks;
};

class CommandButtonKeyTest : public ::testing::TestWithParam<KeyCase> {};

TEST_P(CommandButtonKeyTest, ActsOnSpaceAndEnterOnly) {
    QWidget window;
    CommandButton button(&window);
    int clicks = 0;
    QObject::connect(&button, &QPushButton::clicked, [&] { ++clicks; });
    EXPECT_FALSE(button.isDefault());
    EXPECT_FALSE(button.autoDefault());

    QKeyEvent press(QEvent::KeyPress, GetParam().Key, GetParam().Modifiers);
    QKeyEvent release(QEvent::KeyRelease, GetParam().Key, GetParam().Modifiers);
    QApplication::sendEvent(&button, &press);
    QApplication::sendEvent(&button, &release);
    EXPECT_EQ(clicks, GetParam().Clicks ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Keys, CommandButtonKeyTest,
                         ::testing::Values(KeyCase{Qt::Key_Return, Qt::NoModifier, true},
                                           KeyCase{Qt::Key_Enter, Qt::KeypadModifier, true},
                                           KeyCase{Qt::Key_Space, Qt::NoModifier, true},
                                           KeyCase{Qt::Key_Escape, Qt::NoModifier, false},
                                           KeyCase{Qt::Key_Return, Qt::AltModifier, false},
                                           KeyCase{Qt::Key_A, Qt::NoModifier, false}));

// ---- Message boxes, end of program, unhandled errors

TEST(WindowedMessageBoxTest, ShowsTheTextWithOneOkButtonUnderTheApplicationTitle) {
    UseWindowedMessageBoxes();
    std::string title, text;
    std::vector<std::string> buttons;
    WhenLoopRuns([&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        title = box->windowTitle().toStdString();
        text = box->text().toStdString();
        for (QAbstractButton* button : box->buttons()) {
            buttons.push_back(button->text().remove('&').toStdString());
        }
        box->buttons().front()->click();
    });
    MsgBox("Reference Image Installation is finished.");
    SetMessageBoxPresenter(nullptr);
    EXPECT_EQ(title, "Vantrel");
    EXPECT_EQ(text, "Reference Image Installation is finished.");
    EXPECT_EQ(buttons, std::vector<std::string>{"OK"});
}

struct ReportCase {
    std::int32_t Number;
    std::string Description;
    std::string Text;
};

class UnhandledErrorTextTest : public ::testing::TestWithParam<ReportCase> {};

TEST_P(UnhandledErrorTextTest, NamesTheNumberAndTheDescription) {
    const RaisedError error(GetParam().Number, "CabFile", GetParam().Description);
    EXPECT_EQ(UnhandledErrorText(error), GetParam().Text);
}

INSTANTIATE_TEST_SUITE_P(
    Errors, UnhandledErrorTextTest,
    ::testing::Values(ReportCase{76, "Path not found", "Run-time error '76':\n\nPath not found"},
                      ReportCase{112, "There is not enough space on the disk.",
                                 "Run-time error '112':\n\nThere is not enough space on the disk."},
                      ReportCase{
                          -2147219548, "You must set the CabName property.",
                          "Run-time error '-2147219548 (800407a4)':\n\nYou must set the CabName "
                          "property."}));

class EventHandlerTest : public ::testing::Test {
  protected:
    MessageBoxRecorder messages_;
    EndOfProgramRecorder ending_;
};

TEST_F(EventHandlerTest, AHandlerThatReturnsLeavesTheProgramRunning) {
    bool ran = false;
    EXPECT_TRUE(RunEventHandler([&] { ran = true; }));
    EXPECT_TRUE(ran);
    EXPECT_FALSE(ending_.Status().has_value());
    EXPECT_TRUE(messages_.Texts().empty());
}

TEST_F(EventHandlerTest, AnErrorEscapingAHandlerIsReportedAndEndsTheProgram) {
    bool after = false;
    EXPECT_FALSE(RunEventHandler([&] {
        throw RaisedError(76, "Vantrel", "Path not found");
        after = true;
    }));
    EXPECT_FALSE(after);
    EXPECT_EQ(messages_.Texts(),
              std::vector<std::string>{"Run-time error '76':\n\nPath not found"});
    EXPECT_EQ(ending_.Status(), 1);
}

TEST_F(EventHandlerTest, AnyOtherExceptionIsReportedToo) {
    EXPECT_FALSE(RunEventHandler([] { throw std::runtime_error("broken"); }));
    ASSERT_EQ(messages_.Texts().size(), 1u);
    EXPECT_EQ(messages_.Texts()[0], "Run-time error '51':\n\nInternal error: broken");
    EXPECT_EQ(ending_.Status(), 1);
}

TEST_F(EventHandlerTest, EndingTheProgramClosesEveryWindowAndRunsNothingAfter) {
    QWidget first, second;
    first.show();
    second.show();
    bool after = false;
    EXPECT_FALSE(RunEventHandler([&] {
        EndProgram(kExitNotInstalled);
        after = true;
    }));
    EXPECT_FALSE(after);
    EXPECT_EQ(ending_.Status(), 2);
    EXPECT_FALSE(first.isVisible());
    EXPECT_FALSE(second.isVisible());
    EXPECT_TRUE(messages_.Texts().empty());
}

// ---- The program's folder

TEST(ProgramFolderTest, IsTheExecutablesFolderThroughTheDrives) {
    TempPrefix prefix;
    const auto expected = ToWindowsPath(QCoreApplication::applicationDirPath().toStdString());
    ASSERT_TRUE(expected.has_value());
    EXPECT_EQ(ProgramFolder(), *expected);
    EXPECT_EQ(ProgramFolder().substr(0, 3), "Z:\\");
}

TEST(ProgramFolderTest, NoDriveHoldingItIsPathNotFound) {
    TempPrefix prefix;
    fs::remove(prefix.Path() / "dosdevices" / "z:");
    const RaisedError error = RaisedBy([] { ProgramFolder(); });
    EXPECT_EQ(error.Number, 76);
    EXPECT_EQ(error.Description, "Path not found");
}

TEST(ProgramFolderTest, CanBePointedElsewhere) {
    {
        const ScopedProgramFolder folder("C:\\Setup");
        EXPECT_EQ(ProgramFolder(), "C:\\Setup");
    }
    TempPrefix prefix;
    EXPECT_EQ(ProgramFolder().substr(0, 3), "Z:\\");
}

}  // namespace
}  // namespace vantrel::test
