#pragma once

#include <QDialog>
#include <QPointer>

#include "platform/forms/backend.h"

namespace vantrel {

class Form;

// A form's window. Every form is a dialog window to Qt, so that any of them can be shown
// modally; none has a default or cancel button, so Escape does nothing. The close box asks the
// form, which may refuse.
class FormWindow : public QDialog {
    Q_OBJECT
  public:
    explicit FormWindow(Form& form);
    const Form& Shown() const { return form_; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    Form& form_;
};

class FormWindowPeer : public FormPeer {
  public:
    explicit FormWindowPeer(Form& form);
    ~FormWindowPeer() override;

    void Changed(Property what) override;
    void ShowModal(FormPeer* owner) override;

    FormWindow* Window() const { return window_; }

  private:
    void ApplyClientSize();
    void CentreOver(const QWidget& owner);

    Form& form_;
    QPointer<FormWindow> window_;
};

// The window showing `form`; null for a form created while no Qt backend ran.
FormWindow* WindowOf(const Form& form);

}  // namespace vantrel
