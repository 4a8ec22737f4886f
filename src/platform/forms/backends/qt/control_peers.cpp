#include "platform/forms/backends/qt/control_peers.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QStyle>
#include <QStyledItemDelegate>

#include "platform/forms/backends/qt/conversions.h"
#include "platform/forms/command_button.h"
#include "platform/forms/dir_list_box.h"
#include "platform/forms/drive_list_box.h"
#include "platform/forms/label.h"
#include "platform/forms/list_view.h"
#include "platform/forms/progress_bar.h"

namespace vantrel {
namespace {

constexpr Property kEveryProperty[] = {
    Property::Position,  Property::Visible,   Property::Enabled,
    Property::Caption,   Property::ToolTip,   Property::Font,
    Property::ForeColor, Property::BackStyle, Property::Content,
};

template <class Widget>
Widget& As(QWidget* widget) {
    return *static_cast<Widget*>(widget);
}

QLabel* NewLabel(QWidget& window) {
    auto* label = new QLabel(&window);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

// Draws the rows of a read-only folder list as those of a disabled one: greyed, the current row
// in the disabled highlight, the icons dimmed.
class ReadOnlyRows : public QStyledItemDelegate {
  public:
    explicit ReadOnlyRows(FolderTree& tree) : QStyledItemDelegate(&tree), tree_(tree) {}

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (tree_.ReadOnly()) {
            option->state &= ~QStyle::State_Enabled;
        }
    }

  private:
    const FolderTree& tree_;
};

QWidget* NewPlaceHolder(QWidget& window) {
    auto* widget = new QWidget(&window);
    widget->setFocusPolicy(Qt::StrongFocus);
    return widget;
}

}  // namespace

WidgetPeer::WidgetPeer(const Control& control, QWidget* widget)
    : control_(control), widget_(widget) {}

WidgetPeer::~WidgetPeer() {
    delete widget_;
}

void WidgetPeer::ShowAll() {
    for (const Property what : kEveryProperty) {
        Changed(what);
    }
}

void WidgetPeer::Changed(Property what) {
    if (!widget_) {
        return;
    }
    switch (what) {
        case Property::Position:
            widget_->setGeometry(PixelRect(control_.Place()));
            break;
        case Property::Visible:
            widget_->setVisible(control_.Visible());
            break;
        case Property::Enabled:
            widget_->setEnabled(control_.Enabled());
            break;
        case Property::ToolTip:
            widget_->setToolTip(QString::fromStdString(control_.ToolTipText()));
            break;
        case Property::Font:
            widget_->setFont(ToQFont(control_.Font()));
            break;
        case Property::AccessibleName:
            widget_->setAccessibleName(QString::fromStdString(control_.AccessibleName()));
            break;
        default:
            ShowOwn(what);
            break;
    }
}

LabelPeer::LabelPeer(const Label& label, QWidget& window)
    : WidgetPeer(label, NewLabel(window)), label_(label) {
    ShowAll();
}

void LabelPeer::ShowOwn(Property what) {
    auto& widget = As<QLabel>(Widget());
    if (what == Property::Caption) {
        widget.setText(QString::fromStdString(label_.Caption()));
    } else if (what == Property::ForeColor) {
        QPalette palette = widget.palette();
        palette.setColor(QPalette::WindowText, ToQColor(label_.ForeColor()));
        widget.setPalette(palette);
    } else if (what == Property::BackStyle) {
        widget.setAutoFillBackground(label_.BackStyle() == Background::Opaque);
    }
}

ButtonWidget::ButtonWidget(QWidget* parent) : QPushButton(parent) {
    setAutoDefault(false);
    setDefault(false);
}

void ButtonWidget::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (enter && plain && !event->isAutoRepeat()) {
        click();
        return;
    }
    QPushButton::keyPressEvent(event);
}

CommandButtonPeer::CommandButtonPeer(CommandButton& button, QWidget& window)
    : WidgetPeer(button, new ButtonWidget(&window)), button_(button) {
    QObject::connect(&As<ButtonWidget>(Widget()), &QPushButton::clicked,
                     [&button] { button.Click(); });
    ShowAll();
}

void CommandButtonPeer::ShowOwn(Property what) {
    if (what == Property::Caption) {
        As<ButtonWidget>(Widget()).setText(QString::fromStdString(button_.Caption()));
    }
}

DriveListPeer::DriveListPeer(const DriveListBox& list, QWidget& window)
    : WidgetPeer(list, new DriveCombo(&window)), list_(list) {
    ShowAll();
}

