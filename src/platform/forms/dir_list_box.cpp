#include "platform/forms/dir_list_box.h"

#include <algorithm>
#include <cctype>

#include "platform/file_system.h"
#include "shared/runtime_error.h"

namespace vantrel {
namespace {

// "C:\Program Files\Viewer" as {"c:\", "Program Files", "Viewer"}.
std::vector<std::string> PathLevels(const std::string& folder) {
    std::vector<std::string> levels;
    if (folder.size() < 2) {
        return levels;
    }
    std::string drive = folder.substr(0, 2);
    drive[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(drive[0])));
    levels.push_back(drive + "\\");
    std::size_t start = 3;
    while (start < folder.size()) {
        const std::size_t end = std::min(folder.find('\\', start), folder.size());
        if (end > start) {
            levels.push_back(folder.substr(start, end - start));
        }
        start = end + 1;
    }
    return levels;
}

}  // namespace

DirListBox::DirListBox(Form& parent) : Control(parent) {
    if (const auto current = CurrentFolder()) {
        Show(*current);
    }
    CreatePeer(*this);
}

void DirListBox::SetPath(const std::string& path) {
    if (path.empty()) {
        return;
    }
    const auto folder = ExistingFolder(path);
    if (!folder) {
        RuntimeError::Raise(RuntimeError::PathNotFound);
    }
    Show(*folder);
    Notify(Property::Content);
}

// `folder` is spelled as the file system spells it.
void DirListBox::Show(const std::string& folder) {
    rows_.clear();
    int level = 0;
    for (auto& text : PathLevels(folder)) {
        rows_.push_back({std::move(text), level++, true});
    }
    listIndex_ = static_cast<int>(rows_.size()) - 1;
    for (auto& name : SubFolders(folder)) {
        rows_.push_back({std::move(name), level, false});
    }
    path_ = folder;
}

}  // namespace vantrel
