#include "platform/forms/label_text.h"

#include <QFontMetricsF>
#include <QLabel>
#include <algorithm>

namespace vantrel {
namespace {

constexpr double kSmallestPointSize = 6.0;
constexpr double kStep = 0.5;

bool Fits(const QFont& font, const QString& text, int width) {
    return QFontMetricsF(font).horizontalAdvance(text) <= width;
}

}  // namespace

void FitTextToWidth(std::initializer_list<QLabel*> labels) {
    if (labels.size() == 0) {
        return;
    }
    QFont font = (*labels.begin())->font();
    const auto allFit = [&] {
        return std::all_of(labels.begin(), labels.end(), [&](const QLabel* label) {
            return Fits(font, label->text(), label->width());
        });
    };
    while (!allFit() && font.pointSizeF() - kStep >= kSmallestPointSize) {
        font.setPointSizeF(font.pointSizeF() - kStep);
    }
    for (QLabel* label : labels) {
        label->setFont(font);
    }
}

}  // namespace vantrel
