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

TEST_F(CabFileSetTest, ListsAndInstallsEveryFileOfTheSet) {
    auto cab = CabFor(Windows("set/Images.cab"));
    ASSERT_EQ(Listing(*cab).size(), kSetFiles.size());

    EXPECT_TRUE(cab->Extract("", Windows("out"), ""));
    EXPECT_EQ(ReadFile(Host("out/a.bmp")), kSetFiles[0].Data);
    EXPECT_EQ(ReadFile(Host("out/sub/split.bmp")), kSetFiles[1].Data);
    EXPECT_EQ(ReadFile(Host("out/sub/z.bmp")), kSetFiles[2].Data);
    EXPECT_EQ(cab->NotWritten(), Names{});
}

TEST_F(CabFileSetTest, MissingPartRaisesFileNotFoundAndInstallsNothing) {
    std::filesystem::remove(Host("set/Images2.cab"));
    auto cab = CabFor(Windows("set/Images.cab"));
    const auto error = RaisedBy([&] { cab->Extract("", Windows("out"), ""); });
    EXPECT_EQ(error.Number, 2);
    EXPECT_EQ(error.Source, "CabFile");
    EXPECT_EQ(error.Description, "The system cannot find the file specified.");
    EXPECT_FALSE(std::filesystem::exists(Host("out")));
}

}  // namespace
}  // namespace vantrel::test
