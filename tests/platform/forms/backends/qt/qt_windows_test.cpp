// What only Qt's windows have to show, beside the suite every backend runs (windows_test.cpp):
// the application's identity, the backgrounds Qt paints only when told to, the folder tree, the
// interfaces through which AT-SPI reads a value's range and a text's contents, and the look of
// a read-only folder list.

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QImage>
#include <QTreeWidget>

#include "platform/forms/backend_cases.h"
#include "platform/forms/backends/qt/control_peers.h"
#include "platform/forms/backends/qt/conversions.h"
#include "platform/forms/backends/qt/form_window.h"
#include "platform/forms/backends/qt/qt_test_support.h"

namespace vantrel::test {
namespace {

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

// Qt paints a widget's background only when told to: a form's own colour is painted, a system
// colour is left to the style.
TEST(QtFormWindowTest, PaintsTheFormsOwnColourOnly) {
    const Form dialog(kDialog);
    EXPECT_FALSE(WindowOf(dialog)->autoFillBackground());
    const Form title(kTitle);
    EXPECT_TRUE(WindowOf(title)->autoFillBackground());
    EXPECT_EQ(WindowOf(title)->palette().color(QPalette::Window), QColor(0, 0, 192));
}

class QtFolderTreeTest : public FolderControlsTest {
  protected:
    QtFolderTreeTest() { folders_.SetPath(Viewer()); }
    DirListBox folders_{form_};
    QTreeWidget& tree_ = *static_cast<QTreeWidget*>(WidgetOf(folders_));
};

// Qt shows the rows' levels as a tree, where Win32 draws them into a flat list. Here every
// folder on the path holds the next one, so the open folders are those with rows under them.
TEST_F(QtFolderTreeTest, ShowsTheRowsLevelsWithTheCurrentFolderOpen) {
    std::vector<DirListBox::Row> shown;
    const auto add = [&](const auto& self, const QTreeWidgetItem* item, int level) -> void {
        shown.push_back({item->text(0).toStdString(), level, item->childCount() > 0});
        for (int child = 0; child < item->childCount(); ++child) {
            self(self, item->child(child), level + 1);
        }
    };
    for (int top = 0; top < tree_.topLevelItemCount(); ++top) {
        add(add, tree_.topLevelItem(top), 0);
    }
    EXPECT_EQ(shown, folders_.Rows());
    ASSERT_NE(tree_.currentItem(), nullptr);
    EXPECT_TRUE(tree_.currentItem()->isExpanded());
}

// AT-SPI reads a value's range and a text's contents through interfaces of their own.
TEST_F(QtFolderTreeTest, AssistiveTechnologyReadsTheProgressRangeAndTheFoldersText) {
    ProgressBar bar(form_);
    bar.SetRange(0, 4);
    bar.SetValue(3);
    folders_.SetEnabled(false);
    QAccessibleInterface* range = QAccessible::queryAccessibleInterface(WidgetOf(bar));
    ASSERT_NE(range->valueInterface(), nullptr);
    EXPECT_EQ(range->valueInterface()->maximumValue(), 4);
    QAccessibleInterface* folder = QAccessible::queryAccessibleInterface(&tree_);
    ASSERT_NE(folder->textInterface(), nullptr);
    EXPECT_EQ(folder->textInterface()->text(0, folder->textInterface()->characterCount()),
              QString::fromStdString(Viewer()));
}

// Qt has no read-only tree: the backend draws it as a disabled one, which it looks like.
TEST_F(QtFolderTreeTest, ADisabledFolderListLooksDisabled) {
    MoveAsDesigned(folders_, "Confirm", "Dir1");
    folders_.SetEnabled(true);
    tree_.setEnabled(false);
    const QImage disabledLook = tree_.grab().toImage();
    tree_.setEnabled(true);
    folders_.SetEnabled(false);
    EXPECT_EQ(tree_.grab().toImage(), disabledLook);
}

}  // namespace
}  // namespace vantrel::test
