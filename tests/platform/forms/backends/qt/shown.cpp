// What the Qt backend shows, read from its widgets (see shown.h).

#include "platform/forms/backends/shown.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <iterator>
#include <utility>

#include "platform/forms/backends/qt/control_peers.h"
#include "platform/forms/backends/qt/form_window.h"
#include "platform/forms/backends/qt/qt_test_support.h"
#include "platform/forms/runtime.h"

namespace vantrel::test {
namespace {

template <class Widget>
const Widget& As(const Control& control) {
    return *static_cast<const Widget*>(WidgetOf(control));
}

PixelRect PixelsOf(const QRect& rect) {
    return {rect.x(), rect.y(), rect.width(), rect.height()};
}

// The tree's items in the order they are drawn, top to bottom.
std::vector<const QTreeWidgetItem*> ItemsInOrder(const QTreeWidget& tree) {
    std::vector<const QTreeWidgetItem*> items;
    const auto add = [&](const auto& self, const QTreeWidgetItem* item) -> void {
        items.push_back(item);
        for (int child = 0; child < item->childCount(); ++child) {
            self(self, item->child(child));
        }
    };
    for (int top = 0; top < tree.topLevelItemCount(); ++top) {
        add(add, tree.topLevelItem(top));
    }
    return items;
}

QAccessibleInterface* AccessibleOf(WindowHandle window) {
    return QAccessible::queryAccessibleInterface(
        const_cast<QObject*>(static_cast<const QObject*>(static_cast<const QWidget*>(window))));
}

AccessibleRole RoleOf(QAccessible::Role role) {
    static const std::pair<QAccessible::Role, AccessibleRole> kRoles[] = {
        {QAccessible::Window, AccessibleRole::Window},
        {QAccessible::Dialog, AccessibleRole::Dialog},
        {QAccessible::StaticText, AccessibleRole::StaticText},
        {QAccessible::EditableText, AccessibleRole::EditableText},
        {QAccessible::Button, AccessibleRole::Button},
        {QAccessible::ComboBox, AccessibleRole::ComboBox},
        {QAccessible::ProgressBar, AccessibleRole::ProgressBar}};
    for (const auto& [qt, ours] : kRoles) {
        if (qt == role) {
            return ours;
        }
    }
    return AccessibleRole::Other;
}

// In the order of Key.
struct KeyStroke {
    Qt::Key Key;
    Qt::KeyboardModifiers Modifiers;
} const kStrokes[] = {{Qt::Key_Return, Qt::NoModifier},     {Qt::Key_Enter, Qt::KeypadModifier},
                      {Qt::Key_Space, Qt::NoModifier},      {Qt::Key_Escape, Qt::NoModifier},
                      {Qt::Key_Return, Qt::AltModifier},    {Qt::Key_Return, Qt::ShiftModifier},
                      {Qt::Key_A, Qt::NoModifier},          {Qt::Key_Tab, Qt::NoModifier},
                      {Qt::Key_Backtab, Qt::ShiftModifier}, {Qt::Key_Up, Qt::NoModifier},
                      {Qt::Key_Down, Qt::NoModifier},       {Qt::Key_Home, Qt::NoModifier},
                      {Qt::Key_End, Qt::NoModifier}};
static_assert(std::size(kStrokes) == static_cast<std::size_t>(Key::End) + 1);

// The window the user works with: the modal one, else the active one.
QWidget* WorkingWindow() {
    QWidget* window = QApplication::activeModalWidget();
    return window != nullptr ? window : QApplication::activeWindow();
}

}  // namespace

WindowHandle HandleOf(const Form& form) {
    return WindowOf(form);
}

WindowHandle HandleOf(const Control& control) {
    return WidgetOf(control);
}

WindowHandle ParentOf(const Control& control) {
    return WidgetOf(control)->parentWidget();
}

// Offscreen no window is ever active to the platform; the modal window's own focus is the one
// its keys go to.
WindowHandle FocusedWindow() {
    const QWidget* window = WorkingWindow();
    return window != nullptr ? window->focusWidget() : QApplication::focusWidget();
}

std::string TitleOf(const Form& form) {
    return WindowOf(form)->windowTitle().toStdString();
}

// Without a frame there is no border to size the window by.
Frame FrameOf(const Form& form) {
    const FormWindow& window = *WindowOf(form);
    const Qt::WindowFlags flags = window.windowFlags();
    const bool framed = !flags.testFlag(Qt::FramelessWindowHint);
    return {.TopLevel = window.isWindow(),
            .Border = framed,
            .TitleBar = framed,
            .CloseBox = flags.testFlag(Qt::WindowCloseButtonHint),
            .MinimizeBox = flags.testFlag(Qt::WindowMinimizeButtonHint),
            .MaximizeBox = flags.testFlag(Qt::WindowMaximizeButtonHint),
            .HelpBox = flags.testFlag(Qt::WindowContextHelpButtonHint),
            .Resizable = framed && window.minimumSize() != window.maximumSize(),
            .DialogFrame = window.windowType() == Qt::Dialog};
}

PixelSize ClientSizeOf(const Form& form) {
    const QSize size = WindowOf(form)->size();
    return {size.width(), size.height()};
}

PixelRect ScreenPlaceOf(const Form& form) {
    return PixelsOf(WindowOf(form)->frameGeometry());
}

PixelSize ScreenSize() {
    const QSize size = QGuiApplication::primaryScreen()->size();
    return {size.width(), size.height()};
}

bool IsShown(const Form& form) {
    return WindowOf(form)->isVisible();
}

bool BlocksItsOwner(const Form& form) {
    const FormWindow& window = *WindowOf(form);
    return window.isVisible() && window.windowModality() == Qt::ApplicationModal;
}

WindowHandle OwnerOf(const Form& form) {
    return WindowOf(form)->parentWidget();
}

void UseTheCloseBox(Form& form) {
    WindowOf(form)->close();
}

// A timer of the function's own: it never fires once the show is over.
bool ShowModalFor(Form& form, Form& owner, const std::function<void()>& inside, unsigned grace) {
    bool expired = false;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, [&] {
        if (form.Visible()) {
            expired = true;
            form.Hide();
        }
    });
    RunOnNextTurn([&] {
        inside();
        deadline.start(static_cast<int>(grace));
    });
    form.ShowModal(owner);
    return expired;
}

