// The controls' own rules, kept by the runtime whatever shows them: twips, the drive and folder
// lists, the list view, the progress bar and the command buttons. No window system runs here.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "platform/file_system.h"
#include "platform/forms/command_button.h"
#include "platform/forms/dir_list_box.h"
#include "platform/forms/drive_list_box.h"
#include "platform/forms/label.h"
#include "platform/forms/list_view.h"
#include "platform/forms/progress_bar.h"
#include "platform/forms/twips.h"
#include "shared/raised_error.h"
#include "support/program_recorders.h"
#include "support/raised_by.h"
#include "support/scratch_folder.h"
#include "support/temp_dir.h"

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

TEST(TwipsTest, PixelsBackToTwips) {
    EXPECT_EQ(PixelsToTwips(1024, 96), 15360.0);
    EXPECT_EQ(PixelsToTwips(120, 120), 1440.0);
}

// ---- Controls on a form

class ControlTest : public ::testing::Test {
  protected:
    Form form_{{.Caption = "Form", .Font = {"Georgia", 12, true, false}}};
};

TEST_F(ControlTest, ControlsTakeTheFormsFontAndTheirTabIndexInTheOrderTheyAreCreated) {
    Label first(form_);
    CommandButton second(form_, 0);
    ListView third(form_);
    EXPECT_EQ(first.TabIndex(), 0);
    EXPECT_EQ(second.TabIndex(), 1);
    EXPECT_EQ(third.TabIndex(), 2);
    EXPECT_EQ(second.Font(), (StdFont{"Georgia", 12, true, false}));
    EXPECT_TRUE(first.Visible());
    EXPECT_TRUE(first.Enabled());
    EXPECT_EQ(&third.Parent(), &form_);
}

class CommandButtonTest : public ControlTest {
  protected:
    MessageBoxRecorder messages_;
    EndOfProgramRecorder ending_;
};

TEST_F(CommandButtonTest, AClickRunsTheArraysHandlerWithTheButtonsIndex) {
    CommandButton first(form_, 0);
    CommandButton second(form_, 1);
    std::vector<std::int16_t> clicked;
    for (CommandButton* button : {&first, &second}) {
        button->SetClickHandler([&](std::int16_t Index) { clicked.push_back(Index); });
    }
    second.Click();
    first.Click();
    second.SetEnabled(false);
    second.Click();
    EXPECT_EQ(clicked, (std::vector<std::int16_t>{1, 0}));
    EXPECT_FALSE(ending_.Status().has_value());
}

TEST_F(CommandButtonTest, AnErrorEscapingTheHandlerIsReported) {
    CommandButton button(form_, 0);
    button.SetClickHandler([](std::int16_t) { throw RaisedError(9, "CabFile", "Subscript"); });
    button.Click();
    EXPECT_EQ(messages_.Texts(), std::vector<std::string>{"Run-time error '9':\n\nSubscript"});
    EXPECT_EQ(ending_.Status(), 1);
}

// ---- Drive and folder lists

// The scratch folder holds "Program Files\Viewer" with two folders, a hidden one and a file.
class FolderListsTest : public ControlTest {
  protected:
    void SetUp() override {
        fs::create_directories(scratch_.Host("Program Files/Viewer/b"));
        fs::create_directories(scratch_.Host("Program Files/Viewer/A"));
        scratch_.MakeHiddenFolder("Program Files/Viewer/cache");
        WriteFile(scratch_.Host("Program Files/Viewer/x.txt"), "x");
    }

    // The drive letters as the drive list shows them: "c:", ...
    static std::vector<std::string> ShownDrives() {
        std::vector<std::string> shown;
        for (const char letter : DriveLetters()) {
            shown.push_back({static_cast<char>(std::tolower(letter)), ':'});
        }
        return shown;
    }
    std::string ScratchDrive() const {
        return {static_cast<char>(std::tolower(scratch_.WindowsPath()[0])), ':'};
    }

    // The open rows of a folder list showing `windowsPath`: the drive's root, then each folder
    // on the way down, one level deeper each.
    static std::vector<DirListBox::Row> RowsDownTo(const std::string& windowsPath) {
        std::vector<DirListBox::Row> rows = {
            {std::string{static_cast<char>(std::tolower(windowsPath[0])), ':', '\\'}, 0, true}};
        std::size_t start = 3;
        while (start < windowsPath.size()) {
            const std::size_t end = std::min(windowsPath.find('\\', start), windowsPath.size());
            rows.push_back(
                {windowsPath.substr(start, end - start), static_cast<int>(rows.size()), true});
            start = end + 1;
        }
        return rows;
    }

    ScratchFolder scratch_;
};

TEST_F(FolderListsTest, DriveListOffersTheDrivesAndStartsOnTheCurrentOne) {
    const ScopedCurrentFolder current(scratch_.Host("Program Files"));
    DriveListBox drives(form_);
    const auto shown = ShownDrives();
    EXPECT_EQ(drives.List(), shown);
    EXPECT_EQ(drives.Drive(), ScratchDrive());
    ASSERT_GE(drives.ListIndex(), 0);
    EXPECT_EQ(shown[static_cast<std::size_t>(drives.ListIndex())], ScratchDrive());
}

