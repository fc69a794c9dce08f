#include "support/core/Clock.h"

#include <chrono>
#include <ctime>

#include "support/core/DateTimeFormat.h"

namespace marrowlight {

DateTime SystemClock::Now() const {
    using namespace std::chrono;
    const auto stamp = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(stamp);
    const auto ms = duration_cast<milliseconds>(stamp.time_since_epoch()).count() % 1000;
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &seconds);
#else
    localtime_r(&seconds, &local);
#endif
    return DateTimeFromLocal(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                             local.tm_min, local.tm_sec, static_cast<int>(ms < 0 ? 0 : ms));
}

} // namespace marrowlight
