#include "support/core/DateTimeFormat.h"

#include <cmath>
#include <cstdint>

namespace marrowlight {

namespace {

constexpr std::int64_t MsPerDay = 86'400'000;
// Days from 1970-01-01 back to the DateTime epoch 1899-12-30.
constexpr std::int64_t EpochOffsetDays = 25'569;

// Proleptic Gregorian conversions after Howard Hinnant's civil-from-days.
std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(std::int64_t z, LocalDateTime& out) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    out.year = static_cast<int>(yoe + era * 400 + (m <= 2));
    out.month = m;
    out.day = d;
}

std::string Number(int value, std::size_t digits) {
    std::string text = std::to_string(value);
    if (text.size() < digits)
        text.insert(0, digits - text.size(), '0');
    return text;
}

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::size_t RunLength(const std::string& mask, std::size_t at, char letter, std::size_t most) {
    std::size_t n = 0;
    while (at + n < mask.size() && n < most && Lower(mask[at + n]) == letter)
        ++n;
    return n;
}

} // namespace

DateTime DateTimeFromLocal(int year, int month, int day, int hour, int minute, int second,
                           int millisecond) {
    const std::int64_t days = DaysFromCivil(year, month, day) + EpochOffsetDays;
    const std::int64_t ms = ((hour * 60LL + minute) * 60 + second) * 1000 + millisecond;
    return static_cast<double>(days) + static_cast<double>(ms) / MsPerDay;
}

LocalDateTime LocalFromDateTime(DateTime value) {
    const auto total = static_cast<std::int64_t>(std::llround(value * MsPerDay));
    std::int64_t days = total / MsPerDay;
    std::int64_t ms = total % MsPerDay;
    if (ms < 0) {
        ms += MsPerDay;
        --days;
    }
    LocalDateTime out;
    CivilFromDays(days - EpochOffsetDays, out);
    out.hour = static_cast<int>(ms / 3'600'000);
    out.minute = static_cast<int>(ms / 60'000 % 60);
    out.second = static_cast<int>(ms / 1000 % 60);
    out.millisecond = static_cast<int>(ms % 1000);
    return out;
}

CalendarDate DateOf(DateTime value) {
    LocalDateTime t;
    CivilFromDays(static_cast<std::int64_t>(std::floor(value)) - EpochOffsetDays, t);
    return {t.year, t.month, t.day};
}

CalendarDate Today(const Clock& clock) {
    return DateOf(clock.Now());
}

std::string FormatDateTime(DateTime value, const std::string& mask) {
    const LocalDateTime t = LocalFromDateTime(value);
    std::string out;
    char lastToken = 0;
    for (std::size_t i = 0; i < mask.size();) {
        const char letter = Lower(mask[i]);
        std::size_t n = 0;
        switch (letter) {
        case 'h':
            n = RunLength(mask, i, 'h', 2);
            out += Number(t.hour, n);
            break;
        case 'm':
            n = RunLength(mask, i, 'm', 2);
            out += Number(lastToken == 'h' ? t.minute : t.month, n);
            break;
        case 's':
            n = RunLength(mask, i, 's', 2);
            out += Number(t.second, n);
            break;
        case 'd':
            n = RunLength(mask, i, 'd', 2);
            out += Number(t.day, n);
            break;
        case 'y':
            n = RunLength(mask, i, 'y', 4);
            out += n <= 2 ? Number(t.year % 100, 2) : Number(t.year, 4);
            break;
        default:
            out += mask[i];
            i += 1;
            continue;
        }
        lastToken = letter;
        i += n;
    }
    return out;
}

} // namespace marrowlight
