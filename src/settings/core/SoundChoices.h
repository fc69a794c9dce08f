#pragma once

#include <array>

namespace marrowlight {

class SoundOutput;

// One entry of a group's sound list: an event sound (alias set) or a tone
// (frequency set); "None" has neither.
struct SoundChoice {
    const char* text;
    const char* alias;
    int frequencyHz;
    int durationMs;
};

const std::array<SoundChoice, 13>& SoundChoices();

// Plays entry `index` of the sound list; 0, -1 and unknown indices play nothing.
void PlaySoundChoice(int index, SoundOutput& out);

} // namespace marrowlight
