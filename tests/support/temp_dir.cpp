#include "support/temp_dir.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace vantrel::test {

namespace fs = std::filesystem;

TempDir::TempDir() {
    // Tests of several processes run at once: a random name, and create_directory tells whether
    // it was ours.
    std::random_device seed;
    std::mt19937_64 random(seed());
    const fs::path base = fs::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::ostringstream name;
        name << "vantrel-test-" << std::hex << random();
        std::error_code error;
        if (fs::create_directory(base / name.str(), error)) {
            path_ = base / name.str();
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
    std::error_code ignored;
    // Tests may leave read-only folders behind; make them writable so they can be removed.
    for (auto it = fs::recursive_directory_iterator(path_, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored)) {
        if (it->is_directory(ignored) && !it->is_symlink(ignored)) {
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        }
    }
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
}

ScopedEnv::ScopedEnv(std::string name, std::optional<std::string> value) : name_(std::move(name)) {
    if (const char* old = std::getenv(name_.c_str())) {
        previous_ = old;
    }
    SetProcessVariable(name_, value);
}

ScopedEnv::~ScopedEnv() {
    SetProcessVariable(name_, previous_);
}

fs::path Utf8Path(const std::string& text) {
    return fs::path(std::u8string(text.begin(), text.end()));
}

std::string Utf8Text(const fs::path& path) {
    const std::u8string text = path.generic_u8string();
    return std::string(text.begin(), text.end());
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

std::vector<std::string> ListFiles(const fs::path& root) {
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        std::error_code unreadable;  // a link in a circle, for one, is no file
        if (entry.is_regular_file(unreadable)) {
            files.push_back(Utf8Text(entry.path().lexically_relative(root)));
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace vantrel::test
