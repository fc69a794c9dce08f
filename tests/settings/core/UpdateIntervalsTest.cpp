#include "settings/core/UpdateIntervals.h"

#include <gtest/gtest.h>
#include <tuple>

namespace marrowlight {
namespace {

using std::chrono::milliseconds;

TEST(PollingInterval, FollowsTheUpdateModeAndTheChosenEntry) {
    const std::tuple<bool, int, milliseconds> cases[] = {
        {true, 4, milliseconds(500)},
        {false, 0, milliseconds(1000)},
        {false, 1, milliseconds(2000)},
        {false, 2, milliseconds(5000)},
        {false, 3, milliseconds(10000)},
        {false, 4, milliseconds(30000)},
        {false, 5, milliseconds(60000)},
        {false, 6, milliseconds(300000)},
        // A stored index outside the list reads as its first entry.
        {false, 7, milliseconds(1000)},
        {false, -1, milliseconds(1000)},
    };
    for (const auto& [onChange, index, expected] : cases)
        EXPECT_EQ(PollingInterval(onChange, index), expected) << onChange << " " << index;
}

} // namespace
} // namespace marrowlight
