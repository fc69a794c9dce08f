#include "monitor/AlertRhythm.h"

#include "RunEventsUntil.h"

#include <gtest/gtest.h>
#include <vector>

namespace marrowlight {
namespace {

// Time is the test's: only whether and in which order groups sound is
// checked, never when.
TEST(AlertRhythm, AGroupSoundsAtMostOncePerIntervalAndAHeldBackAlertLater) {
    qint64 now = 0;
    int interval = 500;
    std::vector<int> played;
    AlertRhythm rhythm([&] { return interval; }, [&](int group) { played.push_back(group); },
                       [&] { return now; });
    struct Step {
        qint64 at;
        std::array<bool, 3> raised;
        std::vector<int> sounds;
    } steps[] = {
        {0, {false, true, true}, {2, 3}}, // in group order
        {100, {false, false, true}, {}},  // 3 waits
        {200, {true, true, false}, {1}},  // 2 waits too; 1 is free
        {499, {false, false, true}, {}},  // still one 3, waiting
        {700, {false, false, false}, {2, 3}}, {1100, {false, true, false}, {}},
        {1300, {false, true, false}, {2}},
    };
    for (const Step& step : steps) {
        played.clear();
        now = step.at;
        if (step.raised == std::array<bool, 3>{}) {
            // Nothing raised: the held back alerts come by themselves.
            EXPECT_TRUE(RunEventsUntil([&] { return played == step.sounds; })) << "at " << step.at;
        } else {
            rhythm.Raise(step.raised);
            EXPECT_EQ(played, step.sounds) << "at " << step.at;
        }
    }
    EXPECT_FALSE(rhythm.Waiting(2));

    // A shorter interval counts at once.
    played.clear();
    now = 1400;
    interval = 50;
    rhythm.Raise({false, true, false});
    EXPECT_EQ(played, std::vector<int>{2});
}

} // namespace
} // namespace marrowlight
