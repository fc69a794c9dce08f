#include "support/core/DateTimeFormat.h"

#include <ctime>
#include <gtest/gtest.h>

namespace marrowlight {
namespace {

TEST(DateTimeFormat, FormatsArrivalTimes) {
    const DateTime afternoon = DateTimeFromLocal(2026, 12, 7, 14, 5, 9);
    const DateTime midnight = DateTimeFromLocal(2026, 1, 1);
    const struct {
        DateTime value;
        std::string mask, expected;
    } cases[] = {
        {afternoon, "hh:mm:ss", "14:05:09"},
        {afternoon, "dd-hh:mm", "07-14:05"},
        {afternoon, "HH:MM:SS", "14:05:09"},
        {afternoon, "yyyy-mm-dd hh:mm", "2026-12-07 14:05"},
        {afternoon, "yymmdd", "261207"},
        {afternoon, "h:m:s d.m", "14:5:9 7.12"},
        {afternoon, "[mm] x", "[12] x"},
        {midnight, "hh:mm:ss", "00:00:00"},
        {midnight, "dd-hh:mm", "01-00:00"},
        {DateTimeFromLocal(2026, 3, 1, 23, 59, 59, 999), "dd hh:mm:ss", "01 23:59:59"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatDateTime(c.value, c.mask), c.expected) << c.mask;
}

TEST(DateTimeFormat, ConvertsBothWays) {
    EXPECT_DOUBLE_EQ(DateTimeFromLocal(1899, 12, 30), 0.0);
    EXPECT_DOUBLE_EQ(DateTimeFromLocal(1900, 1, 1, 12), 2.5);
    EXPECT_DOUBLE_EQ(DateTimeFromLocal(1970, 1, 1), 25569.0);

    const LocalDateTime samples[] = {
        {2026, 12, 7, 14, 5, 0, 0}, {2000, 2, 29, 23, 59, 59, 999},  {1899, 12, 30, 0, 0, 0, 0},
        {2100, 3, 1, 0, 0, 0, 1},   {1999, 12, 31, 12, 30, 45, 500}, {1850, 6, 15, 6, 7, 8, 9},
    };
    for (const auto& s : samples) {
        const LocalDateTime back = LocalFromDateTime(
            DateTimeFromLocal(s.year, s.month, s.day, s.hour, s.minute, s.second, s.millisecond));
        EXPECT_EQ(back.year, s.year);
        EXPECT_EQ(back.month, s.month);
        EXPECT_EQ(back.day, s.day);
        EXPECT_EQ(back.hour, s.hour);
        EXPECT_EQ(back.minute, s.minute);
        EXPECT_EQ(back.second, s.second);
        EXPECT_EQ(back.millisecond, s.millisecond) << s.year;
    }
}

TEST(DateTimeFormat, DateOfNeverRoundsIntoTheNextDay) {
    const struct {
        DateTime value;
        CalendarDate expected;
    } cases[] = {
        {DateTimeFromLocal(2026, 12, 7), {2026, 12, 7}},
        {DateTimeFromLocal(2026, 12, 6, 23, 59, 59, 999), {2026, 12, 6}},
        // Closer to midnight than half a millisecond.
        {DateTimeFromLocal(2026, 12, 7) - 0.3 / 86'400'000, {2026, 12, 6}},
        {DateTimeFromLocal(2024, 2, 29, 12), {2024, 2, 29}},
        {DateTimeFromLocal(2027, 1, 1) - 1e-9, {2026, 12, 31}},
        {0.0, {1899, 12, 30}},
        {-0.25, {1899, 12, 29}},
    };
    for (const auto& c : cases) {
        const CalendarDate got = DateOf(c.value);
        EXPECT_EQ(got, c.expected) << got.year << '-' << got.month << '-' << got.day;
    }
}

TEST(DateTimeFormat, FileTimesAreReadInLocalTime) {
    std::tm local{};
    local.tm_year = 2026 - 1900;
    local.tm_mon = 11;
    local.tm_mday = 7;
    local.tm_hour = 23;
    local.tm_min = 59;
    local.tm_sec = 58;
    local.tm_isdst = -1;
    const std::time_t seconds = std::mktime(&local);
    EXPECT_DOUBLE_EQ(LocalDateTimeFromUnix(seconds, 250),
                     DateTimeFromLocal(2026, 12, 7, 23, 59, 58, 250));
}

} // namespace
} // namespace marrowlight
