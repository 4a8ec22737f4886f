// Forms and controls as the Win32 backend shows them: pixel geometry at 96 dots per inch, window
// styles, colours and fonts, what the controls hold, the tab order, modal showing and the
// screen.

#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>
#include <oleacc.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>

#include "platform/forms/backend_cases.h"
#include "platform/forms/backends/win32/control_peers.h"
#include "platform/forms/backends/win32/form_window.h"
#include "platform/forms/backends/win32/win32_test_support.h"
#include "platform/forms/command_button.h"
#include "platform/forms/dir_list_box.h"
#include "platform/forms/drive_list_box.h"
#include "platform/forms/label.h"
#include "platform/forms/list_view.h"
#include "platform/forms/program.h"
#include "platform/forms/progress_bar.h"
#include "support/program_recorders.h"
#include "support/scratch_folder.h"
#include "windows/resource_ids.h"

// RECT lives in the global namespace, where the comparison and printing of GoogleTest find it.
bool operator==(const RECT& a, const RECT& b) {
    return EqualRect(&a, &b) != FALSE;
}

void PrintTo(const RECT& rect, std::ostream* out) {
    *out << "{" << rect.left << ", " << rect.top << ", " << rect.right << ", " << rect.bottom
         << "}";
}

namespace vantrel::test {
namespace {

using win32::WindowOf;

LONG_PTR StyleOf(HWND window) {
    return GetWindowLongPtrW(window, GWL_STYLE);
}

LOGFONTW FontOf(HWND window) {
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font;
}

// ---- Geometry

class GeometryTest : public ::testing::TestWithParam<Placement> {};

TEST_P(GeometryTest, FollowsTheTwipsAtTheScreensResolution) {
    Form form(kDialog);
    const auto control = GetParam().Create(form);
    control->Move(GetParam().Twips.Left, GetParam().Twips.Top, GetParam().Twips.Width,
                  GetParam().Twips.Height);
    const HWND window = WindowOf(*control);
    ASSERT_NE(window, nullptr);
    const Placement& expected = GetParam();
    EXPECT_EQ(PlaceOf(window), (RECT{expected.Left, expected.Top, expected.Left + expected.Width,
                                     expected.Top + expected.Height}));
    EXPECT_EQ(GetParent(window), WindowOf(form));
}

INSTANTIATE_TEST_SUITE_P(Controls, GeometryTest, ::testing::ValuesIn(kPlacements),
                         [](const auto& info) { return std::string(info.param.Name); });

// ---- Windows

TEST(FormWindowTest, AFixedDialogHasACloseBoxOnlyAndAFixedClientArea) {
    Form form(kDialog);
    const HWND window = WindowOf(form);
    const LONG_PTR style = StyleOf(window);
    EXPECT_EQ(TextOf(window), "Confirm");
    EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME | WS_CHILD));
    EXPECT_TRUE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);
    EXPECT_FALSE(GetWindowLongPtrW(window, GWL_EXSTYLE) & (WS_EX_APPWINDOW | WS_EX_CONTEXTHELP));
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(client, (RECT{0, 0, 312, 206}));
    form.SetCaption("Other");
    EXPECT_EQ(TextOf(window), "Other");
}

TEST(FormWindowTest, ABorderlessFormIsAPlainPopup) {
    Form form(kTitle);
    const HWND window = WindowOf(form);
    EXPECT_EQ(TextOf(window), "Form1");
    EXPECT_TRUE(StyleOf(window) & WS_POPUP);
    EXPECT_FALSE(StyleOf(window) & (WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_CHILD));
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(client, (RECT{0, 0, 779, 465}));
}

