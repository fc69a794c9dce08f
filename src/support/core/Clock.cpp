#include "support/core/Clock.h"

#include "support/core/DateTimeFormat.h"

#include <chrono>
#include <ctime>

namespace marrowlight {

DateTime LocalDateTimeFromUnix(long long seconds, int milliseconds) {
    const auto stamp = static_cast<std::time_t>(seconds);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &stamp);
#else
    localtime_r(&stamp, &local);
#endif
    return DateTimeFromLocal(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                             local.tm_min, local.tm_sec, milliseconds);
}

DateTime SystemClock::Now() const {
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
    // Floor division, so a moment before 1970 keeps a millisecond part of 0..999.
    long long seconds = ms / 1000;
    long long rest = ms % 1000;
    if (rest < 0) {
        rest += 1000;
        --seconds;
    }
    return LocalDateTimeFromUnix(seconds, static_cast<int>(rest));
}

} // namespace marrowlight
