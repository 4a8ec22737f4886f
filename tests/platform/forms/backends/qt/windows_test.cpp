// Forms and controls as the Qt backend shows them: pixel geometry at 96 dots per inch, window
// flags, colours and fonts, what the controls show, the tab order, modal showing and the screen.

#include <gtest/gtest.h>

#include <QAccessible>
#include <QComboBox>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTreeWidget>
#include <filesystem>
#include <functional>
#include <map>
#include <tuple>

#include "platform/forms/backend_cases.h"
#include "platform/forms/backends/qt/control_peers.h"
#include "platform/forms/backends/qt/conversions.h"
#include "platform/forms/backends/qt/form_window.h"
#include "platform/forms/backends/qt/qt_test_support.h"
#include "platform/forms/command_button.h"
#include "platform/forms/dir_list_box.h"
#include "platform/forms/drive_list_box.h"
#include "platform/forms/label.h"
#include "platform/forms/list_view.h"
#include "platform/forms/program.h"
#include "platform/forms/progress_bar.h"
#include "support/posix/temp_prefix.h"
#include "support/program_recorders.h"

namespace vantrel::test {
namespace {

namespace fs = std::filesystem;

TEST(QtApplicationTest, TakesNothingFromACommandLineButTheProgramsName) {
    EXPECT_EQ(QCoreApplication::arguments(), QStringList{kProgramName});
    EXPECT_EQ(QGuiApplication::layoutDirection(), Qt::LeftToRight);
    EXPECT_EQ(LogicalDpi(), 96.0);
}

TEST(QtApplicationTest, IsVantrelVersionOneWithTheProgramsIconOnEveryWindow) {
    EXPECT_EQ(QCoreApplication::applicationName().toStdString(), "Vantrel");
    EXPECT_EQ(QCoreApplication::applicationVersion().toStdString(), "1.00");
    EXPECT_TRUE(QGuiApplication::desktopFileName().isEmpty());  // no menu entry to tie to
    for (const int size : {16, 32, 256}) {
        const QString file = QStringLiteral(":/vantrel/vantrel-%1.png").arg(size);
        EXPECT_EQ(QImage(file).size(), QSize(size, size)) << file.toStdString();
    }
    const QIcon icon = QApplication::windowIcon();
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.pixmap(32).size(), QSize(32, 32));
    const Form form(kDialog);
    EXPECT_EQ(WindowOf(form)->windowIcon().cacheKey(), icon.cacheKey());
}

// ---- Geometry

class GeometryTest : public ::testing::TestWithParam<Placement> {};

TEST_P(GeometryTest, FollowsTheTwipsAtTheScreensResolution) {
    Form form(kDialog);
    const auto control = GetParam().Create(form);
    control->Move(GetParam().Twips.Left, GetParam().Twips.Top, GetParam().Twips.Width,
                  GetParam().Twips.Height);
    ASSERT_NE(WidgetOf(*control), nullptr);
    EXPECT_EQ(WidgetOf(*control)->geometry(),
              QRect(GetParam().Left, GetParam().Top, GetParam().Width, GetParam().Height));
    EXPECT_EQ(WidgetOf(*control)->parentWidget(), WindowOf(form));
}

INSTANTIATE_TEST_SUITE_P(Controls, GeometryTest, ::testing::ValuesIn(kPlacements),
                         [](const auto& info) { return std::string(info.param.Name); });

// ---- Windows

TEST(FormWindowTest, AFixedDialogHasACloseBoxOnlyAndAFixedClientArea) {
    Form form(kDialog);
    const FormWindow& window = *WindowOf(form);
    const Qt::WindowFlags flags = window.windowFlags();
    EXPECT_EQ(window.windowTitle().toStdString(), "Confirm");
    EXPECT_EQ(window.windowType(), Qt::Dialog);
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowContextHelpButtonHint));
    EXPECT_EQ(window.size(), QSize(312, 206));
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    EXPECT_FALSE(window.autoFillBackground());
    form.SetCaption("Other");
    EXPECT_EQ(window.windowTitle().toStdString(), "Other");
}

TEST(FormWindowTest, ABorderlessFormPaintsItsOwnColour) {
    Form form(kTitle);
    const FormWindow& window = *WindowOf(form);
    EXPECT_EQ(window.windowTitle().toStdString(), "Form1");
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(window.autoFillBackground());
    EXPECT_EQ(window.palette().color(QPalette::Window), QColor(0, 0, 192));
    EXPECT_EQ(window.size(), QSize(779, 465));
}

