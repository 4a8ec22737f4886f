// What the user does to the Win32 backend's windows: keys on buttons and forms, the cursor
// over the windows, and the message box.

#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "platform/cursors.h"
#include "platform/forms/backend_cases.h"
#include "platform/forms/backends/win32/control_peers.h"
#include "platform/forms/backends/win32/form_window.h"
#include "platform/forms/backends/win32/win32_test_support.h"
#include "platform/forms/command_button.h"
#include "platform/forms/dir_list_box.h"
#include "platform/message_box.h"

namespace vantrel::test {
namespace {

using win32::WindowOf;

// A dialog over a title window, with buttons whose clicks are recorded. A click hides the
// dialog, which ends its modal show.
class KeysTest : public ::testing::Test {
  protected:
    KeysTest() {
        ok_.Move(2040, 2520, 1215, 495);
        cancel_.Move(3360, 2520, 1215, 495);
        for (CommandButton* button : {&ok_, &cancel_}) {
            button->SetClickHandler([this](std::int16_t Index) {
                clicks_.push_back(Index);
                dialog_.Hide();
            });
        }
        title_.Show();
    }
    ~KeysTest() override { title_.Hide(); }

    Form title_{kTitle};
    Form dialog_{kDialog};
    DirListBox folders_{dialog_};
    CommandButton ok_{dialog_, 0};
    CommandButton cancel_{dialog_, 1};
    std::vector<std::int16_t> clicks_;
};

// ---- Command buttons

struct KeyCase {
    const char* Name;
    WORD Key;
    WORD Modifier;
    bool Keypad;
    bool Clicks;
};

void PrintTo(const KeyCase& key, std::ostream* out) {
    *out << key.Name;
}

class CommandButtonKeyTest : public KeysTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(CommandButtonKeyTest, ActsOnSpaceAndEnterOnly) {
    const bool expired = ShowModalFor(dialog_, title_, [&] {
        SetFocus(WindowOf(cancel_));
        PressKey(GetParam().Key, GetParam().Modifier, GetParam().Keypad);
    });
    EXPECT_EQ(expired, !GetParam().Clicks);
    EXPECT_EQ(clicks_,
              GetParam().Clicks ? std::vector<std::int16_t>{1} : std::vector<std::int16_t>{});
}

INSTANTIATE_TEST_SUITE_P(Keys, CommandButtonKeyTest,
                         ::testing::Values(KeyCase{"Enter", VK_RETURN, 0, false, true},
                                           KeyCase{"KeypadEnter", VK_RETURN, 0, true, true},
                                           KeyCase{"Space", VK_SPACE, 0, false, true},
                                           KeyCase{"Escape", VK_ESCAPE, 0, false, false},
                                           KeyCase{"AltEnter", VK_RETURN, VK_MENU, false, false},
                                           KeyCase{"ShiftEnter", VK_RETURN, VK_SHIFT, false, false},
                                           KeyCase{"A", 'A', 0, false, false}),
                         [](const auto& info) { return std::string(info.param.Name); });

// ---- Keys on a form

TEST(FormKeysTest, EscapeDoesNotCloseAForm) {
    Form title(kTitle);
    title.Show();
    RefusingForm form;
    CommandButton button(form, 0);
    const bool stayedUp = ShowModalFor(form, title, [&] { PressKey(VK_ESCAPE); });
    EXPECT_TRUE(stayedUp);
    EXPECT_EQ(form.Unloads, 0);
    title.Hide();
}

// The first control in tab order has the focus when the dialog comes up; Enter clicks nothing
// there, Tab goes on through the controls in tab order, and Enter clicks the button reached.
TEST_F(KeysTest, TabMovesTheFocusAndEnterClicksTheFocusedButtonOnly) {
    HWND first = nullptr;
    const bool expired = ShowModalFor(dialog_, title_, [&] {
        first = GetFocus();
        PressKey(VK_RETURN);
        PressKey(VK_TAB);
        PressKey(VK_TAB);
        PressKey(VK_TAB);  // round to the folder list
        PressKey(VK_TAB, VK_SHIFT);
        PressKey(VK_RETURN);
    });
    EXPECT_FALSE(expired);
    EXPECT_EQ(first, WindowOf(folders_));
    EXPECT_EQ(clicks_, std::vector<std::int16_t>{1});
}

// Disabled, the folder list is passed by when the dialog comes up, but Shift+Tab from the first
// button reaches it, and no key changes it.
HWND focusAfterKeys = nullptr;

TEST_F(KeysTest, ADisabledFolderListIsReachedWithTheKeyboardButCannotBeChanged) {
    folders_.SetPath(folders_.Path().substr(0, 3));
    folders_.SetEnabled(false);
    HWND first = nullptr;
    focusAfterKeys = nullptr;
    const bool expired = ShowModalFor(dialog_, title_, [&] {
        first = GetFocus();
        PressKey(VK_TAB, VK_SHIFT);
        PressKey(VK_DOWN);
        PressKey(VK_END);
        PressKey(VK_RETURN);
        // A timer's turn comes once the keys are handled.
        SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR timer, DWORD) {
            KillTimer(nullptr, timer);
            focusAfterKeys = GetFocus();
        });
    });
    EXPECT_TRUE(expired);
    EXPECT_EQ(first, WindowOf(ok_));
    EXPECT_EQ(focusAfterKeys, WindowOf(folders_));
    EXPECT_EQ(SendMessageW(WindowOf(folders_), LB_GETCURSEL, 0, 0), folders_.ListIndex());
    EXPECT_TRUE(clicks_.empty());
}

