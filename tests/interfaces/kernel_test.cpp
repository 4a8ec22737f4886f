// The kernel's time conversions, which turn a cabinet's MS-DOS stamps into dates: the same
// answers from the POSIX layer and from the system.

#include "platform/kernel.h"

#include <gtest/gtest.h>

#include "support/platform.h"

namespace vantrel {
namespace {

using test::kSystemServices;

WORD DosDate(int year, int month, int day) {
    return ((year - 1980) << 9) | (month << 5) | day;
}
WORD DosTime(int hour, int minute, int second) {
    return (hour << 11) | (minute << 5) | second / 2;
}

SYSTEMTIME FromDos(WORD date, WORD time) {
    FILETIME fileTime;
    EXPECT_TRUE(DosDateTimeToFileTime(date, time, &fileTime));
    SYSTEMTIME systemTime{};
    EXPECT_TRUE(FileTimeToSystemTime(&fileTime, &systemTime));
    return systemTime;
}

TEST(KernelTimeTest, DosStampBecomesTheSameCalendarTime) {
    const SYSTEMTIME t = FromDos(DosDate(1997, 3, 12), DosTime(11, 13, 52));
    EXPECT_EQ(t.wYear, 1997);
    EXPECT_EQ(t.wMonth, 3);
    EXPECT_EQ(t.wDay, 12);
    EXPECT_EQ(t.wHour, 11);
    EXPECT_EQ(t.wMinute, 13);
    EXPECT_EQ(t.wSecond, 52);
    EXPECT_EQ(t.wDayOfWeek, 3);  // a Wednesday
}

TEST(KernelTimeTest, FileTimeCountsFrom1601) {
    FILETIME fileTime;
    ASSERT_TRUE(DosDateTimeToFileTime(DosDate(1980, 1, 1), 0, &fileTime));
    // 1980-01-01 is 119,600,064,000,000,000 intervals of 100 ns after 1601-01-01.
    const auto ticks =
        (static_cast<std::uint64_t>(fileTime.dwHighDateTime) << 32) | fileTime.dwLowDateTime;
    EXPECT_EQ(ticks, 119'600'064'000'000'000ULL);
    const SYSTEMTIME epoch = [] {
        FILETIME zero{};
        SYSTEMTIME t{};
        EXPECT_TRUE(FileTimeToSystemTime(&zero, &t));
        return t;
    }();
    EXPECT_EQ(epoch.wYear, 1601);
    EXPECT_EQ(epoch.wMonth, 1);
    EXPECT_EQ(epoch.wDay, 1);
}

TEST(KernelTimeTest, LeapDayAndLastStampRoundTrip) {
    EXPECT_EQ(FromDos(DosDate(2000, 2, 29), 0).wDay, 29);
    const SYSTEMTIME last = FromDos(DosDate(2107, 12, 31), DosTime(23, 59, 58));
    EXPECT_EQ(last.wYear, 2107);
    EXPECT_EQ(last.wSecond, 58);
}

class InvalidDosStampTest : public ::testing::TestWithParam<std::pair<WORD, WORD>> {};

TEST_P(InvalidDosStampTest, IsRefusedAndLeavesTheFileTimeAlone) {
    FILETIME fileTime{7, 9};
    EXPECT_FALSE(DosDateTimeToFileTime(GetParam().first, GetParam().second, &fileTime));
    EXPECT_EQ(fileTime.dwLowDateTime, 7u);
    EXPECT_EQ(fileTime.dwHighDateTime, 9u);
}

INSTANTIATE_TEST_SUITE_P(
    Stamps, InvalidDosStampTest,
    ::testing::Values(std::pair<WORD, WORD>{0, 0},                     // month and day 0
                      std::pair<WORD, WORD>{DosDate(2001, 13, 1), 0},  // month 13
                      std::pair<WORD, WORD>{DosDate(2001, 4, 31), 0},  // April has 30 days
                      std::pair<WORD, WORD>{DosDate(2001, 1, 1), 24 << 11},
                      std::pair<WORD, WORD>{DosDate(2001, 1, 1), 60 << 5},
                      std::pair<WORD, WORD>{DosDate(2001, 1, 1), 30}));  // 60 seconds

// 29 February of a common year: ours refuses it; Wine's checks the day against a table that
// gives February 29 days, and rolls the date over into March.
TEST(KernelTimeTest, LeapDayOfACommonYear) {
    FILETIME fileTime{7, 9};
    const BOOL converted = DosDateTimeToFileTime(DosDate(2001, 2, 29), 0, &fileTime);
    EXPECT_EQ(converted != FALSE, kSystemServices);
    if (converted) {
        SYSTEMTIME t{};
        ASSERT_TRUE(FileTimeToSystemTime(&fileTime, &t));
        EXPECT_EQ(t.wMonth, 3);
        EXPECT_EQ(t.wDay, 1);
    }
}

TEST(KernelTimeTest, FileTimesBeyondYear30827AreRefused) {
    const FILETIME huge{0xFFFFFFFF, 0xFFFFFFFF};
    SYSTEMTIME t{};
    EXPECT_FALSE(FileTimeToSystemTime(&huge, &t));
}

}  // namespace
}  // namespace vantrel
