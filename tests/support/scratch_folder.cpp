#include "support/scratch_folder.h"

#include <algorithm>

#include "support/temp_dir.h"

namespace vantrel::test {

namespace fs = std::filesystem;

std::string ScratchFolder::Windows(const std::string& relative) const {
    std::string path = windowsPath_ + "\\" + relative;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::string ScratchFolder::Resolved(const std::string& text) const {
    std::string resolved = text;
    for (std::size_t at = 0; (at = resolved.find("Q:", at)) != std::string::npos; at += 2) {
        resolved[at] = UnmappedDriveLetter();
    }
    return resolved.starts_with('~') ? windowsPath_ + resolved.substr(1) : resolved;
}

std::vector<std::string> ScratchFolder::Tree() const {
    std::vector<std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(host_)) {
        entries.push_back(Utf8Text(entry.path().lexically_relative(host_)));
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

}  // namespace vantrel::test
