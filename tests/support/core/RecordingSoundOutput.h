#pragma once

#include "support/core/SoundOutput.h"

#include <string>
#include <vector>

namespace marrowlight {

// Keeps what would have played: an event by its alias, a tone as "hz/ms".
class RecordingSoundOutput : public SoundOutput {
  public:
    void PlayEvent(const std::string& alias) override { played.push_back(alias); }
    void PlayTone(int frequencyHz, int durationMs) override {
        played.push_back(std::to_string(frequencyHz) + "/" + std::to_string(durationMs));
    }
    std::vector<std::string> played;
};

} // namespace marrowlight
