// Times listing a cabinet that holds as many files as the format allows (65,535), the way an
// installation lists one before extracting it: one CabFile::GetInfo with a FileFound handler.
//
//     vantrel-bench-list [ROUNDS]      (default 15)
//
// The cabinet (stored, 16 bytes a file in 256 folders) is written into a temporary Wine prefix
// whose drive Z: is the host's "/". Prints the median, fastest and slowest wall time.

#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cabinet/cab_file.h"
#include "lzx/cab_writer.h"
#include "platform/file_system.h"

namespace {

namespace fs = std::filesystem;

constexpr unsigned kFiles = 65535;
constexpr std::size_t kFileSize = 16;
constexpr std::uint16_t kStored = 0;

std::string MemberName(unsigned index) {
    char name[64];
    std::snprintf(name, sizeof name, "folder%03u\\file%05u.dat", index % 256, index);
    return name;
}

// All members' data in stored frames of 32 KiB, each member's bytes naming the member.
std::vector<vantrel::lzx::Frame> StoredFrames(std::size_t total) {
    std::vector<std::uint8_t> data(total);
    for (std::size_t i = 0; i < total; ++i) {
        data[i] = static_cast<std::uint8_t>(i / kFileSize);
    }
    std::vector<vantrel::lzx::Frame> frames;
    for (std::size_t start = 0; start < total; start += vantrel::lzx::kFrameSize) {
        const std::size_t end = std::min(total, start + vantrel::lzx::kFrameSize);
        frames.push_back({{data.begin() + static_cast<std::ptrdiff_t>(start),
                           data.begin() + static_cast<std::ptrdiff_t>(end)},
                          static_cast<std::uint32_t>(end - start)});
    }
    return frames;
}

void WriteCabinet(const fs::path& path) {
    std::vector<vantrel::lzx::CabMember> members;
    for (unsigned index = 0; index < kFiles; ++index) {
        members.push_back({MemberName(index), kFileSize, (44 << 9) | (3 << 5) | 1, 12 << 11});
    }
    const auto bytes =
        vantrel::lzx::BuildCabinet(members, StoredFrames(kFiles * kFileSize), kStored);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

// One listing as the installation does it; exits when it does not see every file.
double ListOnceMs(const std::string& windowsPath) {
    unsigned found = 0;
    std::string last;
    const auto start = std::chrono::steady_clock::now();
    auto cab = vantrel::CabFile::Create();
    cab->SetCabName(windowsPath);
    cab->FileFound = [&](const std::string& FileName, const vantrel::DateTime&, std::int32_t,
                         const std::string& Path) {
        ++found;
        last = Path + FileName;
    };
    const bool listed = cab->GetInfo("");
    const auto end = std::chrono::steady_clock::now();
    if (!listed || found != kFiles || last != MemberName(kFiles - 1)) {
        std::fprintf(stderr, "listing saw %u files, the last \"%s\"\n", found, last.c_str());
        std::exit(1);
    }
    return std::chrono::duration<double, std::milli>(end - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;

    std::string pattern = (fs::temp_directory_path() / "vantrel-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path prefix = pattern;
    fs::create_directories(prefix / "dosdevices");
    fs::create_directory_symlink("/", prefix / "dosdevices" / "z:");
    setenv("WINEPREFIX", prefix.c_str(), 1);
    const fs::path cabinet = prefix / "Images.cab";
    WriteCabinet(cabinet);
    const auto windowsPath = vantrel::WindowsPathOfArgument(cabinet.string());
    if (!windowsPath) {
        std::fprintf(stderr, "no drive covers %s\n", cabinet.c_str());
        return 1;
    }

    ListOnceMs(*windowsPath);  // the first read brings the cabinet into the page cache
    std::vector<double> times;
    for (int round = 0; round < rounds; ++round) {
        times.push_back(ListOnceMs(*windowsPath));
    }
    std::sort(times.begin(), times.end());
    std::printf(
        "listing %u files (cabinet of %.1f MB), %d rounds: median %.1f ms (fastest %.1f, "
        "slowest %.1f)\n",
        kFiles, static_cast<double>(fs::file_size(cabinet)) / 1e6, rounds, times[times.size() / 2],
        times.front(), times.back());
    fs::remove_all(prefix);
    return 0;
}
