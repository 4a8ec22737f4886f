#pragma once

// What the windows and the command-line tool need to know of the drives and folders, in Windows
// paths (UTF-8 text, "\" separated, with a drive letter). Each platform answers from its own
// file system: POSIX through the Wine prefix's drive letters, Windows from its own.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// The letters of the drives that exist, upper case, in order.
std::vector<char> DriveLetters();

// The process's current folder ("C:\Setup"; "C:\" at a root); nullopt when no drive holds it.
std::optional<std::string> CurrentFolder();

// The existing folder `windowsPath` names, spelled as the file system spells it: drive letter
// upper case, no trailing "\" but at a root. A relative path is taken from the current folder.
// nullopt when there is no such folder (missing, a file, a drive that does not exist).
std::optional<std::string> ExistingFolder(std::string_view windowsPath);

// The names of the folders directly inside the existing folder `windowsFolder`, hidden ones left
// out, sorted without regard to case. Unreadable entries are passed by.
std::vector<std::string> SubFolders(std::string_view windowsFolder);

// The folder of the running executable ("\" at its end only at a drive's root); nullopt when no
// drive holds it.
std::optional<std::string> ExecutableFolder();

// A path given on the command line as the Windows path the program works with: a path in the
// form the host's shell gives it, or a Windows path with a drive letter ("C:\Viewer\"); nullopt
// when no drive covers it.
std::optional<std::string> WindowsPathOfArgument(std::string_view argument);

}  // namespace vantrel
