#include "platform/forms/backends/win32/control_peers.h"

#include <commctrl.h>
#include <oleacc.h>
#include <shellapi.h>

#include <algorithm>

#include "platform/forms/backends/win32/form_window.h"
#include "platform/forms/command_button.h"
#include "platform/forms/dir_list_box.h"
#include "platform/forms/drive_list_box.h"
#include "platform/forms/label.h"
#include "platform/forms/list_view.h"
#include "platform/forms/progress_bar.h"

namespace vantrel::win32 {
namespace {

// The font first: how some controls place themselves depends on it.
constexpr Property kEveryProperty[] = {
    Property::Font,      Property::Position,  Property::Visible,
    Property::Enabled,   Property::Caption,   Property::ToolTip,
    Property::ForeColor, Property::BackStyle, Property::Content,
};

constexpr wchar_t kPeerProperty[] = L"VantrelControlPeer";

// Control identifiers start above those a dialog gives its OK and Cancel buttons.
UINT_PTR NextControlId() {
    static UINT_PTR id = 1000;
    return id++;
}

LONG Width(const RECT& rect) {
    return rect.right - rect.left;
}

LONG Height(const RECT& rect) {
    return rect.bottom - rect.top;
}

// The control's place in its parent's client area.
RECT PlaceInParent(HWND control) {
    RECT place;
    GetWindowRect(control, &place);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&place), 2);
    return place;
}

// The shell's small folder icon. Where the shell answers the stock icon without a picture (as
// Wine does), its own resource: the closed folder is 4, the open one 5.
HICON FolderIcon(bool open) {
    SHSTOCKICONINFO info{};
    info.cbSize = sizeof info;
    if (SUCCEEDED(SHGetStockIconInfo(open ? SIID_FOLDEROPEN : SIID_FOLDER,
                                     SHGSI_ICON | SHGSI_SMALLICON, &info)) &&
        info.hIcon != nullptr) {
        return info.hIcon;
    }
    return static_cast<HICON>(
        LoadImageW(GetModuleHandleW(L"shell32.dll"), MAKEINTRESOURCEW(open ? 5 : 4), IMAGE_ICON,
                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
}

int ListViewFormat(ColumnAlignment alignment) {
    switch (alignment) {
        case ColumnAlignment::Right:
            return LVCFMT_RIGHT;
        case ColumnAlignment::Center:
            return LVCFMT_CENTER;
        case ColumnAlignment::Left:
            break;
    }
    return LVCFMT_LEFT;
}

}  // namespace

// ---- Every control

ChildPeer::ChildPeer(const Control& control, FormWindowPeer& form, const wchar_t* windowClass,
                     DWORD style, DWORD extendedStyle)
    : control_(control), form_(form) {
    const RECT place = PixelRect(control.Place());
    window_ = CreateWindowExW(extendedStyle, windowClass, L"", style | WS_CHILD | WS_CLIPSIBLINGS,
                              place.left, place.top, Width(place), Height(place), form.Handle(),
                              reinterpret_cast<HMENU>(NextControlId()), GetModuleHandleW(nullptr),
                              nullptr);
    SetPropW(window_, kPeerProperty, this);
    systemProcedure_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
        window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ChildPeer::WindowProc)));
    SetWindowPos(window_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

ChildPeer::~ChildPeer() {
    SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(systemProcedure_));
    RemovePropW(window_, kPeerProperty);
    DestroyWindow(window_);
}

AccessibleFacts ChildPeer::Accessible() const {
    AccessibleFacts facts;
    if (!control_.AccessibleName().empty()) {
        facts.Name = Wide(control_.AccessibleName());
    }
    if (!control_.ToolTipText().empty()) {
        facts.Description = Wide(control_.ToolTipText());
    }
    return facts;
}

