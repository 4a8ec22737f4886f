#pragma once

#include <cstdint>
#include <functional>

#include "platform/forms/control.h"

namespace vantrel {

// A button of a control array: the buttons of one array share a click handler, which receives
// the button's index. A button is never a form's default or cancel button: Enter and Space act
// on the button that has the focus, Escape on none.
class CommandButton : public CaptionedControl {
  public:
    CommandButton(Form& parent, std::int16_t index);

    std::int16_t Index() const { return index_; }

    using ClickHandler = std::function<void(std::int16_t Index)>;
    void SetClickHandler(ClickHandler handler) { clickHandler_ = std::move(handler); }

    // A click, from the user or the program: the handler runs as an event handler (an error
    // escaping it is reported and ends the program). A disabled button does nothing.
    void Click();

  private:
    std::int16_t index_;
    ClickHandler clickHandler_;
};

}  // namespace vantrel
