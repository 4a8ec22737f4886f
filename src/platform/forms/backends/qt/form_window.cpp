#include "platform/forms/backends/qt/form_window.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QWindow>

#include "platform/forms/backends/qt/control_peers.h"
#include "platform/forms/backends/qt/conversions.h"
#include "platform/forms/form.h"

namespace vantrel {
namespace {

Qt::WindowFlags FlagsFor(FormBorder border) {
    switch (border) {
        case FormBorder::Borderless:
            return Qt::Window | Qt::FramelessWindowHint;
        case FormBorder::FixedDialog:
            break;
    }
    return Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
           Qt::MSWindowsFixedSizeDialogHint;
}

// The focus starts on the first control in tab order that the user can act on: a read-only
// folder list is passed by, and reached with Tab.
void FocusFirstControl(QWidget& window) {
    for (QWidget* widget = window.nextInFocusChain(); widget != &window;
         widget = widget->nextInFocusChain()) {
        const auto* folders = qobject_cast<const FolderTree*>(widget);
        const bool readOnly = folders != nullptr && folders->ReadOnly();
        if ((widget->focusPolicy() & Qt::TabFocus) != 0 && widget->isEnabled() &&
            widget->isVisibleTo(&window) && !readOnly) {
            widget->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

}  // namespace

FormWindow::FormWindow(Form& form) : QDialog(nullptr, FlagsFor(form.BorderStyle())), form_(form) {}

void FormWindow::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void FormWindow::closeEvent(QCloseEvent* event) {
    event->setAccepted(form_.Unload());
}

FormWindowPeer::FormWindowPeer(Form& form) : form_(form), window_(new FormWindow(form)) {
    window_->setWindowTitle(QString::fromStdString(form.Caption()));
    window_->setFont(ToQFont(form.Font()));
    // A system colour is the style's own background; only a colour of the form's is painted.
    if (!form.BackColor().IsSystem()) {
        QPalette palette = window_->palette();
        palette.setColor(QPalette::Window, ToQColor(form.BackColor()));
        window_->setPalette(palette);
        window_->setAutoFillBackground(true);
    }
    ApplyClientSize();
}

FormWindowPeer::~FormWindowPeer() {
    delete window_;
}

void FormWindowPeer::Changed(Property what) {
    if (!window_) {
        return;
    }
    switch (what) {
        case Property::Caption:
            window_->setWindowTitle(QString::fromStdString(form_.Caption()));
            break;
        case Property::Position:
            ApplyClientSize();
            window_->move(PixelRect({form_.Left(), form_.Top(), 0, 0}).topLeft());
            break;
        case Property::Visible:
            if (form_.Visible()) {
                FocusFirstControl(*window_);
            }
            window_->setVisible(form_.Visible());
            break;
        default:
            break;
    }
}

void FormWindowPeer::ApplyClientSize() {
    const QSize size = PixelSize(form_.ClientWidth(), form_.ClientHeight());
    if (form_.BorderStyle() == FormBorder::FixedDialog) {
        window_->setFixedSize(size);
    } else {
        window_->resize(size);
    }
}

void FormWindowPeer::ShowModal(FormPeer* owner) {
    if (!window_) {
        return;
    }
    // Owned, the window is also kept out of the task bar: window managers list no transient
    // window, as Windows lists no owned one.
    const auto* ownerPeer = dynamic_cast<FormWindowPeer*>(owner);
    if (ownerPeer != nullptr && ownerPeer->Window() != nullptr) {
        window_->setParent(ownerPeer->Window(), window_->windowFlags());
        if (form_.StartUpPosition() == StartPosition::CenterOwner) {
            CentreOver(*ownerPeer->Window());
        }
    }
    FocusFirstControl(*window_);
    window_->exec();
}

// The whole window, frame included, as far as the window system tells it before it is shown.
void FormWindowPeer::CentreOver(const QWidget& owner) {
    window_->winId();
    const QSize outer = window_->size().grownBy(window_->windowHandle()->frameMargins());
    window_->move(owner.frameGeometry().center() -
                  QPoint((outer.width() - 1) / 2, (outer.height() - 1) / 2));
}

FormWindow* WindowOf(const Form& form) {
    const auto* peer = dynamic_cast<const FormWindowPeer*>(form.Peer());
    return peer != nullptr ? peer->Window() : nullptr;
}

}  // namespace vantrel
