#include "support/cab_builder.h"

#include <cstdlib>
#include <stdexcept>

#include "support/temp_dir.h"

namespace vantrel::test {
namespace {

constexpr std::size_t kHeaderSize = 36;
constexpr std::size_t kFolderSize = 8;
constexpr std::size_t kFileFixedSize = 16;
constexpr std::size_t kDataHeaderSize = 8;
constexpr std::size_t kMaxBlock = 32768;

void Put16(std::string& out, std::uint32_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void Put32(std::string& out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

std::string QuoteForShell(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

}  // namespace

std::string BuildStoredCab(const std::vector<CabEntry>& entries) {
    std::string data;
    for (const auto& entry : entries) {
        data += entry.Data;
    }
    const std::size_t blocks = (data.size() + kMaxBlock - 1) / kMaxBlock;
    const std::size_t folders = entries.empty() ? 0 : 1;

    std::size_t fileTableSize = 0;
    for (const auto& entry : entries) {
        fileTableSize += kFileFixedSize + entry.Name.size() + 1;
    }
    const std::size_t filesOffset = kHeaderSize + folders * kFolderSize;
    const std::size_t dataOffset = filesOffset + fileTableSize;
    const std::size_t total = dataOffset + blocks * kDataHeaderSize + data.size();

    std::string cab = "MSCF";
    Put32(cab, 0);
    Put32(cab, static_cast<std::uint32_t>(total));
    Put32(cab, 0);
    Put32(cab, static_cast<std::uint32_t>(filesOffset));
    Put32(cab, 0);
    cab += '\x03';  // format version 1.3
    cab += '\x01';
    Put16(cab, static_cast<std::uint32_t>(folders));
    Put16(cab, static_cast<std::uint32_t>(entries.size()));
    Put16(cab, 0);  // flags: no reserve, no previous or next cabinet
    Put16(cab, 0x1234);
    Put16(cab, 0);

    if (folders != 0) {
        Put32(cab, static_cast<std::uint32_t>(dataOffset));
        Put16(cab, static_cast<std::uint32_t>(blocks));
        Put16(cab, 0);  // stored
    }
    std::uint32_t offsetInFolder = 0;
    for (const auto& entry : entries) {
        Put32(cab, static_cast<std::uint32_t>(entry.Data.size()));
        Put32(cab, offsetInFolder);
        Put16(cab, 0);
        Put16(cab, entry.DosDate);
        Put16(cab, entry.DosTime);
        Put16(cab, entry.Attribs);
        cab += entry.Name;
        cab += '\0';
        offsetInFolder += static_cast<std::uint32_t>(entry.Data.size());
    }
    for (std::size_t start = 0; start < data.size(); start += kMaxBlock) {
        const std::size_t length = std::min(kMaxBlock, data.size() - start);
        Put32(cab, 0);  // no checksum
        Put16(cab, static_cast<std::uint32_t>(length));
        Put16(cab, static_cast<std::uint32_t>(length));
        cab.append(data, start, length);
    }
    return cab;
}

void MakeCabWithGcab(const std::filesystem::path& cabinet, const std::filesystem::path& sourceDir,
                     bool compress) {
    std::string command = "cd " + QuoteForShell(sourceDir.string()) + " && gcab -c";
    if (compress) {
        command += " -z";
    }
    command += " " + QuoteForShell(std::filesystem::absolute(cabinet).string());
    for (const auto& file : ListFiles(sourceDir)) {
        command += " " + QuoteForShell(file);
    }
    if (std::system(command.c_str()) != 0) {
        throw std::runtime_error("gcab failed: " + command);
    }
}

std::filesystem::path FixturePath(const std::string& name) {
    return std::filesystem::path(VANTREL_TEST_DATA_DIR) / "cabinets" / name;
}

}  // namespace vantrel::test
