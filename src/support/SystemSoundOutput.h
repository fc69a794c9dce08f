#pragma once

#include "support/core/SoundOutput.h"

#include <cstdint>
#include <string>
#include <vector>

struct ca_context;

namespace marrowlight {

// The freedesktop sound-theme event id that stands for a system event alias
// ("SystemHand" -> "dialog-error"); unknown aliases give "bell".
std::string SoundEventId(const std::string& alias);

// A sine tone as signed 16-bit mono samples, with short ramps at both ends so
// it starts and stops without a click. Empty for a non-positive frequency or
// duration.
std::vector<std::int16_t> SineTone(int frequencyHz, int durationMs, int sampleRate);

// Event sounds through libcanberra, tones through the PulseAudio simple API
// (PipeWire serves it too). Without a sound server everything is silent:
// nothing is reported and nothing waits.
class SystemSoundOutput : public SoundOutput {
  public:
    SystemSoundOutput() = default;
    ~SystemSoundOutput() override;
    SystemSoundOutput(const SystemSoundOutput&) = delete;
    SystemSoundOutput& operator=(const SystemSoundOutput&) = delete;

    void playEvent(const std::string& alias) override;
    void playTone(int frequencyHz, int durationMs) override;

    static constexpr int SampleRate = 44100;

  private:
    ::ca_context* context();

    ::ca_context* context_ = nullptr;
};

} // namespace marrowlight
