#include "support/SystemSoundOutput.h"

#include <algorithm>
#include <functional>
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

// Records what it was asked to play; events it does not know are NotFound.
struct FakeSoundDevice : SoundDevice {
    std::vector<std::string> known;
    std::vector<std::string>* events;
    std::vector<std::vector<std::int16_t>>* tones;
    FakeSoundDevice(std::vector<std::string> knownIds, std::vector<std::string>& e,
                    std::vector<std::vector<std::int16_t>>& t)
        : known(std::move(knownIds)), events(&e), tones(&t) {}
    EventResult PlayEventId(const std::string& id) override {
        events->push_back(id);
        if (known.empty())
            return EventResult::Failed; // no sound server
        return std::find(known.begin(), known.end(), id) != known.end() ? EventResult::Played
                                                                        : EventResult::NotFound;
    }
    void PlaySamples(const std::vector<std::int16_t>& samples) override {
        tones->push_back(samples);
    }
};

TEST(SystemSoundOutput, AsksTheDeviceForTheEventOrTheBellAndForTheTone) {
    using Ids = std::vector<std::string>;
    const Ids theme{"dialog-error", "bell"};
    const struct {
        const char* what;
        Ids known;
        std::function<void(SoundOutput&)> play;
        Ids events;
        std::vector<std::pair<int, int>> tones; // frequency, duration
    } cases[] = {
        {"event in the theme",
         theme,
         [](SoundOutput& o) { o.PlayEvent("SystemHand"); },
         {"dialog-error"},
         {}},
        {"event not in the theme",
         theme,
         [](SoundOutput& o) { o.PlayEvent("SystemStart"); },
         {"service-login", "bell"},
         {}},
        {"unknown alias", theme, [](SoundOutput& o) { o.PlayEvent("NoSuchAlias"); }, {"bell"}, {}},
        {"no sound server",
         {},
         [](SoundOutput& o) { o.PlayEvent("SystemStart"); },
         {"service-login"},
         {}},
        {"tone", theme, [](SoundOutput& o) { o.PlayTone(1000, 20); }, {}, {{1000, 20}}},
        {"no tone", theme, [](SoundOutput& o) { o.PlayTone(0, 20); }, {}, {}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> events;
        std::vector<std::vector<std::int16_t>> tones;
        SystemSoundOutput output(std::make_unique<FakeSoundDevice>(c.known, events, tones));
        c.play(output);
        EXPECT_EQ(events, c.events) << c.what;
        std::vector<std::vector<std::int16_t>> expected;
        for (const auto& [hz, ms] : c.tones)
            expected.push_back(SineTone(hz, ms, SystemSoundOutput::SampleRate));
        EXPECT_EQ(tones, expected) << c.what;
    }
}

} // namespace
} // namespace marrowlight
