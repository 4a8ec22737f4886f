// Creating one folder, with the outcome numbers the cabinet component relies on, on real folders.

#include "platform/folders.h"

#include <gtest/gtest.h>

#include <fstream>

#include "shared/runtime_error.h"
#include "support/scratch_folder.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

enum class Place { Scratch, DriveRoot, UnmappedDrive };

struct MkDirCase {
    const char* label;
    Place place;
    const char* folder;  // after the place's path and a "\"
    int outcome;
};

void PrintTo(const MkDirCase& c, std::ostream* out) {
    *out << c.label;
}

class MkDirTest : public ::testing::TestWithParam<MkDirCase> {
  protected:
    MkDirTest() {
        fs::create_directory(scratch_.Host("Existing"));
        std::ofstream(scratch_.Host("file")) << "x";
    }

    std::string PathOf(const MkDirCase& c) const {
        switch (c.place) {
            case Place::Scratch:
                return scratch_.WindowsPath() + "\\" + c.folder;
            case Place::DriveRoot:
                return scratch_.WindowsPath().substr(0, 3) + c.folder;
            case Place::UnmappedDrive:
                return std::string(1, test::UnmappedDriveLetter()) + ":\\" + c.folder;
        }
        return {};
    }

    // Everything in the scratch folder, so that a failed attempt can be seen to leave nothing.
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(scratch_.Host(""))) {
            names.push_back(entry.path().lexically_relative(scratch_.Host("")).generic_string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    test::ScratchFolder scratch_;
};

TEST_P(MkDirTest, AnswersTheOutcomeAndCreatesOnlyOnSuccess) {
    const auto before = Entries();
    EXPECT_EQ(MkDir(PathOf(GetParam())), GetParam().outcome);
    auto expected = before;
    if (GetParam().outcome == kFolderCreated) {
        expected.push_back(GetParam().folder);
        std::sort(expected.begin(), expected.end());
        EXPECT_TRUE(fs::is_directory(scratch_.Host(GetParam().folder)));
    }
    EXPECT_EQ(Entries(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, MkDirTest,
    ::testing::Values(
        MkDirCase{"NewFolder", Place::Scratch, "V", kFolderCreated},
        MkDirCase{"NameWithSpaces", Place::Scratch, "Reference Images", kFolderCreated},
        MkDirCase{"Existing", Place::Scratch, "Existing", RuntimeError::PathFileAccessError},
        MkDirCase{"ExistingInAnotherCase", Place::Scratch, "EXISTING",
                  RuntimeError::PathFileAccessError},
        MkDirCase{"DriveRoot", Place::DriveRoot, "", RuntimeError::PathFileAccessError},
        MkDirCase{"MissingParent", Place::Scratch, "missing\\V", RuntimeError::PathNotFound},
        MkDirCase{"FileInTheWay", Place::Scratch, "file\\V", RuntimeError::PathNotFound},
        MkDirCase{"UnmappedDrive", Place::UnmappedDrive, "V", RuntimeError::PathNotFound},
        MkDirCase{"Wildcard", Place::Scratch, "a?b", RuntimeError::BadFileName},
        MkDirCase{"Pipe", Place::Scratch, "a|b", RuntimeError::BadFileName},
        MkDirCase{"AngleBracket", Place::Scratch, "a<b", RuntimeError::BadFileName}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace vantrel
