// What each way of putting installed files on stable storage costs on Windows, or under Wine:
// every file of a tree (the "many" corpus, extracted) is written as Vantrel.exe writes one - a
// hidden temporary file beside the target, renamed over it with MoveFileEx - with each choice:
//
//   none                no flush at all (not durable; the floor)
//   per-file            FlushFileBuffers on each file before its rename
//   per-file + folders  the same, and each folder flushed once at the end (the layer under Wine)
//   volume              one FlushFileBuffers on the volume at the end (needs administrator
//                       rights on Windows)
//
//     vantrel-bench-flush SOURCE DEST [ROUNDS]
//
// SOURCE is read into memory first; DEST is an empty folder on the disk to measure, emptied
// before each run. Prints the median of ROUNDS runs (default 5) of each choice.

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

enum class Choice { None, PerFile, PerFileAndFolders, Volume };

struct File {
    fs::path Relative;
    std::string Data;
};

std::vector<File> ReadTree(const fs::path& root) {
    std::vector<File> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file()) {
            std::ifstream in(entry.path(), std::ios::binary);
            files.push_back({entry.path().lexically_relative(root),
                             std::string(std::istreambuf_iterator<char>(in), {})});
        }
    }
    return files;
}

// 0, or the Windows code of the first failure.
DWORD WriteOne(const fs::path& target, const std::string& data, bool flush) {
    const fs::path temporary =
        target.parent_path() / (L"." + target.filename().wstring() + L".vantrel-bench0");
    const HANDLE file = CreateFileW(temporary.c_str(), GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return GetLastError();
    }
    DWORD written = 0;
    BOOL done = WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
    done = done && (!flush || FlushFileBuffers(file));
    done = done && SetFileAttributesW(temporary.c_str(), FILE_ATTRIBUTE_NORMAL);
    done = done && MoveFileExW(temporary.c_str(), target.c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    const DWORD error = done ? ERROR_SUCCESS : GetLastError();
    CloseHandle(file);
    return error;
}

DWORD Flush(const std::wstring& path, DWORD flags) {
    const HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, flags, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return GetLastError();
    }
    SetLastError(ERROR_SUCCESS);
    const BOOL flushed = FlushFileBuffers(handle);
    // Wine fails a volume's flush without setting an error.
    const DWORD error = flushed ? ERROR_SUCCESS : std::max<DWORD>(GetLastError(), 1);
    CloseHandle(handle);
    return error;
}

// Writes the tree under `destination` with `choice`: 0, or the Windows code of the first failure.
DWORD WriteTree(const std::vector<File>& files, const fs::path& destination, Choice choice) {
    std::set<fs::path> folders;
    const bool perFile = choice == Choice::PerFile || choice == Choice::PerFileAndFolders;
    for (const File& file : files) {
        const fs::path target = destination / file.Relative;
        if (folders.insert(target.parent_path()).second) {
            fs::create_directories(target.parent_path());
        }
        if (const DWORD error = WriteOne(target, file.Data, perFile); error != ERROR_SUCCESS) {
            return error;
        }
    }
    if (choice == Choice::PerFileAndFolders) {
        for (const fs::path& folder : folders) {
            if (const DWORD error = Flush(folder.wstring(), FILE_FLAG_BACKUP_SEMANTICS)) {
                return error;
            }
        }
    }
    if (choice == Choice::Volume) {
        const std::wstring drive = fs::absolute(destination).root_name().wstring();
        return Flush(L"\\\\.\\" + drive, 0);
    }
    return ERROR_SUCCESS;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fputs("usage: vantrel-bench-flush SOURCE DEST [ROUNDS]\n", stderr);
        return 2;
    }
    const std::vector<File> files = ReadTree(argv[1]);
    const fs::path destination = argv[2];
    const int rounds = argc > 3 ? std::max(1, _wtoi(argv[3])) : 5;
    const std::pair<Choice, const char*> choices[] = {
        {Choice::None, "none"},
        {Choice::PerFile, "per-file"},
        {Choice::PerFileAndFolders, "per-file + folders"},
        {Choice::Volume, "volume"}};
    std::printf("%zu files, %d rounds\n", files.size(), rounds);
    for (const auto& [choice, name] : choices) {
        std::vector<double> times;
        DWORD failure = ERROR_SUCCESS;
        for (int round = 0; round < rounds; ++round) {
            fs::remove_all(destination);
            fs::create_directories(destination);
            const auto start = Clock::now();
            failure = WriteTree(files, destination, choice);
            times.push_back(
                std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        }
        std::sort(times.begin(), times.end());
        std::printf("%-20s median %9.1f ms (fastest %.1f, slowest %.1f)", name,
                    times[times.size() / 2], times.front(), times.back());
        if (failure != ERROR_SUCCESS) {
            std::printf("  FAILED with error %lu", failure);
        }
        std::printf("\n");
    }
    fs::remove_all(destination);
    return 0;
}
