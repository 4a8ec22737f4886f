#pragma once

// A cabinet file's MS-DOS stamp: as stored, for the callback, and as the moment the written file
// is stamped with.

#include <mspack.h>

#include <cstdint>
#include <ctime>
#include <optional>
#include <utility>

#include "platform/win_types.h"

namespace vantrel {

// libmspack hands out the stamp decoded into fields; the callback gets it as stored.
WORD DosDateOf(const mscabd_file& file);
WORD DosTimeOf(const mscabd_file& file);

class FileStamps {
  public:
    // The stamp read as local time, as Windows reads it; none when it is no real date and time.
    std::optional<time_t> ModificationTimeOf(const mscabd_file& file);

  private:
    // The files of a cabinet mostly share a few stamps, and each local-time conversion reads
    // the time zone anew.
    std::optional<std::pair<std::uint32_t, std::optional<time_t>>> last_;
};

}  // namespace vantrel