// A read-only control takes no key or click. Tab still moves on from it, since the forms' loop
// handles Tab before any control sees it, and Alt+F4, a system key, still closes the window.
LRESULT CALLBACK ChildPeer::WindowProc(HWND window, UINT message, WPARAM wParam,
                                       LPARAM lParam) noexcept {
    const ChildPeer& self = *ChildPeer::Of(window);
    switch (message) {
        case WM_GETOBJECT: {
            const LRESULT answer = AnswerGetObject(window, wParam, lParam, [](HWND described) {
                const ChildPeer* shown = ChildPeer::Of(described);
                return shown != nullptr ? shown->Accessible() : AccessibleFacts{};
            });
            if (answer != 0) {
                return answer;
            }
            break;
        }
        case WM_KEYDOWN:
        case WM_CHAR:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            if (self.ReadOnly()) {
                return 0;
            }
            break;
        default:
            break;
    }
    return CallWindowProcW(self.systemProcedure_, window, message, wParam, lParam);
}

ChildPeer* ChildPeer::Of(HWND window) {
    return window != nullptr ? static_cast<ChildPeer*>(GetPropW(window, kPeerProperty)) : nullptr;
}

void ChildPeer::ShowAll() {
    for (const Property what : kEveryProperty) {
        Changed(what);
    }
}

void ChildPeer::Changed(Property what) {
    switch (what) {
        case Property::Position:
            Place(PixelRect(control_.Place()));
            break;
        case Property::Visible:
            ShowWindow(window_, control_.Visible() ? SW_SHOWNA : SW_HIDE);
            break;
        case Property::Enabled:
            EnableWindow(window_, control_.Enabled() ? TRUE : FALSE);
            break;
        case Property::ToolTip:
            form_.SetToolTip(window_, control_.ToolTipText());
            break;
        case Property::Font: {
            UniqueFont font = CreateFontOf(control_.Font());
            SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
            font_ = std::move(font);  // the control used the old one until now
            break;
        }
        default:
            break;
    }
    ShowOwn(what);
}