// The program's manifest (which the tests carry too) asks for version 6 of the common controls,
// which then provide the buttons themselves, from the side-by-side assembly.
TEST(FormWindowTest, ButtonsComeFromVersionSixOfTheCommonControls) {
    Form form(kDialog);
    CommandButton button(form, 0);
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

TEST(FormWindowTest, TheTitleWindowAndTheDialogShowTheirOwnIcons) {
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

TEST(FormWindowTest, MovedOverTheWholeScreenItCoversIt) {
    Form form(kTitle);
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_EQ(ScreenWidth(), width * 15.0f);
    EXPECT_EQ(ScreenHeight(), height * 15.0f);
    form.Move(0, 0, ScreenWidth(), ScreenHeight());
    form.Show();
    EXPECT_TRUE(IsWindowVisible(WindowOf(form)));
    EXPECT_EQ(PlaceOf(WindowOf(form)), (RECT{0, 0, width, height}));
    form.Hide();
    EXPECT_FALSE(IsWindowVisible(WindowOf(form)));
}

TEST(FormWindowTest, TitleLabelsInGeorgiaInTheButtonFaceColourLetTheBlueShowThrough) {
    Form form(kTitle);
    Label label(form);
    label.Move(240, 360, 6735, 975);
    label.SetCaption("ZORVIK-Viewer");
    label.SetFont({"Georgia", 36, true, true});
    label.SetForeColor(kButtonFace);
    label.SetBackStyle(Background::Transparent);
    form.Show();
    const HWND window = WindowOf(label);
    EXPECT_EQ(TextOf(window), "ZORVIK-Viewer");
    EXPECT_EQ(StyleOf(window) & SS_TYPEMASK, SS_LEFTNOWORDWRAP);
    EXPECT_TRUE(StyleOf(window) & SS_NOPREFIX);
    const LOGFONTW font = FontOf(window);
    EXPECT_EQ(std::wstring(font.lfFaceName), L"Georgia");
    EXPECT_EQ(font.lfHeight, -48);
    EXPECT_EQ(font.lfWeight, FW_BOLD);
    EXPECT_TRUE(font.lfItalic);

    // The caption is painted in the button face; the rest of the label is the form's blue.
    const std::vector<COLORREF> pixels = PixelsOf(WindowOf(form), PlaceOf(window));
    const auto count = [&](COLORREF colour) {
        return std::count(pixels.begin(), pixels.end(), colour);
    };
    EXPECT_GT(count(GetSysColor(COLOR_BTNFACE)), 100);
    EXPECT_GT(count(RGB(0, 0, 192)), static_cast<long>(pixels.size()) / 2);
    EXPECT_EQ(pixels.back(), RGB(0, 0, 192));
    form.Hide();
}

// Lines that run wider than their labels in the font shown shrink until they fit.
TEST(FormWindowTest, FittedCaptionsFitTheirWindows) {
    Form form(kDialog);
    Label first(form), second(form);
    first.Move(120, 120, 4455, 255);
    second.Move(120, 360, 4455, 255);
    first.SetCaption("Reference Images must be installed to following folder, if at all, now.");
    second.SetCaption("Short.");
    FitCaptionsToWidth({&first, &second});
    for (const Label* label : {&first, &second}) {
        const HWND window = WindowOf(*label);
        const HDC dc = GetDC(window);
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)));
        const std::wstring text = win32::Wide(label->Caption());
        SIZE size;
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        ReleaseDC(window, dc);
        RECT client;
        GetClientRect(window, &client);
        EXPECT_LE(size.cx, client.right);
        EXPECT_EQ(FontOf(window).lfHeight, -std::lround(label->Font().Size * 96 / 72.0));
    }
    EXPECT_LT(first.Font().Size, 8.0f);
    EXPECT_GE(first.Font().Size, 6.0f);
    EXPECT_EQ(first.Font(), second.Font());
}

// ---- Controls

std::string ToolTipOf(HWND form, HWND control) {
    wchar_t text[256] = {};
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = form;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = text;
    SendMessageW(FindThreadWindow(TOOLTIPS_CLASSW, form), TTM_GETTEXTW, 256,
                 reinterpret_cast<LPARAM>(&tool));
    return win32::Utf8(text);
}

