// The main of every test program: GoogleTest's, and one flag of our own. With
// --named-temporary-files every walk writes each file under a hidden temporary name, as on file
// systems without nameless files (vfat, NFS, many FUSE file systems); the cabinet tests run once
// more so.

#include <gtest/gtest.h>

#include <cstdio>
#include <string_view>

#include "platform/cabinet_options.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    vantrel::CabinetOptions options;
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]) != "--named-temporary-files") {
            std::fprintf(stderr, "unknown argument: %s\n", argv[i]);
            return 2;
        }
        options.NamedTemporaryFiles = true;
    }
    const vantrel::CabinetOptionsScope cabinets(options);
    return RUN_ALL_TESTS();
}