void ChildPeer::Place(const RECT& pixels) {
    SetWindowPos(window_, nullptr, pixels.left, pixels.top, Width(pixels), Height(pixels),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND WindowOf(const Control& control) {
    const auto* peer = dynamic_cast<const ChildPeer*>(control.Peer());
    return peer != nullptr ? peer->Handle() : nullptr;
}

// ---- Labels

LabelPeer::LabelPeer(const Label& label, FormWindowPeer& form)
    : ChildPeer(label, form, L"STATIC", SS_LEFTNOWORDWRAP | SS_NOPREFIX), label_(label) {
    ShowAll();
}

void LabelPeer::ShowOwn(Property what) {
    switch (what) {
        case Property::Caption:
            SetWindowTextW(Handle(), Wide(label_.Caption()).c_str());
            break;
        case Property::Position:
        case Property::Font:
        case Property::ForeColor:
        case Property::BackStyle:
            break;
        default:
            return;
    }
    InvalidateRect(Handle(), nullptr, TRUE);
    if (label_.BackStyle() == Background::Transparent) {
        RepaintWhatLiesBehind();
    }
}

AccessibleFacts LabelPeer::Accessible() const {
    AccessibleFacts facts = ChildPeer::Accessible();
    facts.Role = ROLE_SYSTEM_STATICTEXT;
    return facts;
}

HBRUSH LabelPeer::ControlColors(HDC dc) {
    SetTextColor(dc, ToColorRef(label_.ForeColor()));
    if (label_.BackStyle() == Background::Transparent) {
        SetBkMode(dc, TRANSPARENT);
        return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    }
    SetBkColor(dc, FormWindow().BackColor());
    return FormWindow().BackBrush();
}

// A transparent label draws over whatever was there: what lies behind it is painted first.
void LabelPeer::RepaintWhatLiesBehind() {
    const RECT place = PlaceInParent(Handle());
    RedrawWindow(FormWindow().Handle(), &place, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// ---- Command buttons

CommandButtonPeer::CommandButtonPeer(CommandButton& button, FormWindowPeer& form)
    : ChildPeer(button, form, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP), button_(button) {
    ShowAll();
}

void CommandButtonPeer::Command(WORD code) {
    if (code == BN_CLICKED) {
        button_.Click();
    }
}

AccessibleFacts CommandButtonPeer::Accessible() const {
    AccessibleFacts facts = ChildPeer::Accessible();
    facts.Role = ROLE_SYSTEM_PUSHBUTTON;
    return facts;
}

void CommandButtonPeer::ShowOwn(Property what) {
    if (what == Property::Caption) {
        SetWindowTextW(Handle(), Wide(button_.Caption()).c_str());
    }
}

// ---- The drive list

namespace {

// Rows of the list while it is dropped down.
constexpr int kDroppedRows = 8;

}  // namespace

DriveListPeer::DriveListPeer(const DriveListBox& list, FormWindowPeer& form)
    : ChildPeer(list, form, WC_COMBOBOXW, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP), list_(list) {
    ShowAll();
}

// Named by its control rather than by the label before it, with the drive shown as its value.
AccessibleFacts DriveListPeer::Accessible() const {
    AccessibleFacts facts = ChildPeer::Accessible();
    facts.Role = ROLE_SYSTEM_COMBOBOX;
    const int index = list_.ListIndex();
    if (index >= 0 && static_cast<std::size_t>(index) < list_.List().size()) {
        facts.Value = Wide(list_.List()[static_cast<std::size_t>(index)]);
    }
    return facts;
}

void DriveListPeer::ShowOwn(Property what) {
    if (what == Property::Font) {
        Place(PixelRect(list_.Place()));
    }
    if (what != Property::Content) {
        return;
    }
    SendMessageW(Handle(), CB_RESETCONTENT, 0, 0);
    for (const auto& drive : list_.List()) {
        SendMessageW(Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(drive).c_str()));
    }
    SendMessageW(Handle(), CB_SETCURSEL, static_cast<WPARAM>(list_.ListIndex()), 0);
}

// A drop-down list's window is as high as its selection field, whatever it is given; the
// height given is that of the list dropped down. The field is made as high as the control. How
// the field's height relates to the one asked for differs between systems (Wine keeps two pixels
// more than it answers), so it is asked again until the window has the height.
void DriveListPeer::Place(const RECT& pixels) {
    const LONG height = Height(pixels);
    SetWindowPos(Handle(), nullptr, pixels.left, pixels.top, Width(pixels),
                 height * (kDroppedRows + 1), SWP_NOZORDER | SWP_NOACTIVATE);
    auto request =
        static_cast<LONG>(SendMessageW(Handle(), CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
    for (int attempt = 0; attempt < 3 && request > 0; ++attempt) {
        RECT closed;
        GetWindowRect(Handle(), &closed);
        if (Height(closed) == height) {
            break;
        }
        request = std::max<LONG>(1, request + height - Height(closed));
        SendMessageW(Handle(), CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), request);
    }
}

// ---- The folder list

DirListPeer::DirListPeer(const DirListBox& list, FormWindowPeer& form)
    : ChildPeer(
          list, form, L"LISTBOX",
          LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP,
          WS_EX_CLIENTEDGE),
      list_(list),
      openFolder_(FolderIcon(true)),
      closedFolder_(FolderIcon(false)) {
    ShowAll();
}

DirListPeer::~DirListPeer() {
    for (const HICON icon : {openFolder_, closedFolder_}) {
        if (icon != nullptr) {
            DestroyIcon(icon);
        }
    }
}

void DirListPeer::Changed(Property what) {
    if (what == Property::Enabled) {
        InvalidateRect(Handle(), nullptr, TRUE);  // greyed or not, the window stays enabled
        return;
    }
    ChildPeer::Changed(what);
}

AccessibleFacts DirListPeer::Accessible() const {
    AccessibleFacts facts = ChildPeer::Accessible();
    facts.Role = ROLE_SYSTEM_TEXT;
    facts.Value = Wide(list_.Path());
    facts.ReadOnly = ReadOnly();
    facts.Leaf = true;  // the rows only repeat the path a folder at a time
    return facts;
}

bool DirListPeer::ReadOnly() const {
    return !list_.Enabled();
}

void DirListPeer::ShowOwn(Property what) {
    if (what == Property::Font) {
        SizeRows();
    }
    if (what != Property::Content) {
        return;
    }
    SendMessageW(Handle(), LB_RESETCONTENT, 0, 0);
    for (const auto& row : list_.Rows()) {
        SendMessageW(Handle(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(row.Text).c_str()));
    }
    SendMessageW(Handle(), LB_SETCURSEL, static_cast<WPARAM>(list_.ListIndex()), 0);
    NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, Handle(), OBJID_CLIENT, CHILDID_SELF);
}

// A row holds a small icon and a line of the font, with a pixel to spare above and below.
void DirListPeer::SizeRows() {
    const LONG text = TextExtent(Font(), "Ag").cy;
    const LONG row = std::max<LONG>(GetSystemMetrics(SM_CYSMICON), text) + 2;
    SendMessageW(Handle(), LB_SETITEMHEIGHT, 0, row);
}

void DirListPeer::DrawItem(const DRAWITEMSTRUCT& item) {
    const auto& rows = list_.Rows();
    if (item.itemID >= rows.size()) {
        return;
    }
    const DirListBox::Row& row = rows[item.itemID];
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    const bool enabled = list_.Enabled();
    const int background = selected ? (enabled ? COLOR_HIGHLIGHT : COLOR_BTNFACE) : COLOR_WINDOW;
    const int foreground = !enabled   ? COLOR_GRAYTEXT
                           : selected ? COLOR_HIGHLIGHTTEXT
                                      : COLOR_WINDOWTEXT;
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(background));

    const int icon = GetSystemMetrics(SM_CXSMICON);
    const LONG indent = TextExtent(Font(), "m").cx;
    RECT text = item.rcItem;
    text.left += 2 + row.Level * indent;
    if (const HICON folder = row.OnPath ? openFolder_ : closedFolder_) {
        DrawIconEx(item.hDC, text.left, text.top + (Height(text) - icon) / 2, folder, icon, icon, 0,
                   nullptr, DI_NORMAL);
    }
    text.left += icon + 4;
    const HGDIOBJ previousFont = SelectObject(item.hDC, Font());
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, GetSysColor(foreground));
    const std::wstring name = Wide(row.Text);
    DrawTextW(item.hDC, name.c_str(), static_cast<int>(name.size()), &text,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    SelectObject(item.hDC, previousFont);
    if ((item.itemState & ODS_FOCUS) != 0) {
        DrawFocusRect(item.hDC, &item.rcItem);
    }
}

// ---- The list view

ListViewPeer::ListViewPeer(const ListView& list, FormWindowPeer& form)
    : ChildPeer(list, form, WC_LISTVIEWW,
                LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_TABSTOP, WS_EX_CLIENTEDGE),
      list_(list) {
    SendMessageW(Handle(), LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_INFOTIP | LVS_EX_FULLROWSELECT,
                 LVS_EX_INFOTIP | LVS_EX_FULLROWSELECT);
    ShowAll();
}

// A column's width is set through a reference to it, which tells nobody: any change, the list
// being moved included, has the columns read again too.
void ListViewPeer::ShowOwn(Property what) {
    if ((what == Property::Content || what == Property::Position) && !pending_) {
        pending_ = true;
        FormWindow().SynchronizeLater(Handle());
    }
}

void ListViewPeer::Synchronize() {
    pending_ = false;
    SynchronizeColumns();
    for (std::size_t index = 0; index < list_.ListItems().size(); ++index) {
        SynchronizeRow(index);
    }
}

void ListViewPeer::SynchronizeColumns() {
    const auto& columns = list_.ColumnHeaders();
    const int dpi = ScreenDpi().Across;
    for (std::size_t index = 0; index < columns.size(); ++index) {
        const int width = TwipsToPixels(columns[index].Width, dpi);
        const auto column = static_cast<int>(index);
        if (index < columns_) {
            SendMessageW(Handle(), LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), width);
            continue;
        }
        std::wstring text = Wide(columns[index].Text);
        LVCOLUMNW header{};
        header.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        header.fmt = ListViewFormat(columns[index].Alignment);
        header.cx = width;
        header.pszText = text.data();
        header.iSubItem = column;
        SendMessageW(Handle(), LVM_INSERTCOLUMNW, static_cast<WPARAM>(column),
                     reinterpret_cast<LPARAM>(&header));
    }
    columns_ = std::max(columns_, columns.size());
}

// Only what differs from what the control holds is written.
void ListViewPeer::SynchronizeRow(std::size_t index) {
    const ListItem& item = list_.ListItems()[index];
    const auto row = static_cast<int>(index);
    if (index >= rows_.size()) {
        LVITEMW added{};
        added.mask = LVIF_TEXT;
        added.iItem = row;
        std::wstring text = Wide(item.Text());
        added.pszText = text.data();
        SendMessageW(Handle(), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&added));
        rows_.push_back({{item.Text()}, false});
    }
    Mirrored& mirrored = rows_[index];
    const std::size_t texts = std::max<std::size_t>(1, list_.ColumnHeaders().size());
    mirrored.Texts.resize(texts);
    for (std::size_t column = 0; column < texts; ++column) {
        const std::string& text =
            column == 0 ? item.Text() : item.SubItems(static_cast<int>(column));
        if (mirrored.Texts[column] == text) {
            continue;
        }
        std::wstring wide = Wide(text);
        LVITEMW cell{};
        cell.iSubItem = static_cast<int>(column);
        cell.pszText = wide.data();
        SendMessageW(Handle(), LVM_SETITEMTEXTW, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&cell));
        mirrored.Texts[column] = text;
    }
    if (mirrored.Selected != item.Selected()) {
        LVITEMW state{};
        state.stateMask = LVIS_SELECTED;
        state.state = item.Selected() ? LVIS_SELECTED : 0;
        SendMessageW(Handle(), LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&state));
        mirrored.Selected = item.Selected();
    }
}