void DriveListPeer::ShowOwn(Property what) {
    if (what != Property::Content) {
        return;
    }
    auto& combo = As<QComboBox>(Widget());
    combo.clear();
    for (const auto& drive : list_.List()) {
        combo.addItem(QString::fromStdString(drive));
    }
    combo.setCurrentIndex(list_.ListIndex());
}

FolderTree::FolderTree(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setIndentation(fontMetrics().horizontalAdvance(QLatin1Char('m')));
    setItemDelegate(new ReadOnlyRows(*this));
}

// The colours of a disabled widget.
void FolderTree::SetReadOnly(bool readOnly) {
    readOnly_ = readOnly;
    if (!readOnly) {
        setPalette(QPalette());  // the window's colours again
        return;
    }
    QPalette colours = QApplication::palette(this);
    for (int role = 0; role < QPalette::NColorRoles; ++role) {
        const auto colourRole = static_cast<QPalette::ColorRole>(role);
        const QBrush disabled = colours.brush(QPalette::Disabled, colourRole);
        colours.setBrush(QPalette::Active, colourRole, disabled);
        colours.setBrush(QPalette::Inactive, colourRole, disabled);
    }
    setPalette(colours);
}

// Keys go to the window as if the list took none: Tab and Shift+Tab still move on.
void FolderTree::keyPressEvent(QKeyEvent* event) {
    if (readOnly_) {
        event->ignore();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

void FolderTree::mousePressEvent(QMouseEvent* event) {
    if (!readOnly_) {
        QTreeWidget::mousePressEvent(event);
    }
}

void FolderTree::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!readOnly_) {
        QTreeWidget::mouseDoubleClickEvent(event);
    }
}

void FolderTree::mouseMoveEvent(QMouseEvent* event) {
    if (!readOnly_) {
        QTreeWidget::mouseMoveEvent(event);
    }
}

DirListPeer::DirListPeer(const DirListBox& list, QWidget& window)
    : WidgetPeer(list, new FolderTree(&window)), list_(list) {
    ShowAll();
}

void DirListPeer::Changed(Property what) {
    if (what == Property::Enabled && Widget() != nullptr) {
        As<FolderTree>(Widget()).SetReadOnly(!list_.Enabled());
        return;
    }
    WidgetPeer::Changed(what);
}

// Each row hangs under the last row one level up; the rows on the path are open folders.
void DirListPeer::ShowOwn(Property what) {
    if (what != Property::Content) {
        return;
    }
    auto& tree = As<FolderTree>(Widget());
    tree.SetPath(QString::fromStdString(list_.Path()));
    tree.clear();
    const QIcon open = tree.style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = tree.style()->standardIcon(QStyle::SP_DirClosedIcon);
    const auto& rows = list_.Rows();
    std::vector<QTreeWidgetItem*> levels;
    QTreeWidgetItem* current = nullptr;
    for (std::size_t index = 0; index < rows.size(); ++index) {
        const auto level = static_cast<std::size_t>(rows[index].Level);
        auto* item =
            level == 0 ? new QTreeWidgetItem(&tree) : new QTreeWidgetItem(levels[level - 1]);
        item->setText(0, QString::fromStdString(rows[index].Text));
        item->setIcon(0, rows[index].OnPath ? open : closed);
        levels.resize(level);
        levels.push_back(item);
        if (static_cast<int>(index) == list_.ListIndex()) {
            current = item;
        }
    }
    tree.expandAll();
    tree.setCurrentItem(current);
}

ListViewPeer::ListViewPeer(const ListView& list, QWidget& window)
    : WidgetPeer(list, NewPlaceHolder(window)) {
    ShowAll();
}

ProgressBarPeer::ProgressBarPeer(const ProgressBar& bar, QWidget& window)
    : WidgetPeer(bar, new QProgressBar(&window)), bar_(bar) {
    ShowAll();
}

// A range of nothing is Qt's busy bar.
void ProgressBarPeer::ShowOwn(Property what) {
    if (what == Property::Content) {
        auto& widget = As<QProgressBar>(Widget());
        if (bar_.Min() == bar_.Max()) {
            widget.setRange(0, 0);
        } else {
            widget.setRange(bar_.Min(), bar_.Max());
        }
        widget.setValue(bar_.Value());
    }
}

QWidget* WidgetOf(const Control& control) {
    const auto* peer = dynamic_cast<const WidgetPeer*>(control.Peer());
    return peer != nullptr ? peer->Widget() : nullptr;
}

}  // namespace vantrel
