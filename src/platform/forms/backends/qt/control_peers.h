#pragma once

#include <QComboBox>
#include <QPointer>
#include <QPushButton>
#include <QTreeWidget>
#include <QWidget>

#include "platform/forms/backend.h"

namespace vantrel {

class CommandButton;
class Control;
class DirListBox;
class DriveListBox;
class Label;
class ListView;
class ProgressBar;

// Shows a control in a widget of the form's window: what every control has here, the rest in
// the kind's own peer.
class WidgetPeer : public ControlPeer {
  public:
    ~WidgetPeer() override;
    void Changed(Property what) override;
    QWidget* Widget() const { return widget_; }

  protected:
    WidgetPeer(const Control& control, QWidget* widget);
    // Shows every property; the kind's constructor calls it once its widget is set up.
    void ShowAll();
    virtual void ShowOwn(Property what) { static_cast<void>(what); }

  private:
    const Control& control_;
    QPointer<QWidget> widget_;
};

class LabelPeer : public WidgetPeer {
  public:
    LabelPeer(const Label& label, QWidget& window);

  private:
    void ShowOwn(Property what) override;
    const Label& label_;
};

// A push button that is never a default button and clicks on Enter as on Space, only while it
// has the focus.
class ButtonWidget : public QPushButton {
    Q_OBJECT
  public:
    explicit ButtonWidget(QWidget* parent);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
};

class CommandButtonPeer : public WidgetPeer {
  public:
    CommandButtonPeer(CommandButton& button, QWidget& window);

  private:
    void ShowOwn(Property what) override;
    const CommandButton& button_;
};

// The drive list's widget; assistive technology reads it by the name the control is given.
class DriveCombo : public QComboBox {
    Q_OBJECT
  public:
    using QComboBox::QComboBox;
};

class DriveListPeer : public WidgetPeer {
  public:
    DriveListPeer(const DriveListBox& list, QWidget& window);

  private:
    void ShowOwn(Property what) override;
    const DriveListBox& list_;
};

// The folder list's widget. Read-only, it looks disabled and takes no click or key, but it
// keeps its stop in the tab order, so that the keyboard reaches the folder it shows. The wheel
// still scrolls it: reading it all changes nothing.
class FolderTree : public QTreeWidget {
    Q_OBJECT
  public:
    explicit FolderTree(QWidget* parent);

    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly);
    // The full path of the folder shown: what assistive technology reads as the list's text.
    const QString& Path() const { return path_; }
    void SetPath(QString path) { path_ = std::move(path); }

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    bool readOnly_ = false;
    QString path_;
};

// A disabled folder list is shown read-only rather than disabled: see FolderTree.
class DirListPeer : public WidgetPeer {
  public:
    DirListPeer(const DirListBox& list, QWidget& window);
    void Changed(Property what) override;

  private:
    void ShowOwn(Property what) override;
    const DirListBox& list_;
};

// The list view is a working store that is never shown: an empty widget holds its place and its
// turn in the tab order.
class ListViewPeer : public WidgetPeer {
  public:
    ListViewPeer(const ListView& list, QWidget& window);
};

class ProgressBarPeer : public WidgetPeer {
  public:
    ProgressBarPeer(const ProgressBar& bar, QWidget& window);

  private:
    void ShowOwn(Property what) override;
    const ProgressBar& bar_;
};

// The widget showing `control`; null for a control created while no Qt backend ran.
QWidget* WidgetOf(const Control& control);

}  // namespace vantrel
