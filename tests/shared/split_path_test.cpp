#include "shared/split_path.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

struct SplitCase {
    const char* path;
    const char* folder;
    const char* fileName;
};

void PrintTo(const SplitCase& c, std::ostream* out) {
    *out << '"' << c.path << '"';
}

class SplitPathTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitPathTest, CutsAtTheLastBackslash) {
    const auto& c = GetParam();
    const auto result = SplitPath(c.path);
    EXPECT_EQ(result.Folder, c.folder);
    EXPECT_EQ(result.FileName, c.fileName);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, SplitPathTest,
    ::testing::Values(SplitCase{"C:\\Program Files\\Viewer\\ZORVIKViewer.EXE",
                                "C:\\Program Files\\Viewer\\", "ZORVIKViewer.EXE"},
                      SplitCase{"ZORVIKViewer.EXE", "", "ZORVIKViewer.EXE"},
                      SplitCase{"set1\\case01\\a.jpg", "set1\\case01\\", "a.jpg"},
                      SplitCase{"folder\\", "folder\\", ""}, SplitCase{"", "", ""},
                      // "/" is a character of the name here, not a separator.
                      SplitCase{"a/b\\c/d", "a/b\\", "c/d"}));

}  // namespace
}  // namespace vantrel
