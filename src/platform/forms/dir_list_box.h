#pragma once

#include <string>
#include <vector>

#include "platform/forms/control.h"

namespace vantrel {

// The folder list: shows the path of the folder set, one open folder per level from the drive's
// root down, and under it the folders it holds. It starts on the process's current folder.
// Disabled, it is greyed and nothing about it can be changed, yet it keeps its stop in the tab
// order, read-only: the keyboard reaches it and a screen reader reads the folder's full path.
class DirListBox : public Control {
  public:
    explicit DirListBox(Form& parent);

    // The folder shown, as a Windows path: "C:\" for a root, else without a trailing "\".
    const std::string& Path() const { return path_; }

    // Shows the folder named by a Windows path. An empty text leaves the list as it is. A
    // folder that does not exist (or a path to a file, or on a drive that does not exist)
    // raises RaisedError 76 "Path not found".
    void SetPath(const std::string& path);

    // One line of the list as shown: its text, its indentation level, and whether it is part
    // of the path (an open folder) rather than a folder under it.
    struct Row {
        std::string Text;
        int Level = 0;
        bool OnPath = false;
        bool operator==(const Row&) const = default;
    };
    const std::vector<Row>& Rows() const { return rows_; }
    // The row of the folder shown (the last one on the path); -1 when the list is empty.
    int ListIndex() const { return listIndex_; }

  private:
    void Show(const std::string& folder);

    std::string path_;
    std::vector<Row> rows_;
    int listIndex_ = -1;
};

}  // namespace vantrel
