#include "interfaces/scratch_folder.h"

#include <memory>

#include "platform/posix/files/drives.h"
#include "support/temp_dir.h"

namespace vantrel::test {

namespace fs = std::filesystem;

namespace {

// The prefix maps C: and Z: only, and lives as long as the scratch folders (one at a time).
std::unique_ptr<TempPrefix>& Prefix() {
    static std::unique_ptr<TempPrefix> prefix;
    return prefix;
}

}  // namespace

ScratchFolder::ScratchFolder() {
    Prefix() = std::make_unique<TempPrefix>();
    host_ = fs::canonical(Prefix()->DriveC()) / "Scratch";
    fs::create_directory(host_);
    windowsPath_ = "C:\\Scratch";
}

ScratchFolder::~ScratchFolder() {
    Prefix().reset();
}

fs::path ScratchFolder::Host(const std::string& relative) const {
    return host_ / relative;
}

void ScratchFolder::MakeHiddenFolder(const std::string& relative) const {
    const fs::path path = Host(relative);
    fs::create_directories(path.parent_path() / ("." + path.filename().string()));
}

char UnmappedDriveLetter() {
    return 'Q';
}

fs::path HostPathOf(const std::string& windowsPath) {
    return ToHostPath(windowsPath).Path;
}

}  // namespace vantrel::test
