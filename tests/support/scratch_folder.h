#pragma once

// A place for a test's files that the program reaches through Windows paths, so that the same
// test bodies run on both platform layers.

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace vantrel::test {

// A fresh, empty folder reached through a drive letter, removed with everything in it: on
// Windows under the temporary folder, on POSIX drive C:'s "Scratch" in a Wine prefix of its own,
// which lives as long as the folder.
class ScratchFolder {
  public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // Its Windows path, spelled as on disk, with no "\" at the end.
    const std::string& WindowsPath() const { return windowsPath_; }
    // The Windows path of `relative` ("a/b" or "a\b") inside it.
    std::string Windows(const std::string& relative) const;
    // A path of a test's table: a leading "~" stands for this folder, "Q:" for a drive letter
    // nothing is mapped to (UnmappedDriveLetter); anything else is taken as it is.
    std::string Resolved(const std::string& text) const;
    // `relative` ("a/b") inside it, for the tests' own file operations.
    std::filesystem::path Host(const std::string& relative) const;
    // Every file and folder inside it, relative with "/" separators, sorted; links are listed
    // but not followed.
    std::vector<std::string> Tree() const;
    // Creates the folder `relative` so that the system counts it hidden: with the hidden
    // attribute on Windows, with a dot before its last name on POSIX.
    void MakeHiddenFolder(const std::string& relative) const;

    // What the platform keeps for the folder (the Wine prefix on POSIX).
    struct Place;
    Place& PlatformPlace() const { return *place_; }

  private:
    std::unique_ptr<Place> place_;
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
