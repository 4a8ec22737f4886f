#include "shared/date_time.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

TEST(DateTimeTest, ZeroIsTheEveOf1900) {
    EXPECT_EQ(DateTime::Zero().SortText(), "18991230000000");
    EXPECT_EQ(DateTime::Zero().GeneralText(), "1899-12-30");
}

TEST(DateTimeTest, SortTextHasFourteenDigits) {
    EXPECT_EQ((DateTime{2009, 1, 1, 12, 0, 0}.SortText()), "20090101120000");
    EXPECT_EQ((DateTime{1997, 3, 12, 11, 13, 52}.SortText()), "19970312111352");
}

TEST(DateTimeTest, GeneralTextLeavesOutMidnight) {
    EXPECT_EQ((DateTime{2009, 1, 1, 12, 0, 0}.GeneralText()), "2009-01-01 12:00:00");
    EXPECT_EQ((DateTime{2009, 1, 1, 0, 0, 2}.GeneralText()), "2009-01-01 00:00:02");
    EXPECT_EQ((DateTime{2009, 1, 1, 0, 0, 0}.GeneralText()), "2009-01-01");
}

}  // namespace
}  // namespace vantrel