TEST_F(FolderListsTest, DriveListTakesTheDriveFromTheFirstCharacter) {
    const auto shown = ShownDrives();
    ASSERT_GE(shown.size(), 2u);
    const std::string last = shown.back();
    DriveListBox drives(form_);
    drives.SetDrive(std::string(1, static_cast<char>(std::toupper(last[0]))) + ":\\Somewhere\\");
    EXPECT_EQ(drives.Drive(), last);
    EXPECT_EQ(drives.ListIndex(), static_cast<int>(shown.size() - 1));
    drives.SetDrive(shown.front().substr(0, 1));
    EXPECT_EQ(drives.Drive(), shown.front());
    drives.SetDrive("");
    EXPECT_EQ(drives.Drive(), shown.front());
}

class UnavailableDriveTest : public FolderListsTest,
                             public ::testing::WithParamInterface<std::string> {};

TEST_P(UnavailableDriveTest, RaisesDeviceUnavailable) {
    DriveListBox drives(form_);
    drives.SetDrive(ScratchDrive());
    const RaisedError error = RaisedBy([&] { drives.SetDrive(scratch_.Resolved(GetParam())); });
    EXPECT_EQ(error.Number, 68);
    EXPECT_EQ(error.Description, "Device unavailable");
    EXPECT_EQ(drives.Drive(), ScratchDrive());
}

INSTANTIATE_TEST_SUITE_P(Drives, UnavailableDriveTest,
                         ::testing::Values("Q:\\Viewer\\", "Q:", "\"C:\\Viewer\\\"", "\\\\server"));

TEST_F(FolderListsTest, FolderListShowsThePathFromTheRootDownAndTheFoldersUnderIt) {
    DirListBox folders(form_);
    folders.SetPath(scratch_.Windows("program files\\VIEWER\\"));
    const std::string viewer = scratch_.Windows("Program Files\\Viewer");
    EXPECT_EQ(folders.Path(), viewer);
    auto rows = RowsDownTo(viewer);
    const int depth = static_cast<int>(rows.size());
    rows.push_back({"A", depth, false});
    rows.push_back({"b", depth, false});
    EXPECT_EQ(folders.Rows(), rows);
    EXPECT_EQ(folders.ListIndex(), depth - 1);
}

TEST_F(FolderListsTest, FolderListAtADrivesRoot) {
    const std::string root = scratch_.WindowsPath().substr(0, 3);
    DirListBox folders(form_);
    folders.SetPath(root);
    EXPECT_EQ(folders.Path(), root);
    auto rows = RowsDownTo(root);
    for (const auto& name : SubFolders(root)) {
        rows.push_back({name, 1, false});
    }
    EXPECT_GE(rows.size(), 2u);
    EXPECT_EQ(folders.Rows(), rows);
    EXPECT_EQ(folders.ListIndex(), 0);
}

TEST_F(FolderListsTest, FolderListStartsOnTheCurrentFolder) {
    const ScopedCurrentFolder current(scratch_.Host("Program Files"));
    DirListBox folders(form_);
    EXPECT_EQ(folders.Path(), scratch_.Windows("Program Files"));
}

class MissingFolderTest : public FolderListsTest,
                          public ::testing::WithParamInterface<std::string> {};

TEST_P(MissingFolderTest, RaisesPathNotFoundAndKeepsWhatItShows) {
    DirListBox folders(form_);
    folders.SetPath(scratch_.Windows("Program Files"));
    const auto rows = folders.Rows();
    const RaisedError error = RaisedBy([&] { folders.SetPath(scratch_.Resolved(GetParam())); });
    EXPECT_EQ(error.Number, 76);
    EXPECT_EQ(error.Description, "Path not found");
    EXPECT_EQ(folders.Path(), scratch_.Windows("Program Files"));
    EXPECT_EQ(folders.Rows(), rows);
}

INSTANTIATE_TEST_SUITE_P(Folders, MissingFolderTest,
                         ::testing::Values("~\\Missing\\", "~\\Program Files\\Viewer\\x.txt",
                                           "Q:\\Viewer\\", "~\\a|b\\"));

// ---- The list view

class ListViewTest : public ControlTest {
  protected:
    ListViewTest() {
        list_.AddColumnHeader("Name", "Name", 1440, ColumnAlignment::Left);
        list_.AddColumnHeader("Size", "Size", 1440, ColumnAlignment::Right);
        list_.AddColumnHeader("Path", "Path", 1840, ColumnAlignment::Left);
    }
    ListView list_{form_};
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
    const RaisedError error = RaisedBy([&] { list_.SetSelected(2, true); });
    EXPECT_EQ(error.Number, 35600);
    EXPECT_EQ(error.Description, "Index out of bounds");
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

// ---- The progress bar

TEST_F(ControlTest, ProgressBarKeepsItsValueWithinItsRange) {
    ProgressBar bar(form_);
    bar.SetRange(0, 3);
    bar.SetValue(3);
    EXPECT_EQ(bar.Value(), 3);
    bar.SetRange(0, 2);
    EXPECT_EQ(bar.Value(), 2);
    bar.SetRange(0, 0);
    EXPECT_EQ(bar.Value(), 0);
    EXPECT_EQ(RaisedBy([&] { bar.SetValue(1); }).Number, 380);
    EXPECT_EQ(RaisedBy([&] { bar.SetRange(2, 1); }).Number, 380);
    EXPECT_EQ(bar.Min(), 0);
    EXPECT_EQ(bar.Max(), 0);
}

}  // namespace
}  // namespace vantrel::test
