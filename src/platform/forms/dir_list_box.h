#pragma once

#include <QTreeWidget>
#include <string>
#include <vector>

namespace vantrel {

// Stands in for the forms runtime's folder list: shows the path of the folder set, one open
// folder per level from the drive's root down, and under it the folders it holds. It starts on
// the process's current folder.
class DirListBox : public QTreeWidget {
    Q_OBJECT
  public:
    explicit DirListBox(QWidget* parent = nullptr);

    // The folder shown, as a Windows path: "C:\" for a root, else without a trailing "\".
    std::string Path() const;

    // Shows the folder named by a Windows path. An empty text leaves the list as it is. A
    // folder that does not exist (or a path to a file, or on a drive that is not mapped) raises
    // RaisedError 76 "Path not found".
    void SetPath(const std::string& path);

    // One line of the list as shown: its text, its indentation level, and whether it is part
    // of the path (an open folder) rather than a folder under it.
    struct Row {
        std::string Text;
        int Level = 0;
        bool OnPath = false;
        bool operator==(const Row&) const = default;
    };
    std::vector<Row> Rows() const;

  private:
    void Show(const std::string& windowsPath, const std::string& hostPath);

    std::string path_;
};

}  // namespace vantrel
