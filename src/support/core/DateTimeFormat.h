#pragma once

#include "support/core/Clock.h"

#include <string>

namespace marrowlight {

// A DateTime broken into its local calendar and clock fields.
struct LocalDateTime {
    int year = 1899;
    int month = 12; // 1..12
    int day = 30;   // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

// A local calendar day.
struct CalendarDate {
    int year = 1899;
    int month = 12; // 1..12
    int day = 30;   // 1..31
    bool operator==(const CalendarDate&) const = default;
};

// The day a DateTime falls on. Unlike LocalFromDateTime it never rounds:
// 23:59:59.9999 still belongs to its own day.
CalendarDate DateOf(DateTime value);
// Today's local date by the given clock.
CalendarDate Today(const Clock& clock);

DateTime DateTimeFromLocal(int year, int month, int day, int hour = 0, int minute = 0,
                           int second = 0, int millisecond = 0);
// Rounds to the nearest millisecond, so 14:05 never shows as 14:04:59.
LocalDateTime LocalFromDateTime(DateTime value);

// Formats with the letters "hh" (hour), "mm" (minutes right after an hour,
// else month), "ss" (seconds), "dd" (day of month), "yyyy" or "yy" (year);
// single letters give the number without a leading zero. Letters are read
// without regard to case; every other character is copied.
std::string FormatDateTime(DateTime value, const std::string& mask);

} // namespace marrowlight
