#include "platform/posix/cabinet/temporary_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <random>

namespace vantrel {
namespace {

constexpr size_t kMaxNameBytes = 255;
constexpr std::string_view kTemporaryMark = ".vantrel-";
constexpr std::string_view kSuffixCharacters =
    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
constexpr size_t kRandomLength = 6;

std::string RandomSuffix() {
    thread_local std::mt19937 generator{std::random_device{}()};
    std::uniform_int_distribution<size_t> pick(0, kSuffixCharacters.size() - 1);
    std::string suffix;
    for (size_t i = 0; i < kRandomLength; ++i) {
        suffix += kSuffixCharacters[pick(generator)];
    }
    return suffix;
}

int OpenToLock(int folder, const char* name) {
    constexpr int kFlags = O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
    const int fd = ::openat(folder, name, O_RDONLY | kFlags);
    // A replaced file's temporary file keeps that file's permissions, which may deny reading.
    return fd >= 0 || errno != EACCES ? fd : ::openat(folder, name, O_WRONLY | kFlags);
}

// Removes `name` from `folder` when it is a regular file nobody holds the lock of, still under
// that name when the lock was taken.
void RemoveIfLeftOver(int folder, const char* name) {
    const int fd = OpenToLock(folder, name);
    if (fd < 0) {
        return;
    }
    struct stat opened {};
    struct stat named {};
    if (::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) &&
        ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
        ::fstatat(folder, name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        named.st_ino == opened.st_ino && named.st_dev == opened.st_dev) {
        ::unlinkat(folder, name, 0);
    }
    ::close(fd);
}

}  // namespace

// ".<name>.vantrel-XXXXXX", with the name shortened (never inside a UTF-8 sequence) so that a
// target whose own name is long still gets a temporary file the file system accepts.
std::string TemporaryName(const std::string& targetName) {
    size_t keep = kMaxNameBytes - 1 - kTemporaryMark.size() - kRandomLength;
    if (targetName.size() <= keep) {
        keep = targetName.size();
    } else {
        while (keep > 0 && (static_cast<unsigned char>(targetName[keep]) & 0xC0) == 0x80) {
            --keep;
        }
    }
    return "." + targetName.substr(0, keep) + std::string(kTemporaryMark) + RandomSuffix();
}

bool IsTemporaryName(std::string_view name) {
    const size_t mark = name.rfind(kTemporaryMark);
    if (!name.starts_with('.') || mark == std::string_view::npos || mark == 0) {
        return false;
    }
    const std::string_view suffix = name.substr(mark + kTemporaryMark.size());
    return suffix.size() == kRandomLength && std::all_of(suffix.begin(), suffix.end(), [](char c) {
               return kSuffixCharacters.find(c) != std::string_view::npos;
           });
}

void LockAsInUse(int fd) {
    while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
    }
}

bool LockCreatedAsInUse(int fd) {
    LockAsInUse(fd);
    struct stat status {};
    return ::fstat(fd, &status) != 0 || status.st_nlink > 0;
}

void RemoveLeftoverTemporaries(int folderFd) {
    const int fd = ::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* listing = fd >= 0 ? ::fdopendir(fd) : nullptr;
    if (listing == nullptr) {
        if (fd >= 0) {
            ::close(fd);
        }
        return;
    }
    while (const dirent* entry = ::readdir(listing)) {
        if ((entry->d_type == DT_REG || entry->d_type == DT_UNKNOWN) &&
            IsTemporaryName(entry->d_name)) {
            RemoveIfLeftOver(::dirfd(listing), entry->d_name);
        }
    }
    ::closedir(listing);
}

}  // namespace vantrel