TEST(FormWindowTest, MovedOverTheWholeScreenItCoversIt) {
    Form form(kTitle);
    const QSize screen = QGuiApplication::primaryScreen()->size();
    EXPECT_EQ(ScreenWidth(), screen.width() * 15.0f);
    EXPECT_EQ(ScreenHeight(), screen.height() * 15.0f);
    form.Move(0, 0, ScreenWidth(), ScreenHeight());
    form.Show();
    EXPECT_TRUE(WindowOf(form)->isVisible());
    EXPECT_EQ(WindowOf(form)->geometry(), QRect(QPoint(0, 0), screen));
    form.Hide();
    EXPECT_FALSE(WindowOf(form)->isVisible());
}

TEST(FormWindowTest, TitleLabelsInGeorgiaInTheButtonFaceColourLetTheBlueShowThrough) {
    Form form(kTitle);
    Label label(form);
    label.SetCaption("ZORVIK-Viewer");
    label.SetFont({"Georgia", 36, true, true});
    label.SetForeColor(kButtonFace);
    label.SetBackStyle(Background::Transparent);
    const auto& widget = *static_cast<QLabel*>(WidgetOf(label));
    EXPECT_EQ(widget.text().toStdString(), "ZORVIK-Viewer");
    EXPECT_EQ(widget.textFormat(), Qt::PlainText);
    EXPECT_EQ(widget.font().family().toStdString(), "Georgia");
    EXPECT_EQ(widget.font().pointSize(), 36);
    EXPECT_EQ(widget.font().weight(), QFont::Bold);
    EXPECT_TRUE(widget.font().italic());
    EXPECT_TRUE(QFontInfo(widget.font()).italic());
    EXPECT_EQ(widget.palette().color(QPalette::WindowText),
              QApplication::palette().color(QPalette::Button));
    EXPECT_FALSE(widget.autoFillBackground());
}

// Lines that run wider than their labels in the stand-in font shrink until they fit.
TEST(FormWindowTest, FittedCaptionsFitTheirWidgets) {
    Form form(kDialog);
    Label first(form), second(form);
    first.Move(120, 120, 4455, 255);
    second.Move(120, 360, 4455, 255);
    first.SetCaption("Reference Images must be installed to following folder, if at all.");
    second.SetCaption("Short.");
    FitCaptionsToWidth({&first, &second});
    for (const Label* label : {&first, &second}) {
        const QWidget& widget = *WidgetOf(*label);
        EXPECT_LE(QFontMetricsF(widget.font())
                      .horizontalAdvance(QString::fromStdString(label->Caption())),
                  widget.width());
        EXPECT_EQ(widget.font().pointSizeF(), label->Font().Size);
    }
    EXPECT_LT(first.Font().Size, 8.0f);
    EXPECT_GE(first.Font().Size, 6.0f);
    EXPECT_EQ(first.Font(), second.Font());
}

// ---- Controls

TEST(ControlWidgetTest, ShowCaptionsToolTipsAndStates) {
    Form form(kDialog);
    CommandButton button(form, 1);
    button.SetCaption("Cancel");
    button.SetToolTipText("Cancel installation and Quit");
    const auto& widget = *static_cast<QPushButton*>(WidgetOf(button));
    EXPECT_EQ(widget.text().toStdString(), "Cancel");
    EXPECT_EQ(widget.toolTip().toStdString(), "Cancel installation and Quit");
    EXPECT_FALSE(widget.isHidden());
    EXPECT_TRUE(widget.isEnabled());
    button.SetVisible(false);
    button.SetEnabled(false);
    EXPECT_TRUE(widget.isHidden());
    EXPECT_FALSE(widget.isEnabled());
    button.SetCaption("OK");
    EXPECT_EQ(widget.text().toStdString(), "OK");
}

TEST(ControlWidgetTest, ProgressBarShowsBusyThenHowFar) {
    Form form(kDialog);
    ProgressBar bar(form);
    const auto& widget = *static_cast<QProgressBar*>(WidgetOf(bar));
    bar.SetRange(0, 0);
    EXPECT_EQ(widget.minimum(), 0);
    EXPECT_EQ(widget.maximum(), 0);
    bar.SetRange(0, 3);
    bar.SetValue(2);
    EXPECT_EQ(widget.maximum(), 3);
    EXPECT_EQ(widget.value(), 2);
}

class FolderWidgetsTest : public ::testing::Test {
  protected:
    FolderWidgetsTest() {
        prefix_.MapDrive('d', other_.Path());
        fs::create_directories(prefix_.DriveC() / "Program Files" / "Viewer" / "b");
        fs::create_directories(prefix_.DriveC() / "Program Files" / "Viewer" / "A");
    }
    TempPrefix prefix_;
    TempDir other_;
    Form form_{kDialog};
};

