// Listing a cabinet with GetInfo: the FileFound values, the two failure messages, and errors
// raised by a FileFound handler.

#include <set>
#include <tuple>

#include "cabinet/cabinet_fixture.h"
#include "shared/raised_error.h"
#include "support/platform.h"

namespace vantrel::test {
namespace {

const DateTime k1997{1997, 3, 12, 11, 13, 52};

class ListingTest : public CabinetTest, public ::testing::WithParamInterface<bool> {};

TEST_P(ListingTest, ReportsNameFolderAndSizeOfEveryFileWithoutWritingAnything) {
    const auto cabinet = MakeGcabCabinet("cabs/Images.cab",
                                         {{"a.jpg", "top"},
                                          {"set1/case01/a.jpg", "nested jpeg"},
                                          {"set1/readme.txt", std::string(70000, 'r')}},
                                         GetParam());
    const auto treeBefore = Tree();
    auto cab = CabFor(cabinet);

    const auto found = Listing(*cab);

    std::set<std::tuple<std::string, std::int32_t, std::string>> seen;
    for (const auto& file : found) {
        seen.emplace(file.FileName, file.Size, file.Path);
    }
    EXPECT_EQ(found.size(), 3u);
    EXPECT_EQ(
        seen,
        (std::set<std::tuple<std::string, std::int32_t, std::string>>{
            {"a.jpg", 3, ""}, {"a.jpg", 11, "set1\\case01\\"}, {"readme.txt", 70000, "set1\\"}}));
    EXPECT_EQ(Tree(), treeBefore);
    EXPECT_EQ(messages_.Texts(), Names{});
}

INSTANTIATE_TEST_SUITE_P(StoredAndMszip, ListingTest, ::testing::Bool());

TEST_F(CabinetTest, ListingIgnoresItsArgument) {
    auto cab = CabFor(MakeGcabCabinet("x.cab", {{"a.jpg", "1"}, {"s/b.jpg", "22"}}, true));
    const auto all = Listing(*cab);
    ASSERT_EQ(all.size(), 2u);
    for (const char* argument : {"a.jpg", "C:\\Program Files\\Viewer\\", "no such file"}) {
        EXPECT_EQ(Listing(*cab, argument), all) << argument;
    }
}

TEST_F(CabinetTest, ListingReportsFixturesOfEveryCompression) {
    auto cab = CabFor(CopyFixture("mszip_lzx_qtm.cab"));
    EXPECT_EQ(Listing(*cab), (std::vector<FoundFile>{FoundFile{"mszip.txt", k1997, 57, ""},
                                                     FoundFile{"lzx.txt", k1997, 187, ""},
                                                     FoundFile{"qtm.txt", k1997, 59, ""}}));
    cab->SetCabName(CopyFixture("normal_255c_filename.cab"));
    const auto longName = Listing(*cab);
    ASSERT_EQ(longName.size(), 1u);
    EXPECT_EQ(longName[0].FileName.size(), 255u);
}

TEST_F(CabinetTest, CabinetWithoutFilesListsNothingAndSucceeds) {
    auto cab = CabFor(WriteStoredCabinet("empty.cab", {}));
    EXPECT_TRUE(Listing(*cab).empty());
    EXPECT_EQ(messages_.Texts(), Names{});
}

struct StampCase {
    std::uint16_t DosDate;
    std::uint16_t DosTime;
    DateTime Expected;
};

class StampTest : public CabinetTest, public ::testing::WithParamInterface<StampCase> {};

// The stamp is taken as it is stored, without any time-zone shift; one that is no valid date
// leaves the zero file time, 1601-01-01.
TEST_P(StampTest, DateComesFromTheMsDosStamp) {
    const auto& stamp = GetParam();
    auto cab = CabFor(WriteStoredCabinet(
        "stamp.cab",
        {{.Name = "f", .Data = "x", .DosDate = stamp.DosDate, .DosTime = stamp.DosTime}}));
    const auto found = Listing(*cab);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].Date, stamp.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Stamps, StampTest,
    ::testing::Values(StampCase{(17 << 9) | (3 << 5) | 12, (11 << 11) | (13 << 5) | 26, k1997},
                      StampCase{(43 << 9) | (12 << 5) | 31,
                                (23 << 11) | (59 << 5) | 29,
                                {2023, 12, 31, 23, 59, 58}},
                      StampCase{(20 << 9) | (2 << 5) | 29, 0, {2000, 2, 29, 0, 0, 0}},
                      StampCase{(0 << 9) | (0 << 5) | 1, 0, {1601, 1, 1, 0, 0, 0}},
                      // Wine's conversion rolls 29 February of a common year over into March.
                      StampCase{(1 << 9) | (2 << 5) | 29, 0,
                                OnPlatform<DateTime>({1601, 1, 1, 0, 0, 0}, {1981, 3, 1, 0, 0, 0})},
                      StampCase{(1 << 9) | (1 << 5) | 1, 24 << 11, {1601, 1, 1, 0, 0, 0}}));

struct ListFailureCase {
    const char* label;
    const char* fixture;  // nullptr: no file; "": CabName left empty
    const char* message;
};

class ListFailureTest : public CabinetTest,
                        public ::testing::WithParamInterface<ListFailureCase> {};

TEST_P(ListFailureTest, ShowsTheMessageAndAnswersFalse) {
    const auto& failure = GetParam();
    auto cab = CabFile::Create();
    if (failure.fixture == nullptr) {
        cab->SetCabName(Windows("missing.cab"));
    } else if (*failure.fixture != '\0') {
        cab->SetCabName(CopyFixture(failure.fixture));
    }
    const auto treeBefore = Tree();
    bool fileFound = false;
    cab->FileFound = [&](auto&&...) { fileFound = true; };

    EXPECT_FALSE(cab->GetInfo(""));
    EXPECT_EQ(messages_.Texts(), (Names{failure.message}));
    EXPECT_FALSE(fileFound);
    EXPECT_EQ(Tree(), treeBefore);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, ListFailureTest,
    ::testing::Values(ListFailureCase{"EmptyCabName", "", "Error!"},
                      ListFailureCase{"MissingFile", nullptr, "Error22"},
                      ListFailureCase{"NotACabinet", "bad_signature.cab", "Error22"},
                      ListFailureCase{"TruncatedFileTable", "partial_shortfile1.cab", "Error22"}),
    [](const auto& info) { return info.param.label; });

}  // namespace
}  // namespace vantrel::test
