#include "platform/posix/files/drives.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <mutex>

namespace vantrel {
namespace fs = std::filesystem;

namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

// Characters Windows never allows inside a file or folder name.
bool IsForbiddenInName(unsigned char c) {
    return c < 0x20 || c == '<' || c == '>' || c == ':' || c == '"' || c == '|' || c == '?' ||
           c == '*';
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

struct DriveTable {
    fs::path dosdevices;
    // The folder itself, held open: asking it for its time of change costs no path lookup,
    // which matters with two lookups of a drive for every file written.
    int handle = -1;
    timespec modified{};
    std::vector<DriveMapping> drives;
};

std::vector<DriveMapping> ReadDrives(const fs::path& dosdevices) {
    std::vector<DriveMapping> drives;
    for (char letter = 'a'; letter <= 'z'; ++letter) {
        std::error_code error;
        const fs::path link = dosdevices / (std::string(1, letter) + ":");
        const fs::path root = fs::canonical(link, error);
        if (!error && fs::is_directory(root, error)) {
            drives.push_back({static_cast<char>(std::toupper(letter)), root});
        }
    }
    return drives;
}

bool SameTime(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// Whether the open dosdevices folder still is the prefix's and unchanged since the table was
// read. A folder removed since has no links left.
bool StillCurrent(const DriveTable& table, const fs::path& dosdevices) {
    struct stat info {};
    return table.handle >= 0 && table.dosdevices.native() == dosdevices.native() &&
           ::fstat(table.handle, &info) == 0 && info.st_nlink > 0 &&
           SameTime(info.st_mtim, table.modified);
}

void ReadTable(DriveTable& table, const fs::path& dosdevices) {
    if (table.handle >= 0) {
        ::close(table.handle);
    }
    table.dosdevices = dosdevices;
    table.handle = ::open(dosdevices.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    struct stat info {};
    if (table.handle < 0 || ::fstat(table.handle, &info) != 0) {
        table.drives = {DriveMapping{'Z', fs::path("/")}};
        return;
    }
    table.modified = info.st_mtim;
    table.drives = ReadDrives(dosdevices);
}

// The prefix's dosdevices folder, made again only when the variables that name the prefix say
// something else than the last time. Called with CurrentDrives' lock held.
const fs::path& DosDevicesFolder() {
    static std::string named;  // WINEPREFIX, or HOME when it is unset, as last seen
    static bool byPrefix = false;
    static fs::path folder;
    const char* prefix = std::getenv("WINEPREFIX");
    const bool hasPrefix = prefix != nullptr && *prefix != '\0';
    const char* home = hasPrefix ? nullptr : std::getenv("HOME");
    const std::string_view now = hasPrefix ? prefix : (home != nullptr ? home : "");
    if (folder.empty() || hasPrefix != byPrefix || now != named) {
        named = now;
        byPrefix = hasPrefix;
        folder = WinePrefix() / "dosdevices";
    }
    return folder;
}

// The drive table changes only when the prefix's dosdevices folder does, so it is read again
// only then: resolving 26 links for every file of a cabinet would cost more than the writing.
// Without a dosdevices folder, it is looked for again on every call.
const std::vector<DriveMapping>& CurrentDrives(std::unique_lock<std::mutex>& lock) {
    static std::mutex mutex;
    static DriveTable table;
    lock = std::unique_lock(mutex);
    const fs::path& dosdevices = DosDevicesFolder();
    if (!StillCurrent(table, dosdevices)) {
        ReadTable(table, dosdevices);
    }
    return table.drives;
}

std::optional<fs::path> DriveRoot(char letter) {
    const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
    std::unique_lock<std::mutex> lock;
    for (const auto& drive : CurrentDrives(lock)) {
        if (drive.Letter == upper) {
            return drive.Root;
        }
    }
    return std::nullopt;
}

bool HasDriveLetter(std::string_view path) {
    return path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]));
}

// The Windows form of a relative path: the current folder's Windows path in front of it.
std::optional<std::string> Absolute(std::string_view windowsPath) {
    if (HasDriveLetter(windowsPath)) {
        return std::string(windowsPath);
    }
    std::error_code error;
    const auto current = ToWindowsPath(fs::current_path(error));
    if (error || !current) {
        return std::nullopt;
    }
    if (!windowsPath.empty() && IsSeparator(windowsPath.front())) {
        return current->substr(0, 2) + std::string(windowsPath);
    }
    return *current + "\\" + std::string(windowsPath);
}

// Splits what follows the drive into its components, resolving "." and ".." without climbing
// above the root. Fails with ERROR_INVALID_NAME on a character Windows forbids in a name.
DWORD ResolveComponents(std::string_view rest, std::vector<std::string>& components) {
    std::size_t start = 0;
    while (start <= rest.size()) {
        std::size_t end = start;
        while (end < rest.size() && !IsSeparator(rest[end])) {
            ++end;
        }
        const std::string_view part = rest.substr(start, end - start);
        if (part == "..") {
            if (!components.empty()) {
                components.pop_back();
            }
        } else if (!part.empty() && part != ".") {
            if (std::any_of(part.begin(), part.end(), [](char c) {
                    return IsForbiddenInName(static_cast<unsigned char>(c));
                })) {
                return ERROR_INVALID_NAME;
            }
            components.emplace_back(part);
        }
        start = end + 1;
    }
    return ERROR_SUCCESS;
}

// The entry of `folder` named `name`, or one whose name differs only in case.
fs::path FindEntry(const fs::path& folder, const std::string& name) {
    std::error_code error;
    fs::path exact = folder / name;
    if (fs::symlink_status(exact, error).type() != fs::file_type::not_found) {
        return exact;
    }
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (EqualsIgnoringAsciiCase(it->path().filename().string(), name)) {
            return it->path();
        }
    }
    return exact;
}

