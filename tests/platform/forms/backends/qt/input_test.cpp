// What the user does to the Qt backend's windows, beside the keys every backend's suite presses
// (windows_test.cpp): no default button, the cursor, and the windowed message box.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCursor>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>

#include "platform/cursors.h"
#include "platform/forms/backend_cases.h"
#include "platform/forms/backends/qt/control_peers.h"
#include "platform/forms/backends/qt/form_window.h"
#include "platform/forms/backends/qt/qt_test_support.h"
#include "platform/forms/command_button.h"
#include "platform/message_box.h"
#include "support/program_recorders.h"

namespace vantrel::test {
namespace {

// Qt's dialog buttons may be default buttons, which Enter clicks wherever the focus is: none of
// ours is one.
TEST(CommandButtonTest, IsNoDefaultButton) {
    Form form(kDialog);
    const CommandButton button(form, 1);
    const auto* widget = static_cast<QPushButton*>(WidgetOf(button));
    EXPECT_FALSE(widget->isDefault());
    EXPECT_FALSE(widget->autoDefault());
}

// ---- Cursors

TEST(CursorsTest, SystemCursorsByNumber) {
    EXPECT_NE(LoadCursorA(nullptr, IDC_WAIT), nullptr);
    EXPECT_NE(LoadCursorA(nullptr, IDC_ARROW), nullptr);
    EXPECT_NE(LoadCursorA(nullptr, IDC_WAIT), LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_EQ(LoadCursorA(nullptr, MAKEINTRESOURCEA(12345)), nullptr);
    EXPECT_EQ(LoadCursorA(nullptr, "ARROW"), nullptr);
    int module = 0;
    EXPECT_EQ(LoadCursorA(reinterpret_cast<HINSTANCE>(&module), IDC_WAIT), nullptr);
}

TEST(CursorsTest, WaitCursorStaysUntilTheArrowIsSet) {
    const HCURSOR wait = LoadCursorA(nullptr, IDC_WAIT);
    const HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    SetCursor(wait);
    EXPECT_EQ(GetCursor(), wait);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    EXPECT_EQ(SetCursor(arrow), wait);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(SetCursor(arrow), arrow);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(GetCursor(), arrow);
}

// ---- Message boxes

TEST(WindowedMessageBoxTest, ShowsTheTextWithOneOkButtonUnderTheApplicationTitle) {
    const ProgramRun windowed(RuntimeEnvironment::Runtime()->WindowedServices());
    std::string title, text;
    std::vector<std::string> buttons;
    RunOnNextTurn([&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        title = box->windowTitle().toStdString();
        text = box->text().toStdString();
        for (QAbstractButton* button : box->buttons()) {
            buttons.push_back(button->text().remove('&').toStdString());
        }
        box->buttons().front()->click();
    });
    MsgBox("Reference Image Installation is finished.");
    EXPECT_EQ(title, "Vantrel");
    EXPECT_EQ(text, "Reference Image Installation is finished.");
    EXPECT_EQ(buttons, std::vector<std::string>{"OK"});
}

}  // namespace
}  // namespace vantrel::test
