#include "platform/forms/list_view.h"

#include "shared/runtime_error.h"

namespace vantrel {

ListItem::ListItem(ListView& owner, std::string text) : owner_(&owner), text_(std::move(text)) {}

void ListItem::SetToolTipText(std::string text) {
    toolTipText_ = std::move(text);
    owner_->ContentChanged();
}

const std::string& ListItem::SubItems(int index) const {
    if (index < 1 || index >= static_cast<int>(owner_->ColumnHeaders().size())) {
        RuntimeError::Raise(RuntimeError::InvalidPropertyValue);
    }
    static const std::string empty;
    const auto slot = static_cast<std::size_t>(index - 1);
    return slot < subItems_.size() ? subItems_[slot] : empty;
}

void ListItem::SetSubItems(int index, std::string text) {
    SubItems(index);  // validates the index
    const auto slot = static_cast<std::size_t>(index - 1);
    if (subItems_.size() <= slot) {
        subItems_.resize(slot + 1);
    }
    subItems_[slot] = std::move(text);
    owner_->ContentChanged();
}

ListView::ListView(Form& parent) : Control(parent) {
    CreatePeer(*this);
}

ColumnHeader& ListView::AddColumnHeader(std::string key, std::string text, float width,
                                        ColumnAlignment alignment) {
    columns_.push_back({std::move(key), std::move(text), width, alignment});
    Notify(Property::Content);
    return columns_.back();
}

ColumnHeader& ListView::ColumnHeaders(const std::string& key) {
    for (auto& column : columns_) {
        if (column.Key == key) {
            return column;
        }
    }
    RuntimeError::Raise(RuntimeError::ElementNotFound);
}

ListItem& ListView::AddListItem(std::string text) {
    const bool wasEmpty = items_.empty();
    items_.push_back(ListItem(*this, std::move(text)));
    if (wasEmpty) {
        SetSelected(0, true);
    }
    Notify(Property::Content);
    return items_.back();
}

void ListView::SetSelected(std::size_t index, bool selected) {
    if (index >= items_.size()) {
        RuntimeError::Raise(RuntimeError::IndexOutOfBounds);
    }
    if (selected) {
        for (auto& item : items_) {
            item.selected_ = false;
        }
    }
    items_[index].selected_ = selected;
    Notify(Property::Content);
}

}  // namespace vantrel
