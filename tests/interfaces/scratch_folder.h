#pragma once

// What the tests of the platform interfaces need from the system they run on, so that the same
// tests run against both platform layers.

#include <filesystem>
#include <string>

namespace vantrel::test {

// A fresh, empty folder reached through a drive letter, removed with everything in it: on
// Windows under the temporary folder, on POSIX drive C:'s "Scratch" in a Wine prefix of its own.
class ScratchFolder {
  public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // Its Windows path, spelled as on disk, with no "\" at the end.
    const std::string& WindowsPath() const { return windowsPath_; }
    // `relative` ("a/b") inside it, for the tests' own file operations.
    std::filesystem::path Host(const std::string& relative) const;
    // Creates the folder `relative` so that the system counts it hidden: with the hidden
    // attribute on Windows, with a dot before its last name on POSIX.
    void MakeHiddenFolder(const std::string& relative) const;

  private:
    std::filesystem::path host_;
    std::string windowsPath_;
};

// A drive letter nothing is mapped to while the ScratchFolder lives.
char UnmappedDriveLetter();

// The host path of the Windows path `windowsPath`.
std::filesystem::path HostPathOf(const std::string& windowsPath);

// Makes `folder` the process's current folder for as long as it lives.
class ScopedCurrentFolder {
  public:
    explicit ScopedCurrentFolder(const std::filesystem::path& folder)
        : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    ~ScopedCurrentFolder() { std::filesystem::current_path(previous_); }
    ScopedCurrentFolder(const ScopedCurrentFolder&) = delete;
    ScopedCurrentFolder& operator=(const ScopedCurrentFolder&) = delete;

  private:
    std::filesystem::path previous_;
};

}  // namespace vantrel::test
