#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace vantrel::test {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

  private:
    std::filesystem::path path_;
};

// Sets (or, with nullopt, removes) an environment variable of the process for as long as it
// lives: for the C library and, on Windows, for the system's functions too.
class ScopedEnv {
  public:
    ScopedEnv(std::string name, std::optional<std::string> value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    std::string name_;
    std::optional<std::string> previous_;
};

// Sets an environment variable of the process; nullopt removes it. Each platform provides it.
void SetProcessVariable(const std::string& name, const std::optional<std::string>& value);

// Paths as the tests' UTF-8 text, and back with "/" separators: on Windows a plain string is
// read in another code page.
std::filesystem::path Utf8Path(const std::string& text);
std::string Utf8Text(const std::filesystem::path& path);

void WriteFile(const std::filesystem::path& path, const std::string& bytes);
std::string ReadFile(const std::filesystem::path& path);

// Every regular file under `root`, as UTF-8 paths relative to it with "/" separators, sorted.
std::vector<std::string> ListFiles(const std::filesystem::path& root);

}  // namespace vantrel::test
