// An Images.cab that is the first part of a cabinet set: the installation takes every file of the
// set, the parts found beside the first.

#include "cabinet/cabinet_fixture.h"
#include "support/cab_set_builder.h"

namespace vantrel::test {
namespace {

const std::vector<CabEntry> kSetFiles = {
    {"a.bmp", std::string(3000, 'a')},
    {"sub\\split.bmp", std::string(5000, 's')},
    {"sub\\z.bmp", std::string(200, 'z')},
};

class CabFileSetTest : public CabinetTest {
  protected:
    void SetUp() override {
        CabSetLayout layout;
        layout.PartNames = {"Images.cab", "Images2.cab"};
        layout.SplitFiles = {1};
        const auto parts = BuildStoredCabSet(kSetFiles, layout);
        std::filesystem::create_directories(Host("set"));
        WriteFile(Host("set/Images.cab"), parts[0]);
        WriteFile(Host("set/Images2.cab"), parts[1]);
    }
};

// The files that begin in the second part too, and the split one whole.
TEST_F(CabFileSetTest, ListsAndInstallsTheFilesOfTheSet) {
    auto cab = CabFor(Windows("set/Images.cab"));
    Names listed;
    for (const auto& file : Listing(*cab)) {
        listed.push_back(file.Path + file.FileName);
    }
    EXPECT_EQ(listed, (Names{"a.bmp", "sub\\split.bmp", "sub\\z.bmp"}));

    EXPECT_TRUE(cab->Extract("", Windows("out"), ""));
    FileSet expected;
    for (const auto& entry : kSetFiles) {
        std::string relative = entry.Name;
        std::replace(relative.begin(), relative.end(), '\\', '/');
        expected[relative] = entry.Data;
    }
    FileSet written;
    for (const auto& name : ListFiles(Host("out"))) {
        written[name] = ReadFile(Host("out") / name);
    }
    EXPECT_EQ(written, expected);
    EXPECT_EQ(cab->NotWritten(), Names{});
}

TEST_F(CabFileSetTest, MissingPartRaisesFileNotFound) {
    std::filesystem::remove(Host("set/Images2.cab"));
    std::filesystem::create_directories(Host("out/sub"));
    WriteFile(Host("out/sub/split.bmp"), "old");
    auto cab = CabFor(Windows("set/Images.cab"));
    const auto error = RaisedBy([&] { cab->Extract("", Windows("out"), ""); });
    EXPECT_EQ(error.Number, 2);
    EXPECT_EQ(error.Source, "CabFile");
    EXPECT_EQ(error.Description, "The system cannot find the file specified.");
    // The whole set is opened before anything is written: an earlier installation stays whole.
    EXPECT_EQ(ListFiles(Host("out")), (Names{"sub/split.bmp"}));
    EXPECT_EQ(ReadFile(Host("out/sub/split.bmp")), "old");
}

}  // namespace
}  // namespace vantrel::test
