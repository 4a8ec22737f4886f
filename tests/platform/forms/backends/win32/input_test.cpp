// What the user does to the Win32 backend's windows, beside the keys every backend's suite
// presses (windows_test.cpp): keys while the windows repaint, the cursor over the windows, and
// the message box.

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

// Work running on the user-interface thread lets the windows repaint, but the user's keys wait
// until it is over. Only here: keys that go through the input queue, as Win32's do, can wait;
// Qt's test keys are delivered at once.
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
    const ProgramRun windowed(RuntimeEnvironment::Runtime()->WindowedServices());
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
