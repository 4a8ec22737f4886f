#include "platform/forms/form.h"

#include <algorithm>

#include "platform/forms/program.h"
#include "platform/program_services.h"

namespace vantrel {
namespace {

std::vector<Form*>& Registry() {
    static std::vector<Form*> forms;
    return forms;
}

}  // namespace

const std::vector<Form*>& Forms() {
    return Registry();
}

Form::Form(FormDesign design)
    : design_(std::move(design)),
      caption_(design_.Caption),
      clientWidth_(design_.ClientWidth),
      clientHeight_(design_.ClientHeight) {
    Registry().push_back(this);
    if (Backend* backend = Services().Windows) {
        peer_ = backend->CreatePeer(*this);
    }
}

Form::~Form() {
    std::erase(Registry(), this);
}

void Form::SetCaption(std::string caption) {
    caption_ = std::move(caption);
    Notify(Property::Caption);
}

void Form::Move(float left, float top, float clientWidth, float clientHeight) {
    left_ = left;
    top_ = top;
    clientWidth_ = clientWidth;
    clientHeight_ = clientHeight;
    Notify(Property::Position);
}

void Form::Load() {
    if (loaded_) {
        return;
    }
    loaded_ = true;
    Form_Load();
}

void Form::Show() {
    Load();
    SetVisible(true);
}

void Form::ShowModal(Form& owner) {
    Load();
    owner_ = &owner;
    visible_ = true;
    shownModal_ = true;
    if (peer_) {
        peer_->ShowModal(owner.Peer());
    }
    shownModal_ = false;
    visible_ = false;
}

void Form::Hide() {
    SetVisible(false);
}

bool Form::Unload() {
    bool cancel = false;
    if (!RunEventHandler([&] { Form_Unload(cancel); })) {
        return true;  // the program ended: every window is gone
    }
    if (cancel) {
        return false;
    }
    Hide();
    loaded_ = false;
    return true;
}

void Form::SetVisible(bool visible) {
    if (visible_ != visible) {
        visible_ = visible;
        Notify(Property::Visible);
    }
}

void Form::Notify(Property what) {
    if (peer_) {
        peer_->Changed(what);
    }
}

}  // namespace vantrel
