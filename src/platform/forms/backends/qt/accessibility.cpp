#include "platform/forms/backends/qt/accessibility.h"

#include <QAccessibleWidget>

#include "platform/forms/backends/qt/control_peers.h"
#include "platform/forms/backends/qt/form_window.h"
#include "platform/forms/form.h"

namespace vantrel {
namespace {

// A folder list reads as its folder's full path, a line of text that cannot be changed while
// the list is read-only. Its rows only repeat that path a folder at a time, so it has none.
class FolderListText : public QAccessibleWidget, public QAccessibleTextInterface {
  public:
    explicit FolderListText(FolderTree* tree)
        : QAccessibleWidget(tree, QAccessible::EditableText) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface) {
            return static_cast<QAccessibleTextInterface*>(this);
        }
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text kind) const override {
        return kind == QAccessible::Value ? Path() : QAccessibleWidget::text(kind);
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = Tree().ReadOnly();
        state.editable = false;
        return state;
    }

    int childCount() const override { return 0; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }

    // The text: the path, with nothing selected and the caret at its start.
    QString text(int startOffset, int endOffset) const override {
        return Path().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return static_cast<int>(Path().size()); }
    void selection(int, int* startOffset, int* endOffset) const override {
        *startOffset = 0;
        *endOffset = 0;
    }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int* startOffset, int* endOffset) const override {
        *startOffset = 0;
        *endOffset = characterCount();
        return {};
    }

  private:
    const FolderTree& Tree() const { return *static_cast<const FolderTree*>(widget()); }
    const QString& Path() const { return Tree().Path(); }
};

// Qt names a combo box on Linux by the label that names it as its buddy, and otherwise by the
// text it shows; the drive list has no such label, so it is named by its control's name and
// shows its drive as its value.
class DriveListText : public QAccessibleWidget {
  public:
    explicit DriveListText(DriveCombo* combo) : QAccessibleWidget(combo, QAccessible::ComboBox) {}

    QString text(QAccessible::Text kind) const override {
        const QString shown = static_cast<const DriveCombo*>(widget())->currentText();
        if (kind == QAccessible::Value) {
            return shown;
        }
        const QString text = QAccessibleWidget::text(kind);
        return kind == QAccessible::Name && text.isEmpty() ? shown : text;
    }
};

QAccessibleInterface* Describe(const QString& className, QObject* object) {
    if (className == QLatin1String("vantrel::FolderTree")) {
        return new FolderListText(static_cast<FolderTree*>(object));
    }
    if (className == QLatin1String("vantrel::DriveCombo")) {
        return new DriveListText(static_cast<DriveCombo*>(object));
    }
    if (className == QLatin1String("vantrel::FormWindow")) {
        auto* window = static_cast<FormWindow*>(object);
        const bool dialog = window->Shown().BorderStyle() == FormBorder::FixedDialog;
        return new QAccessibleWidget(window, dialog ? QAccessible::Dialog : QAccessible::Window);
    }
    return nullptr;
}

}  // namespace

void DescribeFormsToAssistiveTechnology() {
    static const bool installed = (QAccessible::installFactory(Describe), true);
    static_cast<void>(installed);
}

}  // namespace vantrel