// Folders lately seen to exist, remembered while a FolderMemory lives. Files come out of a
// cabinet folder after folder, so the same few folders are asked about again and again.
// They are compared as spelled, which is cheap: a folder spelled two ways is merely looked
// at twice. The host folders of the Windows folders lately mapped are remembered alike, so
// that the files of one folder cost no lookup of the drives and no look at the folder.
class RecentFolders {
  public:
    bool Contains(std::string_view folder) const {
        return depth_ > 0 && std::find(folders_.begin(), folders_.end(), folder) != folders_.end();
    }
    void Add(std::string_view folder) {
        if (depth_ > 0 && !Contains(folder)) {
            folders_[next_] = folder;
            next_ = (next_ + 1) % folders_.size();
        }
    }
    const std::string* HostFolderOf(std::string_view windowsFolder) const {
        if (depth_ == 0) {
            return nullptr;
        }
        for (const auto& [windows, host] : mapped_) {
            if (windows == windowsFolder && !windows.empty()) {
                return &host;
            }
        }
        return nullptr;
    }
    void AddMapping(std::string_view windowsFolder, std::string_view hostFolder) {
        if (depth_ > 0 && HostFolderOf(windowsFolder) == nullptr) {
            mapped_[nextMapped_] = {std::string(windowsFolder), std::string(hostFolder)};
            nextMapped_ = (nextMapped_ + 1) % mapped_.size();
        }
    }
    void Enter() { ++depth_; }
    void Leave() {
        if (--depth_ == 0) {
            folders_ = {};
            mapped_ = {};
        }
    }

  private:
    std::array<std::string, 8> folders_;
    size_t next_ = 0;
    std::array<std::pair<std::string, std::string>, 8> mapped_;
    size_t nextMapped_ = 0;
    int depth_ = 0;
};

RecentFolders& Recent() {
    thread_local RecentFolders recent;
    return recent;
}

bool IsExistingFolder(const std::string& folder) {
    if (Recent().Contains(folder)) {
        return true;
    }
    std::error_code error;
    if (!fs::is_directory(folder, error)) {
        return false;
    }
    Recent().Add(folder);
    return true;
}

// The host path of `components` below `root`, and where its folder part ends when that folder
// exists as spelled (0 when it was matched without regard to case, or there is none).
fs::path JoinMatchingCase(const fs::path& root, const std::vector<std::string>& components,
                          std::size_t& exactFolderEnd) {
    exactFolderEnd = 0;
    if (components.empty()) {
        return root;
    }
    // Joined as text and made a path once: joining component by component costs more than the
    // rest of the lookup.
    std::string exact = root.native();
    std::size_t parentEnd = 0;
    for (const auto& component : components) {
        parentEnd = exact.size();
        if (exact.empty() || exact.back() != '/') {
            exact += '/';
        }
        exact += component;
    }
    // Nearly always the path is spelled as it is on disk: one look settles it.
    if (IsExistingFolder(exact.substr(0, std::max<std::size_t>(parentEnd, 1)))) {
        exactFolderEnd = std::max<std::size_t>(parentEnd, 1);
        return fs::path(std::move(exact));
    }
    fs::path found = root;
    for (const auto& component : components) {
        found = FindEntry(found, component);
    }
    return found;
}

