#pragma once

#include "support/core/SoundOutput.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace marrowlight {

// The freedesktop sound-theme event id that stands for a system event alias
// ("SystemHand" -> "dialog-error"); unknown aliases give "bell".
std::string SoundEventId(const std::string& alias);

// A sine tone as signed 16-bit mono samples, with short ramps at both ends so
// it starts and stops without a click. Empty for a non-positive frequency or
// duration.
std::vector<std::int16_t> SineTone(int frequencyHz, int durationMs, int sampleRate);

// Where SystemSoundOutput's sounds go: the sound server, or a fake in tests.
class SoundDevice {
  public:
    enum class EventResult { Played, NotFound, Failed };
    virtual ~SoundDevice() = default;
    // Plays a sound-theme event, cutting off the event played before.
    virtual EventResult PlayEventId(const std::string& id) = 0;
    // Plays signed 16-bit mono samples at SystemSoundOutput::SampleRate.
    virtual void PlaySamples(const std::vector<std::int16_t>& samples) = 0;
};

// System event aliases as sound-theme events, and tones as sine samples.
// Without an argument the sounds go to the sound server: events through
// libcanberra, tones through the PulseAudio simple API (PipeWire serves it
// too). Without a sound server everything is silent: nothing is reported and
// nothing waits.
class SystemSoundOutput : public SoundOutput {
  public:
    SystemSoundOutput();
    explicit SystemSoundOutput(std::unique_ptr<SoundDevice> device);
    ~SystemSoundOutput() override;
    SystemSoundOutput(const SystemSoundOutput&) = delete;
    SystemSoundOutput& operator=(const SystemSoundOutput&) = delete;

    void PlayEvent(const std::string& alias) override;
    void PlayTone(int frequencyHz, int durationMs) override;

    static constexpr int SampleRate = 44100;

  private:
    std::unique_ptr<SoundDevice> device_;
};

} // namespace marrowlight