TEST_F(FolderWidgetsTest, DriveListShowsTheDrivesAndTheOneSet) {
    DriveListBox drives(form_);
    drives.SetDrive("D");
    drives.SetEnabled(false);
    const auto& combo = *static_cast<QComboBox*>(WidgetOf(drives));
    std::vector<std::string> shown;
    for (int i = 0; i < combo.count(); ++i) {
        shown.push_back(combo.itemText(i).toStdString());
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"c:", "d:", "z:"}));
    EXPECT_EQ(combo.currentText().toStdString(), "d:");
    EXPECT_FALSE(combo.isEnabled());
}

TEST_F(FolderWidgetsTest, FolderListShowsItsRowsAsATreeWithTheFolderSetCurrent) {
    DirListBox folders(form_);
    folders.SetPath("C:\\Program Files\\Viewer");
    const auto& tree = *static_cast<QTreeWidget*>(WidgetOf(folders));
    // Here every folder on the path holds the next one, so the open folders are those with rows
    // under them.
    std::vector<DirListBox::Row> shown;
    const auto add = [&](const auto& self, const QTreeWidgetItem* item, int level) -> void {
        shown.push_back({item->text(0).toStdString(), level, item->childCount() > 0});
        for (int child = 0; child < item->childCount(); ++child) {
            self(self, item->child(child), level + 1);
        }
    };
    for (int top = 0; top < tree.topLevelItemCount(); ++top) {
        add(add, tree.topLevelItem(top), 0);
    }
    EXPECT_EQ(shown, folders.Rows());
    ASSERT_NE(tree.currentItem(), nullptr);
    EXPECT_EQ(tree.currentItem()->text(0).toStdString(), "Viewer");
    EXPECT_TRUE(tree.currentItem()->isExpanded());
}

// ---- What assistive technology reads

// The dialog as a screen reader meets it: its controls' roles, names and values, the folder
// list as the text of its full path, which cannot be changed.
TEST_F(FolderWidgetsTest, AssistiveTechnologyReadsEveryControlsRoleNameAndValue) {
    DialogControls controls(form_);
    NameAsTheDialogDoes(controls, "C:\\Program Files\\Viewer");
    const Form title(kTitle);

    const auto read = [](const auto* object) {
        QAccessibleInterface* read = QAccessible::queryAccessibleInterface(
            const_cast<QObject*>(static_cast<const QObject*>(object)));
        return std::tuple(read->role(), read->text(QAccessible::Name).toStdString(),
                          read->text(QAccessible::Value).toStdString());
    };
    using A = QAccessible;
    EXPECT_EQ(read(WindowOf(form_)), std::tuple(A::Dialog, "Confirm", ""));
    EXPECT_EQ(read(WindowOf(title)), std::tuple(A::Window, "Form1", ""));
    EXPECT_EQ(
        read(WidgetOf(controls.Line1)),
        std::tuple(A::StaticText, "Reference Images must be installed to following folder.", ""));
    EXPECT_EQ(read(WidgetOf(controls.Ok)), std::tuple(A::Button, "OK", ""));
    EXPECT_EQ(read(WidgetOf(controls.Drive)), std::tuple(A::ComboBox, "Destination drive", "c:"));
    EXPECT_EQ(read(WidgetOf(controls.Folder)),
              std::tuple(A::EditableText, "Destination folder", "C:\\Program Files\\Viewer"));
    EXPECT_EQ(read(WidgetOf(controls.Bar)),
              std::tuple(A::ProgressBar, "Installation progress", "3"));

    QAccessibleInterface* ok = QAccessible::queryAccessibleInterface(WidgetOf(controls.Ok));
    EXPECT_EQ(ok->text(QAccessible::Description).toStdString(), "Continue installation");
    QAccessibleInterface* bar = QAccessible::queryAccessibleInterface(WidgetOf(controls.Bar));
    ASSERT_NE(bar->valueInterface(), nullptr);
    EXPECT_EQ(bar->valueInterface()->maximumValue(), 4);
    QAccessibleInterface* folder = QAccessible::queryAccessibleInterface(WidgetOf(controls.Folder));
    EXPECT_TRUE(folder->state().readOnly);
    EXPECT_TRUE(folder->state().focusable);
    EXPECT_FALSE(folder->state().disabled);
    ASSERT_NE(folder->textInterface(), nullptr);
    EXPECT_EQ(folder->textInterface()->text(0, folder->textInterface()->characterCount()),
              QStringLiteral("C:\\Program Files\\Viewer"));
}

