#include "settings/core/SoundChoices.h"

#include "support/core/SoundOutput.h"

namespace marrowlight {

const std::array<SoundChoice, 13>& SoundChoices() {
    static const std::array<SoundChoice, 13> choices{{
        {"None", nullptr, 0, 0},
        {"(1)  SystemAsterisk", "SystemAsterisk", 0, 0},
        {"(2)  SystemExclamation", "SystemExclamation", 0, 0},
        {"(3)  SystemExit", "SystemExit", 0, 0},
        {"(4)  SystemHand", "SystemHand", 0, 0},
        {"(5)  SystemQuestion", "SystemQuestion", 0, 0},
        {"(6)  SystemStart", "SystemStart", 0, 0},
        {"(7)  400Hz/150ms", nullptr, 400, 150},
        {"(8)  800Hz/150ms", nullptr, 800, 150},
        {"(9)  1200Hz/150ms", nullptr, 1200, 150},
        {"(10) 400Hz/500ms", nullptr, 400, 500},
        {"(11) 800Hz/500ms", nullptr, 800, 500},
        {"(12) 1200Hz/500ms", nullptr, 1200, 500},
    }};
    return choices;
}

void PlaySoundChoice(int index, SoundOutput& out) {
    const auto& choices = SoundChoices();
    if (index < 1 || index >= static_cast<int>(choices.size()))
        return;
    const SoundChoice& c = choices[static_cast<std::size_t>(index)];
    if (c.alias)
        out.PlayEvent(c.alias);
    else
        out.PlayTone(c.frequencyHz, c.durationMs);
}

} // namespace marrowlight
