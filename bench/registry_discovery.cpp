// Times install-folder discovery on a large system.reg whose viewer key stands last, as on a
// prefix with many programs installed.
//
//     vantrel-bench-registry [MEGABYTES] [ROUNDS]      (defaults: 30 and 15)
//
// Prints the median, fastest and slowest wall time of one discovery.

#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "dialog/install_folder.h"

namespace {

namespace fs = std::filesystem;

// Sections shaped like the ones Wine writes for installed software, until the file has the size.
void WriteLargeSystemReg(const fs::path& file, std::size_t bytes) {
    std::ofstream out(file, std::ios::binary);
    out << "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n\n";
    std::size_t written = 0;
    for (unsigned key = 0; written < bytes; ++key) {
        char section[512];
        const int length = std::snprintf(
            section, sizeof section,
            "[Software\\\\Classes\\\\CLSID\\\\{%08X-0000-0000-C000-000000000046}] 1700000000\n"
            "#time=1d9a5b3c2f1e6a0\n"
            "@=\"Component %u\"\n"
            "\"InprocServer32\"=str(2):\"%%SystemRoot%%\\\\system32\\\\comp%u.dll\"\n"
            "\"ThreadingModel\"=\"Both\"\n"
            "\"Flags\"=dword:%08x\n\n",
            key, key, key, key);
        out.write(section, length);
        written += static_cast<std::size_t>(length);
    }
    out << "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\App Paths\\\\ZORVIKViewer.EXE] "
           "1700000000\n"
           "@=\"C:\\\\Program Files\\\\Viewer\\\\ZORVIKViewer.EXE\"\n";
}

double DiscoverOnceMs() {
    const auto start = std::chrono::steady_clock::now();
    vantrel::InstallFolderDiscovery discovery;
    discovery.OpenAndQuery();
    discovery.CloseAndTakeFolder();
    const auto end = std::chrono::steady_clock::now();
    if (discovery.InstallFolder() != "C:\\Program Files\\Viewer\\") {
        std::fprintf(stderr, "discovery found \"%s\"\n", discovery.InstallFolder().c_str());
        std::exit(1);
    }
    return std::chrono::duration<double, std::milli>(end - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    const std::size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 30;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 15;

    std::string pattern = (fs::temp_directory_path() / "vantrel-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path prefix = pattern;
    WriteLargeSystemReg(prefix / "system.reg", megabytes << 20);
    setenv("WINEPREFIX", prefix.c_str(), 1);

    DiscoverOnceMs();  // the first read brings the file into the page cache
    std::vector<double> times;
    for (int round = 0; round < rounds; ++round) {
        times.push_back(DiscoverOnceMs());
    }
    std::sort(times.begin(), times.end());
    std::printf(
        "system.reg of %.1f MB, key last, %d rounds: median %.1f ms (fastest %.1f, "
        "slowest %.1f)\n",
        static_cast<double>(fs::file_size(prefix / "system.reg")) / (1 << 20), rounds,
        times[times.size() / 2], times.front(), times.back());
    fs::remove_all(prefix);
    return 0;
}
