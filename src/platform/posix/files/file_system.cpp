#include "platform/file_system.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "platform/posix/files/drives.h"

namespace vantrel {
namespace fs = std::filesystem;
namespace {

bool LessIgnoringCase(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) <
               std::tolower(static_cast<unsigned char>(y));
    });
}

// The host folder a Windows path names, when it is an existing folder.
std::optional<fs::path> HostFolder(std::string_view windowsPath) {
    const HostPath host = ToHostPath(windowsPath);
    if (host.Error != ERROR_SUCCESS) {
        return std::nullopt;
    }
    // The mapping matches the folders above the last name without regard to case; the last name
    // is matched here, as Windows matches every name.
    const fs::path folder = ExistingEntry(host.Path);
    std::error_code error;
    if (!fs::is_directory(folder, error)) {
        return std::nullopt;
    }
    return folder;
}

}  // namespace

std::vector<char> DriveLetters() {
    std::vector<char> letters;
    for (const auto& drive : MappedDrives()) {
        letters.push_back(drive.Letter);
    }
    return letters;
}

std::optional<std::string> CurrentFolder() {
    std::error_code error;
    const fs::path current = fs::current_path(error);
    return error ? std::nullopt : ToWindowsPath(current);
}

std::optional<std::string> ExistingFolder(std::string_view windowsPath) {
    const auto host = HostFolder(windowsPath);
    return host ? ToWindowsPath(*host) : std::nullopt;
}

// Hidden folders are the ones whose names start with a dot, as the host's tools hide them.
std::vector<std::string> SubFolders(std::string_view windowsFolder) {
    std::vector<std::string> names;
    const auto host = HostFolder(windowsFolder);
    if (!host) {
        return names;
    }
    std::error_code error;
    for (fs::directory_iterator it(*host, error), end; !error && it != end; it.increment(error)) {
        std::error_code ignored;
        std::string name = it->path().filename().string();
        if (!name.starts_with('.') && it->is_directory(ignored)) {
            names.push_back(std::move(name));
        }
    }
    std::sort(names.begin(), names.end(), LessIgnoringCase);
    return names;
}

std::optional<std::string> ExecutableFolder() {
    std::error_code error;
    const fs::path executable = fs::read_symlink("/proc/self/exe", error);
    return error ? std::nullopt : ToWindowsPath(executable.parent_path());
}

// A host path; or a Windows path with its drive ("C:\Program Files\Viewer\", as the tool's
// `where` prints it), which is what no host path of this system looks like.
std::optional<std::string> WindowsPathOfArgument(std::string_view argument) {
    const bool hasDrive = argument.size() >= 3 &&
                          std::isalpha(static_cast<unsigned char>(argument[0])) &&
                          argument[1] == ':' && (argument[2] == '\\' || argument[2] == '/');
    if (!hasDrive) {
        return ToWindowsPath(fs::path(argument));
    }
    if (ToHostPath(argument).Error != ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::string windowsPath(argument);
    std::replace(windowsPath.begin(), windowsPath.end(), '/', '\\');
    return windowsPath;
}

}  // namespace vantrel
