#pragma once

// The Wine prefix behind a ScratchFolder on POSIX, for the tests that need its drives or
// registry file.

#include "support/posix/temp_prefix.h"
#include "support/scratch_folder.h"

namespace vantrel::test {

struct ScratchFolder::Place {
    TempPrefix Prefix;
};

inline TempPrefix& PrefixOf(const ScratchFolder& scratch) {
    return scratch.PlatformPlace().Prefix;
}

}  // namespace vantrel::test
