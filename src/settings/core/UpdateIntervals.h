#pragma once

#include <array>
#include <chrono>

namespace marrowlight {

// One entry of the Advanced page's "Update each:" list.
struct UpdateInterval {
    const char* Caption;
    std::chrono::milliseconds Interval;
};

// The list in its stored order: a stored index names an entry of it.
inline constexpr std::array<UpdateInterval, 7> UpdateIntervals{{
    {"1 second", std::chrono::seconds(1)},
    {"2 seconds", std::chrono::seconds(2)},
    {"5 seconds", std::chrono::seconds(5)},
    {"10 seconds", std::chrono::seconds(10)},
    {"30 seconds", std::chrono::seconds(30)},
    {"1 minute", std::chrono::minutes(1)},
    {"5 minutes", std::chrono::minutes(5)},
}};

// How often logs are polled when they are read on a change of their time stamp.
inline constexpr std::chrono::milliseconds TimeStampPollInterval{500};

// The polling interval: TimeStampPollInterval when logs are read on a change of
// their time stamp, else entry `updateEachIndex` of the list (the first when
// the index lies outside it).
std::chrono::milliseconds PollingInterval(bool updateOnChange, int updateEachIndex);

} // namespace marrowlight
