#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace vantrel::test {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vantrel-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary folder");
    }
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    // Tests may leave read-only folders behind; make them writable so they can be removed.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
        if (it->is_directory(ignored) && !it->is_symlink(ignored)) {
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ignored);
        }
    }
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

ScopedEnv::ScopedEnv(std::string name, std::optional<std::string> value) : name_(std::move(name)) {
    if (const char* old = std::getenv(name_.c_str())) {
        previous_ = old;
    }
    if (value) {
        setenv(name_.c_str(), value->c_str(), 1);
    } else {
        unsetenv(name_.c_str());
    }
}

ScopedEnv::~ScopedEnv() {
    if (previous_) {
        setenv(name_.c_str(), previous_->c_str(), 1);
    } else {
        unsetenv(name_.c_str());
    }
}

TempPrefix::TempPrefix() : env_("WINEPREFIX", std::nullopt) {
    std::filesystem::create_directories(DriveC());
    std::filesystem::create_directories(Path() / "dosdevices");
    std::filesystem::create_directory_symlink("../drive_c", Path() / "dosdevices" / "c:");
    std::filesystem::create_directory_symlink("/", Path() / "dosdevices" / "z:");
    setenv("WINEPREFIX", Path().c_str(), 1);
}

void TempPrefix::MapDrive(char letter, const std::filesystem::path& target) const {
    std::filesystem::create_directory_symlink(
        target, Path() / "dosdevices" / (std::string(1, letter) + ":"));
}

void TempPrefix::WriteSystemReg(const std::string& text) const {
    WriteFile(Path() / "system.reg", text);
}

std::string ViewerRegistration(const std::string& viewerPath) {
    std::string escaped;
    for (char c : viewerPath) {
        escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
    }
    return "WINE REGISTRY Version 2\n\n"
           "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\App "
           "Paths\\\\ZORVIKViewer.EXE] 1700000000\n"
           "@=\"" +
           escaped + "\"\n";
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

std::vector<std::string> ListFiles(const std::filesystem::path& root) {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        std::error_code unreadable;  // a link in a circle, for one, is no file
        if (entry.is_regular_file(unreadable)) {
            files.push_back(entry.path().lexically_relative(root).generic_string());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace vantrel::test