// Disabled, the folder list looks as it always did but stays in reach of the keyboard: the
// focus starts on OK, Shift+Tab goes back to the list, and no key changes what it shows.
TEST_F(FolderWidgetsTest, ADisabledFolderListLooksDisabledButTheKeyboardReachesIt) {
    Form title(kTitle);
    title.Show();
    DirListBox folders(form_);
    folders.Move(120, 1080, 4455, 1350);
    CommandButton ok(form_, 0);
    folders.SetPath("C:\\Program Files\\Viewer");
    auto& tree = *static_cast<QTreeWidget*>(WidgetOf(folders));
    folders.SetEnabled(true);
    tree.setEnabled(false);
    const QImage disabledLook = tree.grab().toImage();
    tree.setEnabled(true);
    folders.SetEnabled(false);

    QWidget* first = nullptr;
    QWidget* back = nullptr;
    QTreeWidgetItem* afterKeys = nullptr;
    RunOnNextTurn([&] {
        QWidget& window = *WindowOf(form_);
        const auto press = [&window](Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
            QKeyEvent event(QEvent::KeyPress, key, modifiers);
            QApplication::sendEvent(window.focusWidget(), &event);
        };
        first = window.focusWidget();
        press(Qt::Key_Backtab, Qt::ShiftModifier);
        back = window.focusWidget();
        for (const Qt::Key key : {Qt::Key_Up, Qt::Key_Down, Qt::Key_Home}) {
            press(key);
        }
        afterKeys = tree.currentItem();
        form_.Hide();
    });
    QTreeWidgetItem* const current = tree.currentItem();
    form_.ShowModal(title);
    title.Hide();

    EXPECT_EQ(first, WidgetOf(ok));
    EXPECT_EQ(back, &tree);
    EXPECT_EQ(afterKeys, current);
    tree.clearFocus();
    EXPECT_EQ(tree.grab().toImage(), disabledLook);
}

// ---- Tab order

TEST(TabOrderTest, FollowsTheOrderTheControlsWereCreatedIn) {
    Form form(kDialog);
    const DialogControls controls(form);

    std::vector<QWidget*> order;
    QWidget* window = WindowOf(form);
    for (QWidget* widget = window->nextInFocusChain(); widget != window;
         widget = widget->nextInFocusChain()) {
        if (widget->focusPolicy() & Qt::TabFocus) {
            order.push_back(widget);
        }
    }
    EXPECT_EQ(order, (std::vector<QWidget*>{WidgetOf(controls.Drive), WidgetOf(controls.Folder),
                                            WidgetOf(controls.Ok), WidgetOf(controls.Cancel),
                                            WidgetOf(controls.List)}));
}

// ---- Modal showing, the close box, the end of the program

TEST(ModalTest, ADialogShownModallyIsCentredOverItsOwnerAndBlocksIt) {
    Form title(kTitle);
    title.Move(0, 0, ScreenWidth(), ScreenHeight());
    title.Show();
    RefusingForm dialog(kDialog);
    QRect frame;
    Qt::WindowModality modality = Qt::NonModal;
    const QWidget* parent = nullptr;
    bool refusedStaysUp = false;
    RunOnNextTurn([&] {
        frame = WindowOf(dialog)->frameGeometry();
        modality = WindowOf(dialog)->windowModality();
        parent = WindowOf(dialog)->parentWidget();
        dialog.Refuse = true;
        WindowOf(dialog)->close();  // the close box
        refusedStaysUp = WindowOf(dialog)->isVisible();
        dialog.Refuse = false;
        WindowOf(dialog)->close();
    });
    dialog.ShowModal(title);

    EXPECT_EQ(modality, Qt::ApplicationModal);
    EXPECT_EQ(parent, WindowOf(title));
    EXPECT_EQ(frame.center(),
              QRect(QPoint(0, 0), QGuiApplication::primaryScreen()->size()).center());
    EXPECT_TRUE(refusedStaysUp);
    EXPECT_EQ(dialog.Unloads, 2);
    EXPECT_FALSE(WindowOf(dialog)->isVisible());
    EXPECT_FALSE(dialog.Visible());
    EXPECT_TRUE(WindowOf(title)->isVisible());
}

TEST(ModalTest, EndingTheProgramHidesEveryWindowAndEndsTheModalShow) {
    EndOfProgramRecorder ending;
    Form title(kTitle);
    title.Show();
    Form dialog(kDialog);
    RunOnNextTurn([] { EndProgram(kExitNotInstalled); });
    dialog.ShowModal(title);
    EXPECT_EQ(ending.Status(), 2);
    EXPECT_FALSE(WindowOf(title)->isVisible());
    EXPECT_FALSE(WindowOf(dialog)->isVisible());
}

TEST(ModalTest, WorkPostedForTheNextTurnRunsWhileWindowsRepaint) {
    bool ran = false;
    RunOnNextTurn([&] { ran = true; });
    LetWindowsRepaint();
    EXPECT_TRUE(ran);
}

}  // namespace
}  // namespace vantrel::test