TEST(ControlWindowTest, ShowCaptionsToolTipsAndStates) {
    Form form(kDialog);
    CommandButton button(form, 1);
    button.SetCaption("Cancel");
    button.SetToolTipText("Cancel installation and Quit");
    const HWND window = WindowOf(button);
    EXPECT_EQ(TextOf(window), "Cancel");
    EXPECT_EQ(StyleOf(window) & BS_TYPEMASK, BS_PUSHBUTTON);
    EXPECT_EQ(ToolTipOf(WindowOf(form), window), "Cancel installation and Quit");
    EXPECT_TRUE(StyleOf(window) & WS_VISIBLE);
    EXPECT_TRUE(IsWindowEnabled(window));
    button.SetVisible(false);
    button.SetEnabled(false);
    EXPECT_FALSE(StyleOf(window) & WS_VISIBLE);
    EXPECT_FALSE(IsWindowEnabled(window));
    button.SetCaption("OK");
    EXPECT_EQ(TextOf(window), "OK");
}

TEST(ControlWindowTest, ProgressBarShowsBusyThenHowFar) {
    Form form(kDialog);
    ProgressBar bar(form);
    const HWND window = WindowOf(bar);
    bar.SetRange(0, 0);
    EXPECT_TRUE(StyleOf(window) & PBS_MARQUEE);
    bar.SetRange(0, 3);
    bar.SetValue(2);
    EXPECT_FALSE(StyleOf(window) & PBS_MARQUEE);
    EXPECT_EQ(SendMessageW(window, PBM_GETRANGE, FALSE, 0), 3);
    EXPECT_EQ(SendMessageW(window, PBM_GETPOS, 0, 0), 2);
}

TEST(ControlWindowTest, DriveListShowsTheDrivesAndTheOneSet) {
    Form form(kDialog);
    DriveListBox drives(form);
    drives.SetDrive("Z");
    drives.SetEnabled(false);
    const HWND window = WindowOf(drives);
    std::vector<std::string> shown;
    for (int i = 0; i < SendMessageW(window, CB_GETCOUNT, 0, 0); ++i) {
        wchar_t text[16] = {};
        SendMessageW(window, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        shown.push_back(win32::Utf8(text));
    }
    EXPECT_EQ(shown, drives.List());
    EXPECT_NE(std::find(shown.begin(), shown.end(), "c:"), shown.end());
    EXPECT_EQ(TextOf(window), "z:");
    EXPECT_EQ(StyleOf(window) & 3, CBS_DROPDOWNLIST);
    EXPECT_FALSE(IsWindowEnabled(window));
}

TEST(ControlWindowTest, FolderListDrawsItsRowsWithTheFolderSetCurrent) {
    const ScratchFolder scratch;
    std::filesystem::create_directories(scratch.Host("Viewer/b"));
    std::filesystem::create_directories(scratch.Host("Viewer/A"));
    Form form(kDialog);
    DirListBox folders(form);
    folders.Move(120, 1080, 4455, 1350);
    folders.SetPath(scratch.WindowsPath() + "\\Viewer");
    const HWND window = WindowOf(folders);
    EXPECT_TRUE(StyleOf(window) & LBS_OWNERDRAWFIXED);
    std::vector<std::string> shown;
    for (int i = 0; i < SendMessageW(window, LB_GETCOUNT, 0, 0); ++i) {
        wchar_t text[MAX_PATH] = {};
        SendMessageW(window, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        shown.push_back(win32::Utf8(text));
    }
    std::vector<std::string> rows;
    for (const auto& row : folders.Rows()) {
        rows.push_back(row.Text);
    }
    EXPECT_EQ(shown, rows);
    EXPECT_EQ(rows.back(), "b");
    EXPECT_EQ(SendMessageW(window, LB_GETCURSEL, 0, 0), folders.ListIndex());
    EXPECT_GE(SendMessageW(window, LB_GETITEMHEIGHT, 0, 0), GetSystemMetrics(SM_CYSMICON));

    // Every row is drawn: the folder's icon beside its name, the selected one highlighted.
    form.Show();
    const RECT place = PlaceOf(window);
    const std::vector<COLORREF> pixels = PixelsOf(WindowOf(form), place);
    EXPECT_GT(std::count(pixels.begin(), pixels.end(), GetSysColor(COLOR_HIGHLIGHT)), 100);
    EXPECT_GT(std::count(pixels.begin(), pixels.end(), GetSysColor(COLOR_WINDOW)), 100);
    form.Hide();
}

// ---- What assistive technology reads

struct Described {
    LONG Role = 0;
    std::string Name;
    std::string Value;
    LONG State = 0;
    bool operator==(const Described&) const = default;
};

void PrintTo(const Described& read, std::ostream* out) {
    *out << "{role " << read.Role << ", \"" << read.Name << "\", \"" << read.Value << "\"}";
}

// What a screen reader reads of a window through MSAA, as it asks for it.
Described Describe(HWND window) {
    Described read;
    IAccessible* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(window, OBJID_CLIENT, __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&object)))) {
        return read;
    }
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    VARIANT answer{};
    if (SUCCEEDED(object->get_accRole(self, &answer)) && answer.vt == VT_I4) {
        read.Role = answer.lVal;
    }
    if (SUCCEEDED(object->get_accState(self, &answer)) && answer.vt == VT_I4) {
        read.State = answer.lVal;
    }
    for (auto [part, text] : {std::pair(&IAccessible::get_accName, &read.Name),
                              std::pair(&IAccessible::get_accValue, &read.Value)}) {
        BSTR told = nullptr;
        if ((object->*part)(self, &told) == S_OK && told != nullptr) {
            *text = win32::Utf8(told);
            SysFreeString(told);
        }
    }
    object->Release();
    return read;
}

