// The date shown in the hidden list: the user's short date, then the time unless it is midnight.

#include "platform/date_format.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

constexpr DateTime kAfternoon{2024, 3, 5, 14, 7, 9};
constexpr DateTime kMidnight{2024, 3, 5, 0, 0, 0};

TEST(GeneralDateTimeTextTest, MidnightShowsTheDateAlone) {
    const std::string date = GeneralDateTimeText(kMidnight);
    const std::string dateAndTime = GeneralDateTimeText(kAfternoon);
    ASSERT_FALSE(date.empty());
    ASSERT_GT(dateAndTime.size(), date.size() + 1);
    EXPECT_EQ(dateAndTime.substr(0, date.size() + 1), date + " ");
}

TEST(GeneralDateTimeTextTest, IsTheLocalesShortDateAndTime) {
    // The tests run with LC_ALL=C.UTF-8: the C library's "%x %X" on POSIX; Wine takes the
    // variable for English (United States).
#ifdef _WIN32
    EXPECT_EQ(GeneralDateTimeText(kAfternoon), "3/5/2024 2:07:09 PM");
#else
    EXPECT_EQ(GeneralDateTimeText(kAfternoon), "03/05/24 14:07:09");
#endif
}

class GeneralDateTimeFieldTest : public ::testing::TestWithParam<DateTime> {};

TEST_P(GeneralDateTimeFieldTest, ShowsTheFieldThatDiffers) {
    EXPECT_NE(GeneralDateTimeText(GetParam()), GeneralDateTimeText(kAfternoon));
}

INSTANTIATE_TEST_SUITE_P(
    OneFieldChanged, GeneralDateTimeFieldTest,
    ::testing::Values(DateTime{2025, 3, 5, 14, 7, 9}, DateTime{2024, 4, 5, 14, 7, 9},
                      DateTime{2024, 3, 6, 14, 7, 9}, DateTime{2024, 3, 5, 15, 7, 9},
                      DateTime{2024, 3, 5, 14, 8, 9}, DateTime{2024, 3, 5, 14, 7, 10},
                      DateTime{2024, 3, 5, 0, 0, 1}));

}  // namespace
}  // namespace vantrel
