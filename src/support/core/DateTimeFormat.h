#pragma once

#include <string>

#include "support/core/Clock.h"

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
