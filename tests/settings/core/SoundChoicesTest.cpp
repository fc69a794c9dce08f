#include "settings/core/SoundChoices.h"

#include "support/core/RecordingSoundOutput.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace marrowlight {
namespace {

using RecordingSound = RecordingSoundOutput;

TEST(SoundChoices, EachEntryPlaysWhatItsTextSays) {
    const std::vector<std::pair<const char*, const char*>> expected = {
        {"None", ""},
        {"(1)  SystemAsterisk", "SystemAsterisk"},
        {"(2)  SystemExclamation", "SystemExclamation"},
        {"(3)  SystemExit", "SystemExit"},
        {"(4)  SystemHand", "SystemHand"},
        {"(5)  SystemQuestion", "SystemQuestion"},
        {"(6)  SystemStart", "SystemStart"},
        {"(7)  400Hz/150ms", "400/150"},
        {"(8)  800Hz/150ms", "800/150"},
        {"(9)  1200Hz/150ms", "1200/150"},
        {"(10) 400Hz/500ms", "400/500"},
        {"(11) 800Hz/500ms", "800/500"},
        {"(12) 1200Hz/500ms", "1200/500"},
    };
    ASSERT_EQ(SoundChoices().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_STREQ(SoundChoices()[i].text, expected[i].first);
        RecordingSound sound;
        PlaySoundChoice(static_cast<int>(i), sound);
        const std::string heard = sound.played.empty() ? "" : sound.played.front();
        EXPECT_EQ(heard, expected[i].second) << i;
        EXPECT_LE(sound.played.size(), 1u);
    }
}

} // namespace
} // namespace marrowlight
