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

// Sets (or, with nullopt, removes) an environment variable for as long as it lives.
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

// A Wine prefix of our own: drive C: is the folder drive_c inside it, drive Z: the host's "/".
// WINEPREFIX points at it for as long as it lives.
class TempPrefix {
  public:
    TempPrefix();

    const std::filesystem::path& Path() const { return dir_.Path(); }
    std::filesystem::path DriveC() const { return dir_.Path() / "drive_c"; }
    // Maps another drive letter ('d', 'e', ...) to `target`.
    void MapDrive(char letter, const std::filesystem::path& target) const;
    // Writes the prefix's system.reg with the given text.
    void WriteSystemReg(const std::string& text) const;

  private:
    TempDir dir_;
    ScopedEnv env_;
};

// The text of a system.reg registering the viewer at `viewerPath` (a Windows path).
std::string ViewerRegistration(const std::string& viewerPath);

void WriteFile(const std::filesystem::path& path, const std::string& bytes);
std::string ReadFile(const std::filesystem::path& path);

// Every regular file under `root`, as paths relative to it with "/" separators, sorted.
std::vector<std::string> ListFiles(const std::filesystem::path& root);

}  // namespace vantrel::test
