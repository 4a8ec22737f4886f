#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/forms/appearance.h"
#include "platform/forms/backend.h"

namespace vantrel {

enum class FormBorder {
    Borderless,   // no caption bar, no frame
    FixedDialog,  // caption bar with a close box only; the size cannot be changed
};

enum class StartPosition {
    WindowsDefault,  // wherever the window system places new windows
    CenterOwner,     // centred over the owner it is shown modally over
};

// What a form is given at design time. The font is the one its controls start with.
struct FormDesign {
    std::string Caption;
    FormBorder BorderStyle = FormBorder::FixedDialog;
    bool ShowInTaskbar = true;
    StartPosition StartUpPosition = StartPosition::WindowsDefault;
    Color BackColor = kButtonFace;
    StdFont Font{"MS Sans Serif", 8};
    float ClientWidth = 0;  // twips
    float ClientHeight = 0;
};

// A window of the program. A form is created hidden and unloaded; Load runs its Form_Load once,
// Show and ShowModal load it first. Its controls are members of the derived form, created in
// tab order.
class Form {
  public:
    explicit Form(FormDesign design);
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption);
    FormBorder BorderStyle() const { return design_.BorderStyle; }
    bool ShowInTaskbar() const { return design_.ShowInTaskbar; }
    StartPosition StartUpPosition() const { return design_.StartUpPosition; }
    Color BackColor() const { return design_.BackColor; }
    const StdFont& Font() const { return design_.Font; }

    // The window's top-left corner on the screen and the size of its client area, in twips.
    // Left and Top are what Move set; until then the window system places the form.
    float Left() const { return left_; }
    float Top() const { return top_; }
    float ClientWidth() const { return clientWidth_; }
    float ClientHeight() const { return clientHeight_; }
    void Move(float left, float top, float clientWidth, float clientHeight);

    bool Loaded() const { return loaded_; }
    bool Visible() const { return visible_; }
    // True while a modal show of this form is in progress, over Owner().
    bool ShownModal() const { return shownModal_; }
    Form* Owner() const { return owner_; }

    // Runs Form_Load unless the form is loaded. Errors of Form_Load reach the caller.
    void Load();
    // A shown form's focus starts on the first control in tab order that takes it and can be
    // acted on: a read-only one (a disabled folder list) is reached with Tab.
    void Show();
    // Shows the form modally over `owner` and returns once it is hidden: unloaded through its
    // close box, or every window closed as the program ends. With no window system running it
    // returns at once.
    void ShowModal(Form& owner);
    void Hide();

    // What the close box does: Form_Unload runs as an event handler and may cancel; otherwise
    // the form is hidden and unloaded. Answers whether the form went.
    bool Unload();

    FormPeer* Peer() const { return peer_.get(); }

  protected:
    virtual void Form_Load() {}
    virtual void Form_Unload(bool& Cancel) { static_cast<void>(Cancel); }

  private:
    friend class Control;
    int TakeTabIndex() { return nextTabIndex_++; }
    void SetVisible(bool visible);
    void Notify(Property what);

    FormDesign design_;
    std::string caption_;
    float left_ = 0;
    float top_ = 0;
    float clientWidth_;
    float clientHeight_;
    bool loaded_ = false;
    bool visible_ = false;
    bool shownModal_ = false;
    Form* owner_ = nullptr;
    int nextTabIndex_ = 0;
    std::unique_ptr<FormPeer> peer_;
};

// Every form that exists, in the order they were created.
const std::vector<Form*>& Forms();

}  // namespace vantrel
