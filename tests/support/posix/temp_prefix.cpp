#include "support/posix/temp_prefix.h"

#include <stdlib.h>

#include "support/viewer_registry.h"

namespace vantrel::test {

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
    WriteRegistry(Path(), text);
}

namespace {

// What a Wine prefix's system.reg holds around the viewer's key: the folders and variables a
// Windows process takes from the registry, as wineboot of Wine 8.0 writes them.
constexpr const char* kMachine = R"REG(WINE REGISTRY Version 2
;; All keys relative to \\Machine

#arch=win64

[Software\\Microsoft\\Windows\\CurrentVersion] 1700000000
#time=1d9e6f0a1b2c3d4
"CommonFilesDir"="C:\\Program Files\\Common Files"
"CommonFilesDir (x86)"="C:\\Program Files (x86)\\Common Files"
"ProgramFilesDir"="C:\\Program Files"
"ProgramFilesDir (x86)"="C:\\Program Files (x86)"

[Software\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList] 1700000000
#time=1d9e6f0a1b2c3d4
"ProgramData"=str(2):"C:\\ProgramData"
"Public"=str(2):"C:\\users\\Public"

[System\\ControlSet001\\Control\\Session Manager\\Environment] 1700000000
#time=1d9e6f0a1b2c3d4
"ComSpec"=str(2):"%SystemRoot%\\system32\\cmd.exe"
"windir"=str(2):"%SystemRoot%"

[System\\CurrentControlSet] 1700000000
#time=1d9e6f0a1b2c3d4
#link
"SymbolicLinkValue"=hex(6):5c,00,52,00,45,00,47,00,49,00,53,00,54,00,52,00,59,00,5c,00,4d,00,\
  61,00,63,00,68,00,69,00,6e,00,65,00,5c,00,53,00,79,00,73,00,74,00,65,00,6d,00,\
  5c,00,43,00,6f,00,6e,00,74,00,72,00,6f,00,6c,00,53,00,65,00,74,00,30,00,30,00,\
  31,00
)REG";

constexpr const char* kViewerSection =
    "\n[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\App Paths\\\\ZORVIKViewer.EXE] "
    "1700000000\n#time=1d9e6f0a1b2c3d4\n";

// The user's own variables, in user.reg, for the user "tester".
constexpr const char* kUser = R"REG(WINE REGISTRY Version 2
;; All keys relative to \\User\\S-1-5-21-0-0-0-1000

#arch=win64

[Environment] 1700000000
#time=1d9e6f0a1b2c3d4
"TEMP"="C:\\users\\tester\\Temp"

[Volatile Environment] 1700000000
#time=1d9e6f0a1b2c3d4
"APPDATA"="C:\\users\\tester\\AppData\\Roaming"
"LOCALAPPDATA"="C:\\users\\tester\\AppData\\Local"
"USERPROFILE"="C:\\users\\tester"
)REG";

}  // namespace

void WriteRegistry(const std::filesystem::path& prefix, const std::string& systemReg) {
    WriteFile(prefix / "system.reg", systemReg);
    WriteFile(prefix / "user.reg", kUser);
}

std::string SystemRegText() {
    return kMachine;
}

std::string SystemRegWithEnvironment(std::string_view valueLines) {
    std::string text = kMachine;
    const std::size_t comSpec = text.find("\"ComSpec\"");
    text.insert(text.find('\n', comSpec) + 1, valueLines);
    return text;
}

std::string SystemRegWithViewer(std::string_view valueLines) {
    return kMachine + std::string(kViewerSection) + std::string(valueLines);
}

std::string ViewerRegistration(const std::string& viewerPath) {
    return SystemRegWithViewer(SystemRegLine(ViewerPath(viewerPath)));
}

}  // namespace vantrel::test
