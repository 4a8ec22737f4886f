#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/forms/control.h"

namespace vantrel {

class ListView;

enum class ColumnAlignment { Left, Right, Center };

// One report column. Widths are twips in single precision, as the common control keeps them.
struct ColumnHeader {
    std::string Key;
    std::string Text;
    float Width = 0;
    ColumnAlignment Alignment = ColumnAlignment::Left;
};

// One row: its text, the texts of its sub-items (one per column after the first), its tool tip
// and whether it is selected.
class ListItem {
  public:
    const std::string& Text() const { return text_; }
    const std::string& ToolTipText() const { return toolTipText_; }
    void SetToolTipText(std::string text);
    bool Selected() const { return selected_; }

    // Sub-items are numbered from 1 to the number of columns less one; any other index raises
    // RaisedError 380 "Invalid property value".
    const std::string& SubItems(int index) const;
    void SetSubItems(int index, std::string text);

  private:
    friend class ListView;
    ListItem(ListView& owner, std::string text);

    ListView* owner_;
    std::string text_;
    std::string toolTipText_;
    std::vector<std::string> subItems_;
    bool selected_ = false;
};

// The common controls' list view in report mode: keyed columns, rows with sub-items, and the
// control's single selection, including its rule that the first row added to an empty list
// becomes the selected row. Rows and columns are the list's own; its peer hears of every change
// as one to the content (a column's width, set through a reference, included only in the next
// change's).
class ListView : public Control {
  public:
    explicit ListView(Form& parent);

    // Columns, in order; found by key. An unknown key raises RaisedError 35601 "Element not
    // found".
    ColumnHeader& AddColumnHeader(std::string key, std::string text, float width,
                                  ColumnAlignment alignment);
    const std::vector<ColumnHeader>& ColumnHeaders() const { return columns_; }
    ColumnHeader& ColumnHeaders(const std::string& key);

    // Rows, in the order they were added. References stay valid while the list lives.
    ListItem& AddListItem(std::string text);
    const std::deque<ListItem>& ListItems() const { return items_; }

    // Selects one row, or clears its selection; selecting a row clears every other row's flag.
    // A row that does not exist raises RaisedError 35600 "Index out of bounds".
    void SetSelected(std::size_t index, bool selected);

  private:
    friend class ListItem;
    void ContentChanged() { Notify(Property::Content); }

    std::vector<ColumnHeader> columns_;
    std::deque<ListItem> items_;
};

}  // namespace vantrel
