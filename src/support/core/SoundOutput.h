#pragma once

#include <string>

namespace marrowlight {

// Where alerts go. The real one plays through the desktop's sound server;
// tests record what would have played.
class SoundOutput {
  public:
    virtual ~SoundOutput() = default;
    // A named system event ("SystemAsterisk", ...); returns at once and cuts
    // off a sound that is still playing. Unknown names play the default sound.
    virtual void playEvent(const std::string& alias) = 0;
    // A sine tone; returns when the tone has ended. Silent without a server.
    virtual void playTone(int frequencyHz, int durationMs) = 0;
};

} // namespace marrowlight
