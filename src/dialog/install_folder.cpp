#include "dialog/install_folder.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

#include "platform/ansi.h"
#include "platform/kernel.h"
#include "platform/registry.h"
#include "shared/split_path.h"

namespace vantrel {
namespace {

constexpr const char* kViewerKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\ZORVIKViewer.EXE";

// The value is read into 513 zeroed bytes of which 512 are offered, so that a zero always
// follows the data.
constexpr std::size_t kValueBufferSize = 513;
constexpr DWORD kOfferedSize = 512;

// Windows expands at most this many bytes.
constexpr DWORD kExpansionLimit = 32 * 1024;

// `ansi` with each %NAME% of the environment replaced by its value; as written when the
// expansion fails.
std::string Expanded(const std::string& ansi) {
    std::string expanded(kExpansionLimit, '\0');
    const DWORD needed = ExpandEnvironmentStringsA(ansi.c_str(), expanded.data(), kExpansionLimit);
    if (needed == 0 || needed > kExpansionLimit) {
        return ansi;
    }
    expanded.resize(std::strlen(expanded.c_str()));
    return expanded;
}

std::string_view StripSurroundingQuotes(std::string_view path) {
    if (path.size() >= 2 && path.front() == '"' && path.back() == '"') {
        return path.substr(1, path.size() - 2);
    }
    return path;
}

// The folder of the registered executable, or nullopt when the value names none. The images
// belong in the viewer's folder and nowhere else, so a registration that gives no folder (another
// type of value, or a bare file name) counts as no registration. Setup programs often write the
// path as "%ProgramFiles%\..." (REG_EXPAND_SZ) or in quotes, as on a command line; both are
// understood.
std::optional<std::string> FolderOfValue(DWORD type,
                                         const std::array<BYTE, kValueBufferSize>& data) {
    if (type != REG_SZ && type != REG_EXPAND_SZ) {
        return std::nullopt;
    }
    const auto zero = std::find(data.begin(), data.end(), BYTE{0});
    std::string ansi(data.begin(), zero);
    if (type == REG_EXPAND_SZ) {
        ansi = Expanded(ansi);
    }
    const std::string path = FromAnsi(ansi);
    std::string folder = SplitPath(StripSurroundingQuotes(path)).Folder;
    if (folder.empty()) {
        return std::nullopt;
    }
    return folder;
}

}  // namespace

struct InstallFolderDiscovery::State {
    HKEY key = nullptr;
    bool keyOpened = false;
    std::optional<std::string> folderFound;  // decided with the query, taken at the close
    std::string installFolder;
};

InstallFolderDiscovery::InstallFolderDiscovery() = default;

InstallFolderDiscovery::~InstallFolderDiscovery() {
    CloseKey();
}

void InstallFolderDiscovery::CloseKey() {
    if (state_ && state_->keyOpened) {
        RegCloseKey(state_->key);
        state_->keyOpened = false;
    }
}

void InstallFolderDiscovery::OpenAndQuery() {
    CloseKey();
    state_ = std::make_unique<State>();
    // The key is opened, never created: an installer of images has no business leaving an empty
    // key of the viewer's behind. A failed open leaves no usable handle; the query then fails
    // and tells the same.
    RegOpenKeyExA(HKEY_LOCAL_MACHINE, kViewerKey, 0, KEY_QUERY_VALUE, &state_->key);
    state_->keyOpened = true;

    std::array<BYTE, kValueBufferSize> data{};
    DWORD size = kOfferedSize;
    DWORD type = REG_NONE;
    if (RegQueryValueExA(state_->key, "", nullptr, &type, data.data(), &size) == ERROR_SUCCESS) {
        state_->folderFound = FolderOfValue(type, data);
    }
}

bool InstallFolderDiscovery::ViewerRegistered() const {
    return state_ && state_->folderFound.has_value();
}

void InstallFolderDiscovery::CloseAndTakeFolder() {
    if (!state_) {
        return;
    }
    CloseKey();
    if (state_->folderFound) {
        state_->installFolder = *state_->folderFound;
    }
}

const std::string& InstallFolderDiscovery::InstallFolder() const {
    static const std::string kNone;
    return state_ ? state_->installFolder : kNone;
}

}  // namespace vantrel