// Where the last component of an absolute Windows path begins, when it is a plain name that the
// mapping would take as it stands: not empty, not "." or "..", no character Windows forbids.
std::optional<std::size_t> PlainLastNameAt(std::string_view windowsPath) {
    if (!HasDriveLetter(windowsPath)) {
        return std::nullopt;
    }
    const std::size_t separator = windowsPath.find_last_of("\\/");
    if (separator == std::string_view::npos || separator < 2) {
        return std::nullopt;
    }
    const std::string_view name = windowsPath.substr(separator + 1);
    if (name.empty() || name == "." || name == ".." ||
        std::any_of(name.begin(), name.end(),
                    [](char c) { return IsForbiddenInName(static_cast<unsigned char>(c)); })) {
        return std::nullopt;
    }
    return separator + 1;
}

// The mapping of a path whose folder was mapped lately in this walk.
std::optional<fs::path> MappedLately(std::string_view windowsPath) {
    const auto nameAt = PlainLastNameAt(windowsPath);
    if (!nameAt) {
        return std::nullopt;
    }
    const std::string* folder = Recent().HostFolderOf(windowsPath.substr(0, *nameAt));
    if (folder == nullptr) {
        return std::nullopt;
    }
    std::string path = *folder;
    if (path.back() != '/') {
        path += '/';
    }
    path += windowsPath.substr(*nameAt);
    return fs::path(std::move(path));
}

}  // namespace

fs::path WinePrefix() {
    if (const char* prefix = std::getenv("WINEPREFIX"); prefix != nullptr && *prefix != '\0') {
        return prefix;
    }
    const char* home = std::getenv("HOME");
    return fs::path(home != nullptr ? home : "/") / ".wine";
}

std::vector<DriveMapping> MappedDrives() {
    std::unique_lock<std::mutex> lock;
    return CurrentDrives(lock);
}

HostPath ToHostPath(std::string_view windowsPath) {
    if (auto mapped = MappedLately(windowsPath)) {
        return {std::move(*mapped), ERROR_SUCCESS};
    }
    if (windowsPath.size() >= 2 && IsSeparator(windowsPath[0]) && IsSeparator(windowsPath[1])) {
        return {{}, ERROR_PATH_NOT_FOUND};  // UNC paths name no drive of ours
    }
    const auto absolute = Absolute(windowsPath);
    if (!absolute) {
        return {{}, ERROR_PATH_NOT_FOUND};
    }
    const auto root = DriveRoot((*absolute)[0]);
    if (!root) {
        return {{}, ERROR_PATH_NOT_FOUND};
    }
    std::vector<std::string> components;
    if (const DWORD error = ResolveComponents(std::string_view(*absolute).substr(2), components)) {
        return {{}, error};
    }
    std::size_t exactFolderEnd = 0;
    fs::path path = JoinMatchingCase(*root, components, exactFolderEnd);
    // The next file of the same folder, spelled the same, maps without any of the above.
    if (const auto nameAt = PlainLastNameAt(windowsPath); nameAt && exactFolderEnd > 0) {
        Recent().AddMapping(windowsPath.substr(0, *nameAt),
                            std::string_view(path.native()).substr(0, exactFolderEnd));
    }
    return {std::move(path), ERROR_SUCCESS};
}

FolderMemory::FolderMemory() {
    Recent().Enter();
}

FolderMemory::~FolderMemory() {
    Recent().Leave();
}

bool SeenFolderLately(const fs::path& folder) {
    return Recent().Contains(folder.native());
}

void NoteFolderSeen(const fs::path& folder) {
    Recent().Add(folder.native());
}

fs::path ExistingEntry(const fs::path& path) {
    if (!path.has_filename()) {
        return path;
    }
    return FindEntry(path.parent_path(), path.filename().string());
}

std::optional<std::string> ToWindowsPath(const fs::path& hostPath) {
    std::error_code error;
    const fs::path path = fs::weakly_canonical(fs::absolute(hostPath, error), error);
    if (error) {
        return std::nullopt;
    }
    const DriveMapping* best = nullptr;
    std::size_t bestLength = 0;
    const auto drives = MappedDrives();
    for (const auto& drive : drives) {
        const auto [rootEnd, pathAt] =
            std::mismatch(drive.Root.begin(), drive.Root.end(), path.begin(), path.end());
        const std::size_t length = std::distance(drive.Root.begin(), drive.Root.end());
        if (rootEnd == drive.Root.end() && (best == nullptr || length > bestLength)) {
            best = &drive;
            bestLength = length;
        }
    }
    if (best == nullptr) {
        return std::nullopt;
    }
    std::string windowsPath = std::string(1, best->Letter) + ":";
    const fs::path relative = path.lexically_relative(best->Root);
    for (const auto& component : relative) {
        if (component != ".") {
            windowsPath += "\\" + component.string();
        }
    }
    return windowsPath.size() == 2 ? windowsPath + "\\" : windowsPath;
}

}  // namespace vantrel
