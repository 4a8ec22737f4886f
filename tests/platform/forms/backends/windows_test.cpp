// Forms and controls as a window backend shows them, read back from the window system: pixel
// geometry at 96 dots per inch, frames, fonts and colours, what the controls show, what
// assistive technology reads, the keyboard, the tab order, modal showing and the screen. One
// suite for every backend (shown.h); where a backend must differ, the case says why.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/forms/backend_cases.h"
#include "platform/forms/backends/shown.h"
#include "platform/forms/program.h"
#include "platform/forms/runtime.h"
#include "support/platform.h"
#include "support/program_recorders.h"

namespace vantrel::test {
namespace {

// ---- Geometry

class GeometryTest : public ::testing::TestWithParam<DesignedControl> {};

TEST_P(GeometryTest, FollowsTheTwipsAtTheScreensResolution) {
    Form form(kDialog);
    const auto control = GetParam().Create(form);
    MoveAsDesigned(*control, GetParam().Window, GetParam().Name);
    ASSERT_NE(HandleOf(*control), nullptr);
    EXPECT_EQ(PlaceOf(*control), GetParam().Pixels);
    EXPECT_EQ(ParentOf(*control), HandleOf(form));
}

INSTANTIATE_TEST_SUITE_P(Controls, GeometryTest, ::testing::ValuesIn(kDesignedControls),
                         [](const auto& info) { return TestNameOf(info.param); });

// ---- Windows

TEST(FormWindowTest, AFixedDialogHasACloseBoxOnlyAndAFixedClientArea) {
    Form form(kDialog);
    EXPECT_EQ(TitleOf(form), "Confirm");
    EXPECT_EQ(FrameOf(form), (Frame{.TopLevel = true,
                                    .Border = true,
                                    .TitleBar = true,
                                    .CloseBox = true,
                                    .DialogFrame = true}));
    EXPECT_EQ(ClientSizeOf(form), (PixelSize{312, 206}));
    form.SetCaption("Other");
    EXPECT_EQ(TitleOf(form), "Other");
}

TEST(FormWindowTest, ABorderlessFormHasNoFrame) {
    Form form(kTitle);
    EXPECT_EQ(TitleOf(form), "Form1");
    EXPECT_EQ(FrameOf(form), Frame{.TopLevel = true});
    EXPECT_EQ(ClientSizeOf(form), (PixelSize{779, 465}));
}

TEST(FormWindowTest, MovedOverTheWholeScreenItCoversIt) {
    Form form(kTitle);
    const PixelSize screen = ScreenSize();
    EXPECT_EQ(ScreenWidth(), screen.Width * 15.0f);
    EXPECT_EQ(ScreenHeight(), screen.Height * 15.0f);
    form.Move(0, 0, ScreenWidth(), ScreenHeight());
    form.Show();
    EXPECT_TRUE(IsShown(form));
    EXPECT_EQ(ScreenPlaceOf(form), (PixelRect{0, 0, screen.Width, screen.Height}));
    form.Hide();
    EXPECT_FALSE(IsShown(form));
}

TEST(FormWindowTest, TitleLabelsInGeorgiaInTheButtonFaceColourLetTheBlueShowThrough) {
    Form form(kTitle);
    Label label(form);
    MoveAsDesigned(label, "Title", "Label1(0)");
    label.SetCaption("ZORVIK-Viewer");
    label.SetFont({"Georgia", 36, true, true});
    label.SetForeColor(kButtonFace);
    label.SetBackStyle(Background::Transparent);
    form.Show();
    EXPECT_EQ(TextOf(label), "ZORVIK-Viewer");
    EXPECT_EQ(FontOf(label), AsShown({"Georgia", 36, true, true}));
    EXPECT_EQ(LookOf(label), (LabelLook{.PlainText = true,
                                        .OneLine = true,
                                        .TextInButtonFace = true,
                                        .FormColourShowsThrough = true}));
    form.Hide();
}

// Lines that run wider than their labels in the font shown shrink until they fit.
TEST(FormWindowTest, FittedCaptionsFitTheirWindows) {
    Form form(kDialog);
    Label first(form), second(form);
    MoveAsDesigned(first, "Confirm", "Label1");
    MoveAsDesigned(second, "Confirm", "Label2");
    // Wine's MS Sans Serif is narrower than Qt's stand-in for it: each needs a line too wide.
    first.SetCaption(OnPlatform<std::string>(
        "Reference Images must be installed to following folder, if at all.",
        "Reference Images must be installed to following folder, if at all, now."));
    second.SetCaption("Short.");
    FitCaptionsToWidth({&first, &second});
    for (const Label* label : {&first, &second}) {
        EXPECT_LE(TextWidthOf(*label), PlaceOf(*label).Width);
        EXPECT_EQ(FontOf(*label), AsShown(label->Font()));
    }
    EXPECT_LT(first.Font().Size, 8.0f);
    EXPECT_GE(first.Font().Size, 6.0f);
    EXPECT_EQ(first.Font(), second.Font());
}

// ---- Controls

TEST(ControlWindowTest, ShowCaptionsToolTipsAndStates) {
    Form form(kDialog);
    CommandButton button(form, 1);
    button.SetCaption("Cancel");
    button.SetToolTipText("Cancel installation and Quit");
    EXPECT_EQ(TextOf(button), "Cancel");
    EXPECT_EQ(ToolTipOf(button), "Cancel installation and Quit");
    EXPECT_TRUE(IsVisible(button));
    EXPECT_TRUE(IsEnabled(button));
    button.SetVisible(false);
    button.SetEnabled(false);
    EXPECT_FALSE(IsVisible(button));
    EXPECT_FALSE(IsEnabled(button));
    button.SetCaption("OK");
    EXPECT_EQ(TextOf(button), "OK");
}

TEST(ControlWindowTest, ProgressBarShowsBusyThenHowFar) {
    Form form(kDialog);
    ProgressBar bar(form);
    bar.SetRange(0, 0);
    EXPECT_TRUE(ProgressOf(bar).Busy);
    bar.SetRange(0, 3);
    bar.SetValue(2);
    EXPECT_EQ(ProgressOf(bar), (Progress{.Busy = false, .Maximum = 3, .Value = 2}));
}

TEST_F(FolderControlsTest, DriveListShowsTheDrivesAndTheOneSet) {
    DriveListBox drives(form_);
    drives.SetDrive("Z");
    drives.SetEnabled(false);
    const std::vector<std::string> shown = ItemsOf(drives);
    EXPECT_EQ(shown, drives.List());
    EXPECT_NE(std::find(shown.begin(), shown.end(), "c:"), shown.end());
    EXPECT_EQ(TextOf(drives), "z:");
    EXPECT_FALSE(IsEnabled(drives));
}

TEST_F(FolderControlsTest, FolderListShowsItsRowsWithTheFolderSetCurrent) {
    DirListBox folders(form_);
    MoveAsDesigned(folders, "Confirm", "Dir1");
    folders.SetPath(Viewer());
    std::vector<std::string> rows;
    for (const auto& row : folders.Rows()) {
        rows.push_back(row.Text);
    }
    EXPECT_EQ(RowsOf(folders), rows);
    EXPECT_EQ(rows.back(), "b");
    EXPECT_EQ(CurrentRowOf(folders), folders.ListIndex());
    EXPECT_EQ(rows.at(static_cast<std::size_t>(folders.ListIndex())), "Viewer");
}

// ---- What assistive technology reads

// The dialog as a screen reader meets it: its controls' roles, names and values, the folder
// list as the read-only text of its full path.
TEST_F(FolderControlsTest, AScreenReaderReadsEveryControlsRoleNameAndValue) {
    DialogControls controls(form_);
    NameAsTheDialogDoes(controls, Viewer());
    std::string drive = Viewer().substr(0, 1) + ":";
    std::transform(drive.begin(), drive.end(), drive.begin(), ::tolower);

    EXPECT_EQ(Read(HandleOf(form_)), (Accessible{AccessibleRole::Dialog, "Confirm", ""}));
    const Form title(kTitle);
    // MSAA reads a plain window as its client area, AT-SPI as the window.
    EXPECT_EQ(
        Read(HandleOf(title)),
        (Accessible{OnPlatform(AccessibleRole::Window, AccessibleRole::Client), "Form1", ""}));
    EXPECT_EQ(Read(HandleOf(controls.Line1)),
              (Accessible{AccessibleRole::StaticText,
                          "Reference Images must be installed to following folder.", ""}));
    EXPECT_EQ(Read(HandleOf(controls.Ok)), (Accessible{AccessibleRole::Button, "OK", ""}));
    EXPECT_EQ(DescriptionOf(HandleOf(controls.Ok)), "Continue installation");
    EXPECT_EQ(Read(HandleOf(controls.Drive)),
              (Accessible{AccessibleRole::ComboBox, "Destination drive", drive}));
    EXPECT_EQ(Read(HandleOf(controls.Folder)),
              (Accessible{AccessibleRole::EditableText, "Destination folder", Viewer()}));
    // MSAA reads a progress bar's value as a percentage, AT-SPI as the number itself.
    EXPECT_EQ(Read(HandleOf(controls.Bar)),
              (Accessible{AccessibleRole::ProgressBar, "Installation progress",
                          OnPlatform<std::string>("3", "75%")}));
    EXPECT_EQ(StateOf(HandleOf(controls.Folder)),
              (AccessibleState{.ReadOnly = true, .Focusable = true, .Unavailable = false}));
}

// Disabled, the folder list is passed by when the dialog comes up, but Shift+Tab from the first
// button reaches it, and no key changes what it shows or clicks a button.
TEST_F(FolderControlsTest, ADisabledFolderListIsReachedWithTheKeyboardButCannotBeChanged) {
    Form title(kTitle);
    title.Show();
    DirListBox folders(form_);
    MoveAsDesigned(folders, "Confirm", "Dir1");
    CommandButton ok(form_, 0);
    MoveAsDesigned(ok, "Confirm", "Command1(0)");
    std::vector<std::int16_t> clicks;
    ok.SetClickHandler([&](std::int16_t Index) { clicks.push_back(Index); });
    folders.SetPath(Viewer());
    folders.SetEnabled(false);
    const int current = CurrentRowOf(folders);

    WindowHandle first = nullptr, back = nullptr, afterKeys = nullptr;
    const bool expired = ShowModalFor(form_, title, [&] {
        first = FocusedWindow();
        Press(Key::ShiftTab);
        back = FocusedWindow();
        for (const Key key : {Key::Up, Key::Down, Key::Home, Key::End, Key::Enter}) {
            Press(key);
        }
        afterKeys = FocusedWindow();
    });
    title.Hide();

    EXPECT_TRUE(expired);
    EXPECT_EQ(first, HandleOf(ok));
    EXPECT_EQ(back, HandleOf(folders));
    EXPECT_EQ(afterKeys, HandleOf(folders));
    EXPECT_EQ(CurrentRowOf(folders), current);
    EXPECT_TRUE(clicks.empty());
}

// ---- The keyboard

struct KeyCase {
    const char* Name;
    Key Pressed;
    bool Clicks;
};

void PrintTo(const KeyCase& key, std::ostream* out) {
    *out << key.Name;
}

class CommandButtonKeyTest : public KeysTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(CommandButtonKeyTest, ActsOnSpaceAndEnterOnly) {
    const bool expired = ShowModalFor(dialog_, title_, [&] {
        Focus(cancel_);
        Press(GetParam().Pressed);
    });
    EXPECT_EQ(expired, !GetParam().Clicks);
    EXPECT_EQ(clicks_,
              GetParam().Clicks ? std::vector<std::int16_t>{1} : std::vector<std::int16_t>{});
}

INSTANTIATE_TEST_SUITE_P(Keys, CommandButtonKeyTest,
                         ::testing::Values(KeyCase{"Enter", Key::Enter, true},
                                           KeyCase{"KeypadEnter", Key::KeypadEnter, true},
                                           KeyCase{"Space", Key::Space, true},
                                           KeyCase{"Escape", Key::Escape, false},
                                           KeyCase{"AltEnter", Key::AltEnter, false},
                                           KeyCase{"ShiftEnter", Key::ShiftEnter, false},
                                           KeyCase{"A", Key::A, false}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(FormKeysTest, EscapeDoesNotCloseAForm) {
    Form title(kTitle);
    title.Show();
    RefusingForm form;
    CommandButton button(form, 0);
    bool shownAfterEscape = false;
    const bool stayedUp = ShowModalFor(form, title, [&] {
        Press(Key::Escape);
        shownAfterEscape = IsShown(form) && form.Visible();
    });
    EXPECT_TRUE(stayedUp);
    EXPECT_TRUE(shownAfterEscape);
    EXPECT_EQ(form.Unloads, 0);
    title.Hide();
}

// The first control in tab order has the focus when the dialog comes up; Enter clicks nothing
// there, Tab goes on through the controls in tab order, and Enter clicks the button reached.
TEST_F(KeysTest, TabMovesTheFocusAndEnterClicksTheFocusedButtonOnly) {
    WindowHandle first = nullptr;
    std::vector<std::int16_t> afterFirstEnter;
    const bool expired = ShowModalFor(dialog_, title_, [&] {
        first = FocusedWindow();
        Press(Key::Enter);
        afterFirstEnter = clicks_;
        Press(Key::Tab);
        Press(Key::Tab);
        Press(Key::Tab);  // round to the folder list
        Press(Key::ShiftTab);
        Press(Key::Enter);
    });
    EXPECT_FALSE(expired);
    EXPECT_EQ(first, HandleOf(folders_));
    EXPECT_TRUE(afterFirstEnter.empty());
    EXPECT_EQ(clicks_, std::vector<std::int16_t>{1});
}

// ---- Tab order

TEST(TabOrderTest, FollowsTheOrderTheControlsWereCreatedIn) {
    Form form(kDialog);
    const DialogControls controls(form);
    EXPECT_EQ(TabStopsOf(form),
              (std::vector<WindowHandle>{HandleOf(controls.Drive), HandleOf(controls.Folder),
                                         HandleOf(controls.Ok), HandleOf(controls.Cancel),
                                         HandleOf(controls.List)}));
}

// ---- Modal showing, the close box, the end of the program

TEST(ModalTest, ADialogShownModallyIsCentredOverItsOwnerAndBlocksIt) {
    Form title(kTitle);
    title.Move(0, 0, ScreenWidth(), ScreenHeight());
    title.Show();
    RefusingForm dialog(kDialog);
    PixelRect place{};
    WindowHandle owner = nullptr;
    bool blocking = false;
    bool refusedStaysUp = false;
    const bool expired = ShowModalFor(dialog, title, [&] {
        place = ScreenPlaceOf(dialog);
        owner = OwnerOf(dialog);
        blocking = BlocksItsOwner(dialog);
        dialog.Refuse = true;
        UseTheCloseBox(dialog);
        refusedStaysUp = IsShown(dialog);
        dialog.Refuse = false;
        UseTheCloseBox(dialog);
    });

    EXPECT_FALSE(expired);
    EXPECT_EQ(owner, HandleOf(title));
    EXPECT_TRUE(blocking);
    const PixelSize screen = ScreenSize();
    EXPECT_LE(std::abs(2 * place.Left + place.Width - screen.Width), 1);
    EXPECT_LE(std::abs(2 * place.Top + place.Height - screen.Height), 1);
    EXPECT_TRUE(refusedStaysUp);
    EXPECT_EQ(dialog.Unloads, 2);
    EXPECT_FALSE(IsShown(dialog));
    EXPECT_FALSE(dialog.Visible());
    EXPECT_FALSE(BlocksItsOwner(dialog));
    EXPECT_TRUE(IsShown(title));
    title.Hide();
}

TEST(ModalTest, EndingTheProgramHidesEveryWindowAndEndsTheModalShow) {
    EndOfProgramRecorder ending;
    Form title(kTitle);
    title.Show();
    Form dialog(kDialog);
    const bool expired = ShowModalFor(dialog, title, [] { EndProgram(kExitNotInstalled); });
    EXPECT_FALSE(expired);
    EXPECT_EQ(ending.Status(), 2);
    EXPECT_FALSE(IsShown(title));
    EXPECT_FALSE(IsShown(dialog));
    EXPECT_FALSE(BlocksItsOwner(dialog));
}

TEST(ModalTest, WorkPostedForTheNextTurnRunsWhileWindowsRepaint) {
    bool ran = false;
    RunOnNextTurn([&] { ran = true; });
    LetWindowsRepaint();
    EXPECT_TRUE(ran);
}

}  // namespace
}  // namespace vantrel::test
