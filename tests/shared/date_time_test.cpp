#include "shared/date_time.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

TEST(DateTimeTest, ZeroIsTheEveOf1900) {
    EXPECT_EQ(DateTime::Zero().SortText(), "18991230000000");
}

TEST(DateTimeTest, SortTextHasFourteenDigits) {
    EXPECT_EQ((DateTime{2009, 1, 1, 12, 0, 0}.SortText()), "20090101120000");
    EXPECT_EQ((DateTime{1997, 3, 12, 11, 13, 52}.SortText()), "19970312111352");
}

}  // namespace
}  // namespace vantrel
