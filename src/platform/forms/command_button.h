#pragma once

#include <QPushButton>

namespace vantrel {

// A command button as the forms runtime has it: never the dialog's default button, and acted
// on with Space or Enter only while it has the focus.
class CommandButton : public QPushButton {
    Q_OBJECT
  public:
    explicit CommandButton(QWidget* parent = nullptr);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace vantrel
