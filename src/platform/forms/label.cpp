#include "platform/forms/label.h"

#include <algorithm>

#include "platform/forms/runtime.h"

namespace vantrel {
namespace {

constexpr float kSmallestPointSize = 6.0f;
constexpr float kStep = 0.5f;

}  // namespace

Label::Label(Form& parent) : CaptionedControl(parent) {
    CreatePeer(*this);
}

void Label::SetForeColor(Color color) {
    foreColor_ = color;
    Notify(Property::ForeColor);
}

void Label::SetBackStyle(Background style) {
    backStyle_ = style;
    Notify(Property::BackStyle);
}

void FitCaptionsToWidth(std::initializer_list<Label*> labels) {
    if (labels.size() == 0) {
        return;
    }
    StdFont font = (*labels.begin())->Font();
    const auto allFit = [&] {
        return std::all_of(labels.begin(), labels.end(), [&](const Label* label) {
            return TextWidth(font, label->Caption()) <= label->Width();
        });
    };
    while (!allFit() && font.Size - kStep >= kSmallestPointSize) {
        font.Size -= kStep;
    }
    for (Label* label : labels) {
        label->SetFont(font);
    }
}

}  // namespace vantrel
