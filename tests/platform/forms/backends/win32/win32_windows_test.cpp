// What only the Win32 windows have to show, beside the suite every backend runs
// (windows_test.cpp): the common controls they come from, the styles that say what Qt's widget
// classes say by their kind, the icons, the system's dialog class, the folder list's own
// drawing, the dialog manager's tab stops and the hidden list view.

#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <algorithm>

#include "platform/forms/backend_cases.h"
#include "platform/forms/backends/win32/control_peers.h"
#include "platform/forms/backends/win32/form_window.h"
#include "platform/forms/backends/win32/win32_test_support.h"
#include "platform/forms/runtime.h"
#include "windows/resource_ids.h"

namespace vantrel::test {
namespace {

using win32::WindowOf;

LONG_PTR StyleOf(HWND window) {
    return GetWindowLongPtrW(window, GWL_STYLE);
}

// The program's manifest (which the tests carry too) asks for version 6 of the common controls,
// which then provide the buttons themselves, from the side-by-side assembly.
TEST(Win32FormWindowTest, ButtonsComeFromVersionSixOfTheCommonControls) {
    Form form(kDialog);
    CommandButton button(form, 0);
    EXPECT_EQ(StyleOf(WindowOf(button)) & BS_TYPEMASK, BS_PUSHBUTTON);
    const LONG_PTR procedure = GetClassLongPtrW(WindowOf(button), GCLP_WNDPROC);
    HMODULE module = nullptr;
    ASSERT_TRUE(GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(procedure), &module));
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(module, path, MAX_PATH);
    std::string file = win32::Utf8(path);
    std::transform(file.begin(), file.end(), file.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    EXPECT_NE(file.find("common-controls"), std::string::npos) << file;
    EXPECT_TRUE(file.ends_with("\\comctl32.dll")) << file;
}

// Windows puts an unowned window in the task bar by itself; the dialog asks for nothing more.
// A window of the system's dialog class (#32770) is what screen readers take for a dialog.
TEST(Win32FormWindowTest, TheDialogIsOfTheSystemsDialogClassAndAsksForNoTaskbarButton) {
    const Form form(kDialog);
    EXPECT_FALSE(GetWindowLongPtrW(WindowOf(form), GWL_EXSTYLE) & WS_EX_APPWINDOW);
    wchar_t dialogClass[16] = {};
    GetClassNameW(WindowOf(form), dialogClass, 16);
    EXPECT_EQ(std::wstring(dialogClass), L"#32770");
}

TEST(Win32FormWindowTest, TheTitleWindowAndTheDialogShowTheirOwnIcons) {
    const Form title(kTitle);
    const Form dialog(kDialog);
    const auto icon = [](int id) {
        return LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON,
                          GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED);
    };
    ASSERT_NE(icon(IDI_TITLE_WINDOW), nullptr);
    EXPECT_EQ(SendMessageW(WindowOf(title), WM_GETICON, ICON_SMALL, 0),
              reinterpret_cast<LRESULT>(icon(IDI_TITLE_WINDOW)));
    EXPECT_EQ(SendMessageW(WindowOf(dialog), WM_GETICON, ICON_SMALL, 0),
              reinterpret_cast<LRESULT>(icon(IDI_DIALOG)));
    EXPECT_NE(SendMessageW(WindowOf(dialog), WM_GETICON, ICON_BIG, 0), 0);
}

// A drop-down list takes no typed text; Qt's combo box takes none unless made editable.
TEST(Win32ControlWindowTest, TheDriveListIsADropDownList) {
    Form form(kDialog);
    const DriveListBox drives(form);
    EXPECT_EQ(StyleOf(WindowOf(drives)) & 3, CBS_DROPDOWNLIST);
}

// Win32 draws the folder list's rows itself: the folder's icon beside its name, the selected one
// highlighted.
using Win32FolderListTest = FolderControlsTest;

TEST_F(Win32FolderListTest, DrawsEveryRow) {
    DirListBox folders(form_);
    MoveAsDesigned(folders, "Confirm", "Dir1");
    folders.SetPath(Viewer());
    const HWND window = WindowOf(folders);
    EXPECT_TRUE(StyleOf(window) & LBS_OWNERDRAWFIXED);
    EXPECT_GE(SendMessageW(window, LB_GETITEMHEIGHT, 0, 0), GetSystemMetrics(SM_CYSMICON));
    form_.Show();
    const std::vector<COLORREF> pixels = PixelsOf(WindowOf(form_), PlaceOf(window));
    EXPECT_GT(std::count(pixels.begin(), pixels.end(), GetSysColor(COLOR_HIGHLIGHT)), 100);
    EXPECT_GT(std::count(pixels.begin(), pixels.end(), GetSysColor(COLOR_WINDOW)), 100);
    form_.Hide();
}

// The dialog manager finds the next stop itself: shown and enabled, in tab order.
TEST(Win32TabOrderTest, TheKeyboardReachesTheStopsInTabOrder) {
    Form form(kDialog);
    const DialogControls controls(form);
    EXPECT_EQ(GetNextDlgTabItem(WindowOf(form), WindowOf(controls.Ok), FALSE),
              WindowOf(controls.Cancel));
    EXPECT_EQ(GetNextDlgTabItem(WindowOf(form), WindowOf(controls.Cancel), FALSE),
              WindowOf(controls.Drive));
}

// The list view is never shown; it holds the runtime's columns and rows once the loop turns.
TEST(Win32ControlWindowTest, ListViewHoldsTheColumnsRowsAndSelection) {
    Form form(kDialog);
    ListView list(form);
    list.SetVisible(false);
    list.AddColumnHeader("Name", "Name", 1440, ColumnAlignment::Left);
    list.AddColumnHeader("Size", "Size", 1440, ColumnAlignment::Right);
    list.AddColumnHeader("Path", "Path", 0, ColumnAlignment::Left);
    ListItem& first = list.AddListItem("a.jpg");
    first.SetSubItems(1, "345");
    first.SetSubItems(2, "set1\\");
    first.SetToolTipText("a.jpg");
    list.AddListItem("b.jpg").SetSubItems(1, "0");
    list.ColumnHeaders("Path").Width = 907.5f;
    list.SetLeft(0);
    LetWindowsRepaint();

    const HWND window = WindowOf(list);
    EXPECT_EQ(StyleOf(window) & LVS_TYPEMASK, LVS_REPORT);
    EXPECT_FALSE(StyleOf(window) & WS_VISIBLE);
    const int widths[] = {96, 96, 61};
    for (int column = 0; column < 3; ++column) {
        EXPECT_EQ(SendMessageW(window, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0),
                  widths[column]);
    }
    LVCOLUMNW size{};
    size.mask = LVCF_FMT;
    SendMessageW(window, LVM_GETCOLUMNW, 1, reinterpret_cast<LPARAM>(&size));
    EXPECT_EQ(size.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_RIGHT);

    const auto cell = [&](int row, int column) {
        wchar_t text[64] = {};
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = 64;
        SendMessageW(window, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&item));
        return win32::Utf8(text);
    };
    ASSERT_EQ(SendMessageW(window, LVM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_EQ(cell(0, 0), "a.jpg");
    EXPECT_EQ(cell(0, 1), "345");
    EXPECT_EQ(cell(0, 2), "set1\\");
    EXPECT_EQ(cell(1, 0), "b.jpg");
    EXPECT_EQ(cell(1, 1), "0");
    const auto selected = [&](int row) {
        return SendMessageW(window, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED) != 0;
    };
    EXPECT_TRUE(selected(0));
    EXPECT_FALSE(selected(1));
    list.SetSelected(1, true);
    LetWindowsRepaint();
    EXPECT_FALSE(selected(0));
    EXPECT_TRUE(selected(1));

    // The row's tool tip, as the control asks its parent for it.
    wchar_t tip[32] = {};
    NMLVGETINFOTIPW ask{};
    ask.hdr = {window, static_cast<UINT_PTR>(GetDlgCtrlID(window)), LVN_GETINFOTIPW};
    ask.pszText = tip;
    ask.cchTextMax = 32;
    ask.iItem = 0;
    SendMessageW(WindowOf(form), WM_NOTIFY, ask.hdr.idFrom, reinterpret_cast<LPARAM>(&ask));
    EXPECT_EQ(win32::Utf8(tip), "a.jpg");
}

}  // namespace
}  // namespace vantrel::test
