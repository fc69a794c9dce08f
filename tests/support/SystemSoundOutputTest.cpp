#include "support/SystemSoundOutput.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace marrowlight {
namespace {

TEST(SystemSoundOutput, EventAliases) {
    const std::pair<const char*, const char*> cases[] = {
        {"SystemAsterisk", "dialog-information"},
        {"SystemExclamation", "dialog-warning"},
        {"SystemExit", "service-logout"},
        {"SystemHand", "dialog-error"},
        {"SystemQuestion", "dialog-question"},
        {"SystemStart", "service-login"},
        {"systemhand", "bell"},
        {"", "bell"},
        {"MailBeep", "bell"},
    };
    for (const auto& [alias, id] : cases)
        EXPECT_EQ(SoundEventId(alias), id) << alias;
}

TEST(SystemSoundOutput, ToneSamples) {
    const int rate = SystemSoundOutput::SampleRate;
    const auto tone = SineTone(400, 150, rate);
    ASSERT_EQ(tone.size(), 6615u);
    // 400 Hz over 150 ms crosses zero upwards 60 times.
    int upward = 0;
    for (std::size_t i = 1; i < tone.size(); ++i)
        upward += tone[i - 1] < 0 && tone[i] >= 0;
    EXPECT_NEAR(upward, 60, 1);
    const auto [low, high] = std::minmax_element(tone.begin(), tone.end());
    EXPECT_GT(*high, 8000);
    EXPECT_LT(*low, -8000);
    // The ends fade in and out, so the speaker does not click.
    EXPECT_LT(std::abs(tone.front()), 100);
    EXPECT_LT(std::abs(tone.back()), 100);

    EXPECT_TRUE(SineTone(0, 150, rate).empty());
    EXPECT_TRUE(SineTone(400, 0, rate).empty());
    EXPECT_TRUE(SineTone(-5, -5, rate).empty());
    EXPECT_EQ(SineTone(1000, 1, rate).size(), 44u);
    EXPECT_EQ(SineTone(400, 3'600'000, rate).size(), 441'000u); // capped at 10 s
}

TEST(SystemSoundOutput, PlaysOrStaysSilentWithoutErrors) {
    SystemSoundOutput sound;
    sound.playEvent("SystemHand");
    sound.playEvent("NoSuchAlias");
    sound.playTone(1000, 20);
    sound.playTone(0, 20);
    SUCCEED();
}

} // namespace
} // namespace marrowlight
