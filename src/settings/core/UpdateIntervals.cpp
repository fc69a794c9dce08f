#include "settings/core/UpdateIntervals.h"

namespace marrowlight {

std::chrono::milliseconds PollingInterval(bool updateOnChange, int updateEachIndex) {
    if (updateOnChange)
        return TimeStampPollInterval;
    if (updateEachIndex < 0 || updateEachIndex >= int(UpdateIntervals.size()))
        return UpdateIntervals.front().Interval;
    return UpdateIntervals[size_t(updateEachIndex)].Interval;
}

} // namespace marrowlight