PixelRect PlaceOf(const Control& control) {
    return PixelsOf(WidgetOf(control)->geometry());
}

std::string TextOf(const Control& control) {
    const QWidget* widget = WidgetOf(control);
    if (const auto* label = qobject_cast<const QLabel*>(widget)) {
        return label->text().toStdString();
    }
    if (const auto* combo = qobject_cast<const QComboBox*>(widget)) {
        return combo->currentText().toStdString();
    }
    return static_cast<const QAbstractButton*>(widget)->text().toStdString();
}

std::string ToolTipOf(const Control& control) {
    return WidgetOf(control)->toolTip().toStdString();
}

bool IsVisible(const Control& control) {
    return !WidgetOf(control)->isHidden();
}

bool IsEnabled(const Control& control) {
    return WidgetOf(control)->isEnabled();
}

// Italic as asked, and as the font found for it.
FontShown FontOf(const Control& control) {
    const QFont font = WidgetOf(control)->font();
    return {font.family().toStdString(), font.pointSizeF(), font.weight() == QFont::Bold,
            font.italic() && QFontInfo(font).italic()};
}

FontShown AsShown(const StdFont& font) {
    return {font.Name, font.Size, font.Bold, font.Italic};
}

double TextWidthOf(const Label& label) {
    return QFontMetricsF(WidgetOf(label)->font())
        .horizontalAdvance(QString::fromStdString(label.Caption()));
}

LabelLook LookOf(const Label& label) {
    const auto& widget = As<QLabel>(label);
    return {.PlainText = widget.textFormat() == Qt::PlainText,
            .OneLine = !widget.wordWrap(),
            .TextInButtonFace = widget.palette().color(QPalette::WindowText) ==
                                QApplication::palette().color(QPalette::Button),
            .FormColourShowsThrough = !widget.autoFillBackground()};
}

// Qt shows a range of 0 to 0 as busy.
Progress ProgressOf(const ProgressBar& bar) {
    const auto& widget = As<QProgressBar>(bar);
    return {.Busy = widget.minimum() == 0 && widget.maximum() == 0,
            .Maximum = widget.maximum(),
            .Value = widget.value()};
}

std::vector<std::string> ItemsOf(const DriveListBox& list) {
    const auto& combo = As<QComboBox>(list);
    std::vector<std::string> shown;
    for (int i = 0; i < combo.count(); ++i) {
        shown.push_back(combo.itemText(i).toStdString());
    }
    return shown;
}

std::vector<std::string> RowsOf(const DirListBox& list) {
    std::vector<std::string> rows;
    for (const QTreeWidgetItem* item : ItemsInOrder(As<QTreeWidget>(list))) {
        rows.push_back(item->text(0).toStdString());
    }
    return rows;
}

int CurrentRowOf(const DirListBox& list) {
    const auto& tree = As<QTreeWidget>(list);
    const auto items = ItemsInOrder(tree);
    const auto current = std::find(items.begin(), items.end(), tree.currentItem());
    return current != items.end() ? static_cast<int>(current - items.begin()) : -1;
}

std::vector<WindowHandle> TabStopsOf(const Form& form) {
    std::vector<WindowHandle> order;
    QWidget* window = WindowOf(form);
    for (QWidget* widget = window->nextInFocusChain(); widget != window;
         widget = widget->nextInFocusChain()) {
        if (widget->focusPolicy() & Qt::TabFocus) {
            order.push_back(widget);
        }
    }
    return order;
}

Accessible Read(WindowHandle window) {
    QAccessibleInterface* read = AccessibleOf(window);
    return {RoleOf(read->role()), read->text(QAccessible::Name).toStdString(),
            read->text(QAccessible::Value).toStdString()};
}

std::string DescriptionOf(WindowHandle window) {
    return AccessibleOf(window)->text(QAccessible::Description).toStdString();
}

AccessibleState StateOf(WindowHandle window) {
    const QAccessible::State state = AccessibleOf(window)->state();
    return {.ReadOnly = state.readOnly != 0,
            .Focusable = state.focusable != 0,
            .Unavailable = state.disabled != 0};
}

void Focus(const Control& control) {
    WidgetOf(control)->setFocus();
}

void Press(Key key) {
    const KeyStroke& stroke = kStrokes[static_cast<int>(key)];
    QWidget* target = const_cast<QWidget*>(static_cast<const QWidget*>(FocusedWindow()));
    QKeyEvent press(QEvent::KeyPress, stroke.Key, stroke.Modifiers);
    QKeyEvent release(QEvent::KeyRelease, stroke.Key, stroke.Modifiers);
    QApplication::sendEvent(target, &press);
    QApplication::sendEvent(target, &release);
}

}  // namespace vantrel::test
