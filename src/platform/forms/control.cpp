#include "platform/forms/control.h"

namespace vantrel {

Control::Control(Form& parent)
    : parent_(parent), tabIndex_(parent.TakeTabIndex()), font_(parent.Font()) {}

void Control::Move(float left, float top, float width, float height) {
    place_ = {left, top, width, height};
    Notify(Property::Position);
}

void Control::SetVisible(bool visible) {
    visible_ = visible;
    Notify(Property::Visible);
}

void Control::SetEnabled(bool enabled) {
    enabled_ = enabled;
    Notify(Property::Enabled);
}

void Control::SetToolTipText(std::string text) {
    toolTipText_ = std::move(text);
    Notify(Property::ToolTip);
}

void Control::SetFont(StdFont font) {
    font_ = std::move(font);
    Notify(Property::Font);
}

void Control::SetAccessibleName(std::string name) {
    accessibleName_ = std::move(name);
    Notify(Property::AccessibleName);
}

void Control::Notify(Property what) {
    if (peer_) {
        peer_->Changed(what);
    }
}

void CaptionedControl::SetCaption(std::string caption) {
    caption_ = std::move(caption);
    Notify(Property::Caption);
}

}  // namespace vantrel
