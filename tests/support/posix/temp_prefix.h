#pragma once

// What only the POSIX layer has: a Wine prefix, whose drives and registry are files.

#include <filesystem>
#include <string>
#include <string_view>

#include "support/temp_dir.h"

namespace vantrel::test {

struct RegistryValue;

// A Wine prefix of our own: drive C: is the folder drive_c inside it, drive Z: the host's "/".
// WINEPREFIX points at it for as long as it lives.
class TempPrefix {
  public:
    TempPrefix();

    const std::filesystem::path& Path() const { return dir_.Path(); }
    std::filesystem::path DriveC() const { return dir_.Path() / "drive_c"; }
    // Maps another drive letter ('d', 'e', ...) to `target`.
    void MapDrive(char letter, const std::filesystem::path& target) const;
    // Writes the prefix's system.reg with the given text, and user.reg beside it.
    void WriteSystemReg(const std::string& text) const;

  private:
    TempDir dir_;
    ScopedEnv env_;
};

// A system.reg as Wine saves it, with the machine keys a Windows process takes its folders and
// variables from.
std::string SystemRegText();
// The same with further values (lines as Wine writes them) in the session's environment.
std::string SystemRegWithEnvironment(std::string_view valueLines);
// The same with the viewer's key holding `valueLines` (lines as Wine writes them).
std::string SystemRegWithViewer(std::string_view valueLines);

// Writes system.reg of the prefix folder `prefix` with the given text, and beside it a user.reg
// as Wine saves it, with the variables of the user "tester".
void WriteRegistry(const std::filesystem::path& prefix, const std::string& systemReg);

// One value as Wine writes it in system.reg, with its line end.
std::string SystemRegLine(const RegistryValue& value);

// The text of a system.reg registering the viewer at `viewerPath` (a Windows path).
std::string ViewerRegistration(const std::string& viewerPath);

}  // namespace vantrel::test
