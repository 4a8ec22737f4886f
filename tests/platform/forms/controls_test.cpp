// The controls' own rules, kept by the runtime whatever shows them: twips, the drive and folder
// lists, the list view, the progress bar and the command buttons. No window system runs here.

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/forms/command_button.h"
#include "platform/forms/dir_list_box.h"
#include "platform/forms/drive_list_box.h"
#include "platform/forms/label.h"
#include "platform/forms/list_view.h"
#include "platform/forms/program_recorders.h"
#include "platform/forms/progress_bar.h"
#include "platform/forms/twips.h"
#include "platform/message_box.h"
#include "shared/raised_error.h"
#include "support/raised_by.h"
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

class CurrentFolderScope {
  public:
    explicit CurrentFolderScope(const fs::path& folder) : previous_(fs::current_path()) {
        fs::current_path(folder);
    }
    ~CurrentFolderScope() { fs::current_path(previous_); }

  private:
    fs::path previous_;
};

class FolderListsTest : public ControlTest {
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

TEST_F(FolderListsTest, DriveListOffersTheDrivesAndStartsOnTheCurrentOne) {
    const CurrentFolderScope current(prefix_.DriveC() / "Program Files");
    DriveListBox drives(form_);
    EXPECT_EQ(drives.List(), (std::vector<std::string>{"c:", "d:", "z:"}));
    EXPECT_EQ(drives.ListIndex(), 0);
    EXPECT_EQ(drives.Drive(), "c:");
}

TEST_F(FolderListsTest, DriveListStartsOnTheFirstDriveWhenNoneHoldsTheCurrentFolder) {
    fs::remove(prefix_.Path() / "dosdevices" / "z:");
    const CurrentFolderScope current(other_.Path().parent_path());
    DriveListBox drives(form_);
    EXPECT_EQ(drives.List(), (std::vector<std::string>{"c:", "d:"}));
    EXPECT_EQ(drives.Drive(), "c:");
}

TEST_F(FolderListsTest, DriveListTakesTheDriveFromTheFirstCharacter) {
    DriveListBox drives(form_);
    drives.SetDrive("D:\\Somewhere\\");
    EXPECT_EQ(drives.Drive(), "d:");
    EXPECT_EQ(drives.ListIndex(), 1);
    drives.SetDrive("c");
    EXPECT_EQ(drives.Drive(), "c:");
    drives.SetDrive("");
    EXPECT_EQ(drives.Drive(), "c:");
}

class UnavailableDriveTest : public FolderListsTest,
                             public ::testing::WithParamInterface<std::string> {};

TEST_P(UnavailableDriveTest, RaisesDeviceUnavailable) {
    DriveListBox drives(form_);
    drives.SetDrive("c");
    const RaisedError error = RaisedBy([&] { drives.SetDrive(GetParam()); });
    EXPECT_EQ(error.Number, 68);
    EXPECT_EQ(error.Description, "Device unavailable");
    EXPECT_EQ(drives.Drive(), "c:");
}

INSTANTIATE_TEST_SUITE_P(Drives, UnavailableDriveTest,
                         ::testing::Values("Q:\\Viewer\\", "q", "\"C:\\Viewer\\\"", "\\\\server"));

TEST_F(FolderListsTest, FolderListShowsThePathFromTheRootDownAndTheFoldersUnderIt) {
    DirListBox folders(form_);
    folders.SetPath("C:\\program files\\VIEWER\\");
    EXPECT_EQ(folders.Path(), "C:\\Program Files\\Viewer");
    using Row = DirListBox::Row;
    EXPECT_EQ(folders.Rows(), (std::vector<Row>{{"c:\\", 0, true},
                                                {"Program Files", 1, true},
                                                {"Viewer", 2, true},
                                                {"A", 3, false},
                                                {"b", 3, false}}));
    EXPECT_EQ(folders.ListIndex(), 2);
}

TEST_F(FolderListsTest, FolderListAtADrivesRoot) {
    DirListBox folders(form_);
    folders.SetPath("C:\\");
    EXPECT_EQ(folders.Path(), "C:\\");
    using Row = DirListBox::Row;
    EXPECT_EQ(folders.Rows(), (std::vector<Row>{{"c:\\", 0, true}, {"Program Files", 1, false}}));
    EXPECT_EQ(folders.ListIndex(), 0);
}

TEST_F(FolderListsTest, FolderListStartsOnTheCurrentFolder) {
    const CurrentFolderScope current(prefix_.DriveC() / "Program Files");
    DirListBox folders(form_);
    EXPECT_EQ(folders.Path(), "C:\\Program Files");
}

class MissingFolderTest : public FolderListsTest,
                          public ::testing::WithParamInterface<std::string> {};

TEST_P(MissingFolderTest, RaisesPathNotFoundAndKeepsWhatItShows) {
    DirListBox folders(form_);
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