// The row's tool tip, when the control asks for it.
LRESULT ListViewPeer::Notify(NMHDR& notice) {
    if (notice.code != LVN_GETINFOTIPW) {
        return 0;
    }
    auto& tip = reinterpret_cast<NMLVGETINFOTIPW&>(notice);
    const auto& items = list_.ListItems();
    if (tip.iItem < 0 || static_cast<std::size_t>(tip.iItem) >= items.size() ||
        tip.cchTextMax <= 0) {
        return 0;
    }
    const std::wstring text = Wide(items[static_cast<std::size_t>(tip.iItem)].ToolTipText());
    const auto length =
        std::min<std::size_t>(text.size(), static_cast<std::size_t>(tip.cchTextMax) - 1);
    std::copy_n(text.c_str(), length, tip.pszText);
    tip.pszText[length] = L'\0';
    return 0;
}

// ---- The progress bar

ProgressBarPeer::ProgressBarPeer(const ProgressBar& bar, FormWindowPeer& form)
    : ChildPeer(bar, form, PROGRESS_CLASSW, 0), bar_(bar) {
    ShowAll();
}

// How far the work has come, in per cent, as Windows tells of a progress bar; nothing while
// the bar is only busy.
AccessibleFacts ProgressBarPeer::Accessible() const {
    AccessibleFacts facts = ChildPeer::Accessible();
    facts.Role = ROLE_SYSTEM_PROGRESSBAR;
    const long long range = static_cast<long long>(bar_.Max()) - bar_.Min();
    if (range > 0) {
        const long long done = static_cast<long long>(bar_.Value()) - bar_.Min();
        facts.Value = std::to_wstring((done * 100 + range / 2) / range) + L"%";
    } else {
        facts.Value = L"";
    }
    return facts;
}

void ProgressBarPeer::ShowOwn(Property what) {
    if (what != Property::Content) {
        return;
    }
    const LONG_PTR style = GetWindowLongPtrW(Handle(), GWL_STYLE);
    if (bar_.Min() == bar_.Max()) {
        SetWindowLongPtrW(Handle(), GWL_STYLE, style | PBS_MARQUEE);
        SendMessageW(Handle(), PBM_SETMARQUEE, TRUE, 0);
        return;
    }
    SendMessageW(Handle(), PBM_SETMARQUEE, FALSE, 0);
    SetWindowLongPtrW(Handle(), GWL_STYLE, style & ~static_cast<LONG_PTR>(PBS_MARQUEE));
    SendMessageW(Handle(), PBM_SETRANGE32, static_cast<WPARAM>(bar_.Min()), bar_.Max());
    SendMessageW(Handle(), PBM_SETPOS, static_cast<WPARAM>(bar_.Value()), 0);
}

}  // namespace vantrel::win32
