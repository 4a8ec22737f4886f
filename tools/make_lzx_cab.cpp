// make-lzx-cab: packs a folder into an LZX-compressed cabinet. No Debian tool writes LZX
// cabinets, yet installers in the wild are full of them; this one gives the benchmarks and
// checks a large one made from known data.
//
//     make-lzx-cab [-w WINDOWBITS] [-d CHAINDEPTH] CABINET FOLDER
//
// Every regular file under FOLDER goes into one cabinet folder, sorted by path, stored under its
// path relative to FOLDER with "\" between folder names and stamped with its modification time.
// WINDOWBITS is 15 to 21 (default 21); CHAINDEPTH trades speed for ratio (default 32).

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "lzx/cab_writer.h"
#include "lzx/lzx_encoder.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

struct Arguments {
    lzx::EncoderOptions Options;
    fs::path Cabinet;
    fs::path Folder;
};

bool ParseArguments(int argc, char** argv, Arguments& arguments) {
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if ((argument == "-w" || argument == "-d") && i + 1 < argc) {
            const auto value = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
            (argument == "-w" ? arguments.Options.WindowBits : arguments.Options.ChainDepth) =
                value;
        } else {
            positional.push_back(argument);
        }
    }
    if (positional.size() != 2) {
        return false;
    }
    arguments.Cabinet = positional[0];
    arguments.Folder = positional[1];
    return true;
}

std::vector<fs::path> SortedFiles(const fs::path& folder) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            files.push_back(entry.path().lexically_relative(folder));
        }
    }
    std::sort(files.begin(), files.end(), [](const fs::path& a, const fs::path& b) {
        return a.generic_string() < b.generic_string();
    });
    return files;
}

std::string CabinetName(const fs::path& relative) {
    std::string name = relative.generic_string();
    std::replace(name.begin(), name.end(), '/', '\\');
    return name;
}

bool IsAscii(const std::string& text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The MS-DOS stamp of the file's modification time, in local time as cabinet tools write it.
void StampFromFile(const fs::path& path, lzx::CabMember& member) {
    struct stat status {};
    std::tm local{};
    if (::stat(path.c_str(), &status) != 0 || localtime_r(&status.st_mtime, &local) == nullptr ||
        local.tm_year < 80) {
        member.DosDate = 1 << 5 | 1;  // 1980-01-01 00:00:00
        return;
    }
    member.DosDate = static_cast<std::uint16_t>((local.tm_year - 80) << 9 |
                                                (local.tm_mon + 1) << 5 | local.tm_mday);
    member.DosTime =
        static_cast<std::uint16_t>(local.tm_hour << 11 | local.tm_min << 5 | local.tm_sec / 2);
}

// Reads every file after the other into `data`, the way the cabinet folder holds them.
std::vector<lzx::CabMember> ReadMembers(const fs::path& folder, std::vector<std::uint8_t>& data) {
    std::vector<lzx::CabMember> members;
    for (const auto& relative : SortedFiles(folder)) {
        const fs::path path = folder / relative;
        std::ifstream in(path, std::ios::binary);
        const std::size_t before = data.size();
        data.insert(data.end(), std::istreambuf_iterator<char>(in),
                    std::istreambuf_iterator<char>());
        if (in.bad()) {
            throw std::runtime_error("cannot read " + path.string());
        }
        lzx::CabMember member;
        member.Name = CabinetName(relative);
        member.Size = static_cast<std::uint32_t>(data.size() - before);
        if (!IsAscii(member.Name)) {
            member.Attribs |= 0x80;  // host names are UTF-8
        }
        StampFromFile(path, member);
        members.push_back(std::move(member));
    }
    return members;
}

int Run(const Arguments& arguments) {
    std::vector<std::uint8_t> data;
    const auto members = ReadMembers(arguments.Folder, data);
    // A folder entry without data blocks is no cabinet any reader accepts.
    if (members.empty()) {
        std::fprintf(stderr, "make-lzx-cab: %s holds no files\n", arguments.Folder.c_str());
        return 1;
    }
    const auto frames = lzx::EncodeLzx(data, arguments.Options);
    const auto cabinet =
        lzx::BuildCabinet(members, frames, lzx::LzxCompressionType(arguments.Options.WindowBits));
    std::ofstream out(arguments.Cabinet, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(cabinet.data()),
              static_cast<std::streamsize>(cabinet.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "make-lzx-cab: cannot write %s\n", arguments.Cabinet.c_str());
        return 1;
    }
    std::printf("%zu files, %zu bytes in %zu frames, cabinet of %zu bytes\n", members.size(),
                data.size(), frames.size(), cabinet.size());
    return 0;
}

}  // namespace
}  // namespace vantrel

int main(int argc, char** argv) {
    vantrel::Arguments arguments;
    if (!vantrel::ParseArguments(argc, argv, arguments)) {
        std::fputs("usage: make-lzx-cab [-w WINDOWBITS] [-d CHAINDEPTH] CABINET FOLDER\n", stderr);
        return 2;
    }
    try {
        return vantrel::Run(arguments);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "make-lzx-cab: %s\n", error.what());
        return 1;
    }
}
