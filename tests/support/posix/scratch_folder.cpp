#include "support/scratch_folder.h"

#include "platform/posix/files/drives.h"
#include "support/posix/scratch_place.h"

namespace vantrel::test {

namespace fs = std::filesystem;

ScratchFolder::ScratchFolder() : place_(std::make_unique<Place>()) {
    host_ = fs::canonical(place_->Prefix.DriveC()) / "Scratch";
    fs::create_directory(host_);
    windowsPath_ = "C:\\Scratch";
}

ScratchFolder::~ScratchFolder() = default;

fs::path ScratchFolder::Host(const std::string& relative) const {
    return host_ / relative;
}

void ScratchFolder::MakeHiddenFolder(const std::string& relative) const {
    const fs::path path = Host(relative);
    fs::create_directories(path.parent_path() / ("." + path.filename().string()));
}

// The prefix maps C: and Z: only.
char UnmappedDriveLetter() {
    return 'Q';
}

fs::path HostPathOf(const std::string& windowsPath) {
    return ToHostPath(windowsPath).Path;
}

}  // namespace vantrel::test
