#pragma once

// The walk's own extraction of files that lie in MSZIP folders, through a faster inflate than
// libmspack's, with libmspack as the judge of what comes out: a file is written here only when
// libmspack would write the same bytes, and otherwise left to libmspack, which also keeps the
// container, the other methods, cabinet sets and every failure. CabinetOptions::LibmspackOnly
// leaves everything to libmspack, to compare the two.
//
// To agree with libmspack, this folder copies sizes and bounds from inside it that its public
// header does not give: each is marked "libmspack 0.11alpha", the version (Debian 12's) they were
// read from and checked against. Where the public header has the value, a static_assert holds
// ours to it; building against another version warns (src/platform/posix/CMakeLists.txt).

#include <mspack.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

#include "platform/cabinet_options.h"
#include "platform/posix/cabinet/io.h"
#include "platform/posix/cabinet/mszip/folder_table.h"
#include "platform/posix/cabinet/mszip/frame_writer.h"
#include "platform/posix/cabinet/mszip/mszip_decoder.h"

namespace vantrel {

class MszipExtractor {
  public:
    // Files from this size on are written on a thread of their own while they are decoded.
    static constexpr std::uint64_t kLargeFile = 64 * 1024;

    MszipExtractor(CabIo& io, const CabinetOptions& options)
        : io_(io), leftToLibmspack_(options.LibmspackOnly) {}

    // Whether Extract would decode `file` itself, as far as can be told before decoding it.
    bool Handles(const mscabd_cabinet& cabinet, const mscabd_file& file);

    // Writes `file` of `cabinet`, as libmspack opened it, to `sink`; true when it was written
    // whole. false: libmspack is to extract it, and `sink` may hold part of it already. A folder
    // whose data the fast path could not vouch for is libmspack's from then on.
    bool Extract(const mscabd_cabinet& cabinet, const mscabd_file& file, HostFile& sink);

  private:
    void Prepare(const mscabd_cabinet& cabinet);
    bool LiesInFolder(const mscabd_file& file, const FolderEntry& folder) const;
    FrameWriter* WriterFor(const mscabd_file& file);
    bool DeliverFile(const mscabd_file& file, HostFile& sink);

    CabIo& io_;
    bool leftToLibmspack_;
    bool prepared_ = false;
    std::optional<FolderTable> table_;
    std::unordered_map<const mscabd_folder*, std::size_t> mszipFolders_;  // to the table's index
    std::vector<bool> handedOver_;
    // libmspack starts a folder afresh whenever the file before came from another one.
    const mscabd_folder* lastFolder_ = nullptr;
    std::size_t decoderFolder_ = 0;
    std::unique_ptr<MszipDecoder> decoder_;
    // Started for the first large file and kept for the rest of the walk; it holds nothing in
    // flight between two calls of Extract.
    FrameWriter writer_;
    bool writerFailed_ = false;
};

}  // namespace vantrel
