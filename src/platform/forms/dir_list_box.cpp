#include "platform/forms/dir_list_box.h"

#include <QHeaderView>
#include <QStyle>
#include <algorithm>
#include <filesystem>

#include "platform/posix/files/drives.h"
#include "platform/forms/program.h"
#include "shared/raised_error.h"

namespace vantrel {
namespace fs = std::filesystem;
namespace {

constexpr int kPathNotFound = 76;

[[noreturn]] void RaisePathNotFound() {
    throw RaisedError(kPathNotFound, kRuntimeErrorSource, "Path not found");
}

// "C:\Program Files\Viewer" as {"c:\", "Program Files", "Viewer"}.
std::vector<std::string> PathLevels(const std::string& windowsPath) {
    std::vector<std::string> levels;
    if (windowsPath.size() < 2) {
        return levels;
    }
    std::string drive = windowsPath.substr(0, 2);
    drive[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(drive[0])));
    levels.push_back(drive + "\\");
    std::size_t start = 3;
    while (start < windowsPath.size()) {
        const std::size_t end = std::min(windowsPath.find('\\', start), windowsPath.size());
        if (end > start) {
            levels.push_back(windowsPath.substr(start, end - start));
        }
        start = end + 1;
    }
    return levels;
}

bool LessIgnoringCase(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) <
               std::tolower(static_cast<unsigned char>(y));
    });
}

// The folders directly under `folder`, in name order; hidden (dot) folders are left out as the
// original leaves out hidden folders. Unreadable entries are passed by.
std::vector<std::string> SubFolders(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code ignored;
        const std::string name = it->path().filename().string();
        if (!name.starts_with('.') && it->is_directory(ignored)) {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end(), LessIgnoringCase);
    return names;
}

// The Windows path of an existing host folder as the list shows it: no trailing "\" but
// after a drive.
std::string DisplayPath(std::string windowsPath) {
    while (windowsPath.size() > 3 && windowsPath.back() == '\\') {
        windowsPath.pop_back();
    }
    if (windowsPath.size() == 2) {
        windowsPath += '\\';
    }
    windowsPath[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(windowsPath[0])));
    return windowsPath;
}

}  // namespace

DirListBox::DirListBox(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setIndentation(fontMetrics().horizontalAdvance(QLatin1Char('m')));
    setSelectionMode(QAbstractItemView::SingleSelection);

    std::error_code error;
    const fs::path current = fs::current_path(error);
    const auto windowsPath = error ? std::nullopt : ToWindowsPath(current);
    if (windowsPath) {
        Show(DisplayPath(*windowsPath), current.string());
    }
}

std::string DirListBox::Path() const {
    return path_;
}

void DirListBox::SetPath(const std::string& path) {
    if (path.empty()) {
        return;
    }
    const HostPath host = ToHostPath(path);
    std::error_code error;
    if (host.Error != ERROR_SUCCESS || !fs::is_directory(host.Path, error)) {
        RaisePathNotFound();
    }
    const auto windowsPath = ToWindowsPath(host.Path);
    if (!windowsPath) {
        RaisePathNotFound();
    }
    Show(DisplayPath(*windowsPath), host.Path.string());
}

void DirListBox::Show(const std::string& windowsPath, const std::string& hostPath) {
    clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);

    QTreeWidgetItem* parent = nullptr;
    for (const auto& level : PathLevels(windowsPath)) {
        auto* item = parent == nullptr ? new QTreeWidgetItem(this) : new QTreeWidgetItem(parent);
        item->setText(0, QString::fromStdString(level));
        item->setIcon(0, open);
        parent = item;
    }
    for (const auto& name : SubFolders(hostPath)) {
        auto* item = new QTreeWidgetItem(parent);
        item->setText(0, QString::fromStdString(name));
        item->setIcon(0, closed);
    }
    expandAll();
    setCurrentItem(parent);
    path_ = windowsPath;
}

std::vector<DirListBox::Row> DirListBox::Rows() const {
    std::vector<Row> rows;
    const int onPath = static_cast<int>(PathLevels(path_).size());
    const auto add = [&](const auto& self, const QTreeWidgetItem* item, int level) -> void {
        rows.push_back({item->text(0).toStdString(), level, level < onPath});
        for (int child = 0; child < item->childCount(); ++child) {
            self(self, item->child(child), level + 1);
        }
    };
    for (int top = 0; top < topLevelItemCount(); ++top) {
        add(add, topLevelItem(top), 0);
    }
    return rows;
}

}  // namespace vantrel