// The dialog as a screen reader meets it: a dialog, its controls' roles, names and values, the
// folder list as the read-only text of its full path.
TEST(AccessibilityTest, AScreenReaderReadsEveryControlsRoleNameAndValue) {
    const ScratchFolder scratch;
    std::filesystem::create_directories(scratch.Host("Viewer"));
    const std::string viewer = scratch.WindowsPath() + "\\Viewer";
    Form form(kDialog);
    DialogControls controls(form);
    NameAsTheDialogDoes(controls, viewer);
    std::string drive = viewer.substr(0, 1) + ":";
    std::transform(drive.begin(), drive.end(), drive.begin(), ::tolower);

    const auto read = [](HWND window) {
        Described described = Describe(window);
        described.State = 0;
        return described;
    };
    EXPECT_EQ(read(WindowOf(form)), (Described{ROLE_SYSTEM_DIALOG, "Confirm", ""}));
    EXPECT_EQ(read(WindowOf(controls.Line1)),
              (Described{ROLE_SYSTEM_STATICTEXT,
                         "Reference Images must be installed to following folder.", ""}));
    EXPECT_EQ(read(WindowOf(controls.Ok)), (Described{ROLE_SYSTEM_PUSHBUTTON, "OK", ""}));
    EXPECT_EQ(read(WindowOf(controls.Drive)),
              (Described{ROLE_SYSTEM_COMBOBOX, "Destination drive", drive}));
    EXPECT_EQ(read(WindowOf(controls.Folder)),
              (Described{ROLE_SYSTEM_TEXT, "Destination folder", viewer}));
    EXPECT_EQ(read(WindowOf(controls.Bar)),
              (Described{ROLE_SYSTEM_PROGRESSBAR, "Installation progress", "75%"}));

    const LONG folderState = Describe(WindowOf(controls.Folder)).State;
    EXPECT_TRUE(folderState & STATE_SYSTEM_READONLY);
    EXPECT_TRUE(folderState & STATE_SYSTEM_FOCUSABLE);
    EXPECT_FALSE(folderState & STATE_SYSTEM_UNAVAILABLE);
    wchar_t dialogClass[16] = {};
    GetClassNameW(WindowOf(form), dialogClass, 16);
    EXPECT_EQ(std::wstring(dialogClass), L"#32770");
}

