// What the user does to the Qt backend's windows: keys on buttons and forms, the cursor, and the
// windowed message box.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
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

void Press(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers);
    QApplication::sendEvent(widget, &press);
    QApplication::sendEvent(widget, &release);
}

// ---- Command buttons

struct KeyCase {
    Qt::Key Key;
    Qt::KeyboardModifiers Modifiers;
    bool Clicks;
};

class CommandButtonKeyTest : public ::testing::TestWithParam<KeyCase> {};

TEST_P(CommandButtonKeyTest, ActsOnSpaceAndEnterOnly) {
    Form form(kDialog);
    CommandButton button(form, 1);
    std::vector<std::int16_t> clicks;
    button.SetClickHandler([&](std::int16_t Index) { clicks.push_back(Index); });
    const auto* widget = static_cast<QPushButton*>(WidgetOf(button));
    EXPECT_FALSE(widget->isDefault());
    EXPECT_FALSE(widget->autoDefault());

    Press(WidgetOf(button), GetParam().Key, GetParam().Modifiers);
    EXPECT_EQ(clicks,
              GetParam().Clicks ? std::vector<std::int16_t>{1} : std::vector<std::int16_t>{});
}

INSTANTIATE_TEST_SUITE_P(Keys, CommandButtonKeyTest,
                         ::testing::Values(KeyCase{Qt::Key_Return, Qt::NoModifier, true},
                                           KeyCase{Qt::Key_Enter, Qt::KeypadModifier, true},
                                           KeyCase{Qt::Key_Space, Qt::NoModifier, true},
                                           KeyCase{Qt::Key_Escape, Qt::NoModifier, false},
                                           KeyCase{Qt::Key_Return, Qt::AltModifier, false},
                                           KeyCase{Qt::Key_A, Qt::NoModifier, false}));

// ---- Keys on a form

TEST(FormKeysTest, EscapeDoesNotCloseAForm) {
    RefusingForm form;
    CommandButton button(form, 0);
    form.Show();
    Press(WindowOf(form), Qt::Key_Escape);
    EXPECT_TRUE(WindowOf(form)->isVisible());
    EXPECT_TRUE(form.Visible());
    EXPECT_EQ(form.Unloads, 0);
}

TEST(FormKeysTest, EnterOnTheFormClicksNoButtonButTheFocusedOneDoes) {
    Form form(kDialog);
    CommandButton ok(form, 0), cancel(form, 1);
    std::vector<std::int16_t> clicks;
    for (CommandButton* button : {&ok, &cancel}) {
        button->SetClickHandler([&](std::int16_t Index) { clicks.push_back(Index); });
    }
    form.Show();
    Press(WindowOf(form), Qt::Key_Return);
    EXPECT_TRUE(clicks.empty());
    Press(WidgetOf(cancel), Qt::Key_Return);
    EXPECT_EQ(clicks, std::vector<std::int16_t>{1});
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
    const ProgramRun windowed(QtEnvironment::Runtime()->WindowedServices());
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