// Work running on the user-interface thread lets the windows repaint, but the user's keys wait
// until it is over.
TEST_F(KeysTest, KeysWaitWhileTheWindowsRepaint) {
    std::vector<std::int16_t> duringWork;
    const bool expired = ShowModalFor(dialog_, title_, [&] {
        SetFocus(WindowOf(ok_));
        PressKey(VK_SPACE);
        LetWindowsRepaint();
        duringWork = clicks_;
    });
    EXPECT_FALSE(expired);
    EXPECT_TRUE(duringWork.empty());
    EXPECT_EQ(clicks_, std::vector<std::int16_t>{0});
}

// ---- Cursors

struct CursorCase {
    const char* Name;
    bool OverButton;
    SHORT HitTest;
};

void PrintTo(const CursorCase& place, std::ostream* out) {
    *out << place.Name;
}

class CursorTest : public KeysTest, public ::testing::WithParamInterface<CursorCase> {
  protected:
    // What the system sends when the mouse moves over the dialog.
    void MouseMoves() {
        const HWND under = GetParam().OverButton ? WindowOf(ok_) : WindowOf(dialog_);
        SendMessageW(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under),
                     MAKELPARAM(static_cast<WORD>(GetParam().HitTest), WM_MOUSEMOVE));
    }
};

TEST_P(CursorTest, TheWaitCursorStaysUntilTheProgramSetsTheArrow) {
    const HCURSOR wait = LoadCursorA(nullptr, IDC_WAIT);
    const HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    SetCursor(wait);
    MouseMoves();
    EXPECT_EQ(GetCursor(), wait);
    SetCursor(arrow);
    MouseMoves();
    EXPECT_EQ(GetCursor(), arrow);
    // Without the program's cursor the window's own comes back.
    SetCursor(nullptr);
    MouseMoves();
    EXPECT_EQ(GetCursor(), arrow);
}

INSTANTIATE_TEST_SUITE_P(Places, CursorTest,
                         ::testing::Values(CursorCase{"OverAButton", true, HTCLIENT},
                                           CursorCase{"OverTheDialog", false, HTCLIENT},
                                           CursorCase{"OverTheCaption", false, HTCAPTION},
                                           CursorCase{"OverADisabledWindow", false, HTERROR}),
                         [](const auto& info) { return std::string(info.param.Name); });

// ---- Message boxes

TEST_F(KeysTest, AMessageBoxHasOneOkButtonTheApplicationTitleAndTheModalDialogAsOwner) {
    const ProgramRun windowed(Win32Environment::Runtime()->WindowedServices());
    std::string boxKind, title, text;
    std::vector<std::string> buttons;
    HWND owner = nullptr;
    // Work posted for the next turn runs inside the message box's own loop too.
    const auto inspectTheBox = [&] {
        const HWND box = GetActiveWindow();
        wchar_t kind[16] = {};
        GetClassNameW(box, kind, 16);
        boxKind = win32::Utf8(kind);
        title = TextOf(box);
        owner = GetWindow(box, GW_OWNER);
        text = TextOf(GetDlgItem(box, 0xFFFF));
        for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
             child = GetWindow(child, GW_HWNDNEXT)) {
            wchar_t name[16] = {};
            GetClassNameW(child, name, 16);
            if (std::wstring(name) == L"Button" && IsWindowVisible(child)) {
                buttons.push_back(TextOf(child));
            }
        }
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    };
    ShowModalFor(dialog_, title_, [&] {
        RunOnNextTurn(inspectTheBox);
        MsgBox("Reference Image Installation is finished.");
        dialog_.Hide();
    });
    EXPECT_EQ(boxKind, "#32770");  // the system's dialog class
    EXPECT_EQ(title, "Vantrel");
    EXPECT_EQ(text, "Reference Image Installation is finished.");
    EXPECT_EQ(buttons, std::vector<std::string>{"OK"});
    EXPECT_EQ(owner, WindowOf(dialog_));
}

}  // namespace
}  // namespace vantrel::test