// The list view is never shown; it holds the runtime's columns and rows once the loop turns.
TEST(ControlWindowTest, ListViewHoldsTheColumnsRowsAndSelection) {
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

// ---- Tab order

TEST(TabOrderTest, FollowsTheOrderTheControlsWereCreatedIn) {
    Form form(kDialog);
    const DialogControls controls(form);

    std::vector<HWND> order;
    for (HWND child = GetWindow(WindowOf(form), GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if (StyleOf(child) & WS_TABSTOP) {
            order.push_back(child);
        }
    }
    EXPECT_EQ(order, (std::vector<HWND>{WindowOf(controls.Drive), WindowOf(controls.Folder),
                                        WindowOf(controls.Ok), WindowOf(controls.Cancel),
                                        WindowOf(controls.List)}));
    // What the keyboard reaches: shown and enabled, in that order.
    EXPECT_EQ(GetNextDlgTabItem(WindowOf(form), WindowOf(controls.Ok), FALSE),
              WindowOf(controls.Cancel));
    EXPECT_EQ(GetNextDlgTabItem(WindowOf(form), WindowOf(controls.Cancel), FALSE),
              WindowOf(controls.Drive));
}

// ---- Modal showing, the close box, the end of the program

TEST(ModalTest, ADialogShownModallyIsCentredOverItsOwnerAndBlocksIt) {
    Form title(kTitle);
    title.Move(0, 0, ScreenWidth(), ScreenHeight());
    title.Show();
    RefusingForm dialog(kDialog);
    RECT place{};
    HWND owner = nullptr;
    bool ownerEnabled = true;
    bool refusedStaysUp = false;
    const bool expired = ShowModalFor(dialog, title, [&] {
        const HWND window = WindowOf(dialog);
        place = PlaceOf(window);
        owner = GetWindow(window, GW_OWNER);
        ownerEnabled = IsWindowEnabled(WindowOf(title));
        dialog.Refuse = true;
        SendMessageW(window, WM_CLOSE, 0, 0);  // the close box
        refusedStaysUp = IsWindowVisible(window);
        dialog.Refuse = false;
        SendMessageW(window, WM_CLOSE, 0, 0);
    });

    EXPECT_FALSE(expired);
    EXPECT_EQ(owner, WindowOf(title));
    EXPECT_FALSE(ownerEnabled);
    EXPECT_LE(std::abs((place.left + place.right) - GetSystemMetrics(SM_CXSCREEN)), 1);
    EXPECT_LE(std::abs((place.top + place.bottom) - GetSystemMetrics(SM_CYSCREEN)), 1);
    EXPECT_TRUE(refusedStaysUp);
    EXPECT_EQ(dialog.Unloads, 2);
    EXPECT_FALSE(IsWindowVisible(WindowOf(dialog)));
    EXPECT_FALSE(dialog.Visible());
    EXPECT_TRUE(IsWindowVisible(WindowOf(title)));
    EXPECT_TRUE(IsWindowEnabled(WindowOf(title)));
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
    EXPECT_FALSE(IsWindowVisible(WindowOf(title)));
    EXPECT_FALSE(IsWindowVisible(WindowOf(dialog)));
    EXPECT_TRUE(IsWindowEnabled(WindowOf(title)));
}

TEST(ModalTest, WorkPostedForTheNextTurnRunsWhileWindowsRepaint) {
    bool ran = false;
    RunOnNextTurn([&] { ran = true; });
    LetWindowsRepaint();
    EXPECT_TRUE(ran);
}

}  // namespace
}  // namespace vantrel::test
