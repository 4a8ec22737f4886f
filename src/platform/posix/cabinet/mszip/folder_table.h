#pragma once

// Where the folders of a cabinet keep their data, read from the cabinet's own headers as
// libmspack reads them. libmspack does not hand out a folder's data offset, and the walk needs
// it to decode MSZIP folders itself.

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/posix/cabinet/io.h"

namespace vantrel {

struct FolderEntry {
    off_t DataOffset = 0;
    unsigned Blocks = 0;
    unsigned CompressionType = 0;
};

struct FolderTable {
    std::vector<FolderEntry> Folders;  // in the order of the cabinet's folder table
    unsigned BlockReserve = 0;         // bytes reserved in every data block's header
    // A file of the cabinet says it began in a previous cabinet. libmspack then refuses every
    // file of the first folder, which has no previous cabinet to begin in.
    bool FirstFolderContinued = false;
};

// The folder table of the lone cabinet `io` has open; nothing for a part of a cabinet set (its
// folders may go on in the next part) or when the headers cannot be read.
std::optional<FolderTable> ReadFolderTable(CabIo& io);

}  // namespace vantrel
