#pragma once

// What the tests of the install-folder discovery share: the registry they write the viewer's
// registration to, and the discovery run as the dialog runs it.

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "dialog/install_folder.h"
#include "support/scratch_folder.h"
#include "support/temp_dir.h"
#include "support/viewer_registry.h"

namespace vantrel::test {

struct Outcome {
    bool Registered;
    std::string Folder;

    bool operator==(const Outcome&) const = default;
};

inline void PrintTo(const Outcome& o, std::ostream* out) {
    *out << (o.Registered ? "registered at \"" + o.Folder + '"' : "not registered");
}

inline const Outcome kNotRegistered{false, ""};

// Runs the discovery the way the dialog does: the registration is known between the halves,
// the folder only after the second.
inline Outcome Discover() {
    InstallFolderDiscovery discovery;
    discovery.OpenAndQuery();
    const bool registered = discovery.ViewerRegistered();
    EXPECT_EQ(discovery.InstallFolder(), "");
    discovery.CloseAndTakeFolder();
    EXPECT_EQ(discovery.ViewerRegistered(), registered);
    return {registered, discovery.InstallFolder()};
}

class InstallFolderTest : public ::testing::Test {
  protected:
    ScratchFolder scratch_;  // on POSIX also the prefix whose registry is written
    ViewerRegistry registry_;
    ScopedEnv locale_{"LC_ALL", "C.UTF-8"};
};

}  // namespace vantrel::test
