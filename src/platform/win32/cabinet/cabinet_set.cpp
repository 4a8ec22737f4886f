#include "platform/win32/cabinet/cabinet_set.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>

#include "shared/cab_format.h"

namespace vantrel::win32 {
namespace {

// The fixed header, the largest reserved area the format allows and four strings.
constexpr std::size_t kLargestHeader = cab::kHeaderSize + cab::kReserveSizesSize +
                                       cab::kLargestHeaderReserve + 4 * (cab::kLongestString + 1);

// A part's number is 16 bits and each part must follow the one before: no set is longer.
constexpr std::size_t kMostParts = 0x10000;

const unsigned char* BytesAt(std::string_view bytes, std::size_t at) {
    return reinterpret_cast<const unsigned char*>(bytes.data() + at);
}

class CabinetFile {
  public:
    explicit CabinetFile(const std::string& path)
        : handle_(CreateFileA(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)),
          openError_(handle_ == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS) {}
    ~CabinetFile() {
        if (handle_ != INVALID_HANDLE_VALUE) {
            CloseHandle(handle_);
        }
    }
    CabinetFile(const CabinetFile&) = delete;
    CabinetFile& operator=(const CabinetFile&) = delete;

    DWORD OpenError() const { return openError_; }

    // Up to `size` bytes from `offset`: fewer at the end of the file or on a read error.
    std::string Read(std::uint64_t offset, std::size_t size) const {
        std::string bytes(size, '\0');
        std::size_t filled = 0;
        while (filled < size) {
            OVERLAPPED at{};
            at.Offset = static_cast<DWORD>(offset + filled);
            at.OffsetHigh = static_cast<DWORD>((offset + filled) >> 32);
            DWORD got = 0;
            const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(size - filled, 1 << 20));
            if (!ReadFile(handle_, bytes.data() + filled, wanted, &got, &at) || got == 0) {
                break;
            }
            filled += got;
        }
        bytes.resize(filled);
        return bytes;
    }

  private:
    HANDLE handle_;
    DWORD openError_;
};

// A NUL-terminated string of at most 255 bytes at `at`, which moves past it.
std::optional<std::string> TakeString(std::string_view bytes, std::size_t& at) {
    const std::size_t end = bytes.find('\0', at);
    if (end == std::string_view::npos || end - at > cab::kLongestString) {
        return std::nullopt;
    }
    const std::string text(bytes.substr(at, end - at));
    at = end + 1;
    return text;
}

struct Header {
    cab::Header Fields;
    CabinetPart Part;
};

std::optional<Header> ReadHeader(const CabinetFile& file) {
    const std::string bytes = file.Read(0, kLargestHeader);
    const auto fields =
        bytes.size() < cab::kHeaderSize ? std::nullopt : cab::ReadHeader(BytesAt(bytes, 0));
    if (!fields) {
        return std::nullopt;
    }
    Header header{*fields, {}};
    header.Part.SetId = fields->SetId;
    header.Part.Number = fields->Number;
    std::size_t at = cab::kHeaderSize;
    if ((fields->Flags & cab::kHasReserve) != 0) {
        if (bytes.size() < at + cab::kReserveSizesSize) {
            return std::nullopt;
        }
        at += cab::kReserveSizesSize + cab::ReadReserveSizes(BytesAt(bytes, at)).Header;
    }
    if ((fields->Flags & cab::kHasPrevious) != 0 &&
        (!TakeString(bytes, at) || !TakeString(bytes, at))) {
        return std::nullopt;
    }
    if ((fields->Flags & cab::kHasNext) != 0) {
        auto name = TakeString(bytes, at);
        auto disk = TakeString(bytes, at);
        if (!name || !disk) {
            return std::nullopt;
        }
        header.Part.NextName = std::move(*name);
        header.Part.NextDisk = std::move(*disk);
    }
    return header;
}

// Whether a file of the part begins inside the folder the part before it continues: the service
// would decode it from the middle of that folder. False when the part continues no folder; none
// when the file table cannot be read.
std::optional<bool> FileBeginsInContinuedFolder(const CabinetFile& file, const Header& header) {
    const cab::Header& fields = header.Fields;
    const std::string table = file.Read(
        fields.FilesOffset, fields.Files * (cab::kFileEntrySize + cab::kLongestString + 1));
    bool continues = false;
    bool beginsInFirstFolder = false;
    std::size_t at = 0;
    for (USHORT i = 0; i < fields.Files; ++i) {
        if (table.size() < at + cab::kFileEntrySize) {
            return std::nullopt;
        }
        const USHORT folder = cab::ReadFileEntry(BytesAt(table, at)).Folder;
        at += cab::kFileEntrySize;
        if (!TakeString(table, at)) {
            return std::nullopt;
        }
        continues |= folder == cab::kContinuedFromPrevious || folder == cab::kContinuedBothWays;
        beginsInFirstFolder |=
            folder == 0 || (folder == cab::kContinuedToNext && fields.Folders == 1);
    }
    return continues && beginsInFirstFolder;
}

std::string FolderOf(const std::string& path) {
    const std::size_t separator = path.find_last_of("\\/");
    return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

// The name comes from the cabinet: it may only name a file beside the part before.
bool IsPlainFileName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("\\/:") == std::string_view::npos;
}

// Reads the part that must follow `previous` from `path`: 0, or the Windows code of the failure.
DWORD ReadNextPart(const std::string& path, const CabinetPart& previous, CabinetPart& part) {
    const CabinetFile file(path);
    if (file.OpenError() != ERROR_SUCCESS) {
        return file.OpenError();
    }
    const auto header = ReadHeader(file);
    if (!header || (header->Fields.Flags & cab::kHasPrevious) == 0 ||
        header->Part.SetId != previous.SetId || header->Part.Number != previous.Number + 1) {
        return ERROR_INVALID_DATA;
    }
    if (FileBeginsInContinuedFolder(file, *header).value_or(true)) {
        return ERROR_INVALID_DATA;
    }
    part = header->Part;
    part.Path = path;
    part.Folder = FolderOf(path);
    return ERROR_SUCCESS;
}

}  // namespace

DWORD GatherCabinetSet(const std::string& firstPath, const PartLocator& locate,
                       std::vector<CabinetPart>& parts) {
    parts.clear();
    CabinetPart first;
    {
        const CabinetFile file(firstPath);
        if (file.OpenError() == ERROR_SUCCESS) {
            if (const auto header = ReadHeader(file)) {
                first = header->Part;
            }
        }
    }
    first.Path = firstPath;
    first.Folder = FolderOf(firstPath);
    parts.push_back(std::move(first));
    while (!parts.back().NextName.empty()) {
        const CabinetPart& previous = parts.back();
        if (parts.size() == kMostParts || !IsPlainFileName(previous.NextName)) {
            return ERROR_INVALID_DATA;
        }
        std::string folder = previous.Folder;
        if (const DWORD refused = locate(previous, folder); refused != ERROR_SUCCESS) {
            return refused;
        }
        if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') {
            folder += '\\';
        }
        CabinetPart part;
        if (const DWORD error = ReadNextPart(folder + previous.NextName, previous, part);
            error != ERROR_SUCCESS) {
            return error;
        }
        parts.push_back(std::move(part));
    }
    return ERROR_SUCCESS;
}

}  // namespace vantrel::win32
