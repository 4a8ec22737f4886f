#pragma once

#include <memory>
#include <string>

#include "platform/forms/appearance.h"
#include "platform/forms/backend.h"
#include "platform/forms/form.h"
#include "platform/forms/twips.h"
#include "platform/program_services.h"

namespace vantrel {

// What every control on a form has: its place in twips, whether it is visible and enabled, its
// place in the tab order (the order the controls were created in), a tool tip, a font (the
// form's to start with) and the name assistive technology (a screen reader) gives it. A control
// on a hidden form keeps Visible as set.
class Control {
  public:
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    Form& Parent() const { return parent_; }

    float Left() const { return place_.Left; }
    float Top() const { return place_.Top; }
    float Width() const { return place_.Width; }
    float Height() const { return place_.Height; }
    const TwipsRect& Place() const { return place_; }
    void Move(float left, float top, float width, float height);
    void SetLeft(float left) { Move(left, place_.Top, place_.Width, place_.Height); }

    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    int TabIndex() const { return tabIndex_; }
    const std::string& ToolTipText() const { return toolTipText_; }
    void SetToolTipText(std::string text);
    const StdFont& Font() const { return font_; }
    void SetFont(StdFont font);
    // Empty: the control's own text names it, as a button's caption does.
    const std::string& AccessibleName() const { return accessibleName_; }
    void SetAccessibleName(std::string name);

    ControlPeer* Peer() const { return peer_.get(); }

  protected:
    explicit Control(Form& parent);

    // Gives the control its peer once the derived control has set its own properties.
    template <class Self>
    void CreatePeer(Self& self) {
        Backend* backend = Services().Windows;
        if (backend != nullptr && parent_.Peer() != nullptr) {
            peer_ = backend->CreatePeer(self, *parent_.Peer());
        }
    }
    void Notify(Property what);

  private:
    Form& parent_;
    TwipsRect place_;
    bool visible_ = true;
    bool enabled_ = true;
    int tabIndex_;
    std::string toolTipText_;
    StdFont font_;
    std::string accessibleName_;
    std::unique_ptr<ControlPeer> peer_;
};

// A control that shows a text of its own: a label, a button.
class CaptionedControl : public Control {
  public:
    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption);

  protected:
    using Control::Control;

  private:
    std::string caption_;
};

}  // namespace vantrel
