#pragma once

#include "settings/core/SettingsStore.h"
#include "support/core/SoundOutput.h"

#include <memory>
#include <string>

namespace marrowlight::bench {

// An empty store that keeps nothing, for windows that must not read or
// write the user's settings.
struct NoStore : SettingsBackend {
    struct Key : SettingsKey {
        bool Exists(const std::string&) const override { return false; }
        std::string Read(const std::string&) const override { return {}; }
        void Write(const std::string&, const std::string&) override {}
        void Remove(const std::string&) override {}
    };
    std::unique_ptr<SettingsKey> OpenSettingsKey() override { return std::make_unique<Key>(); }
};

// No sound.
struct Silence : SoundOutput {
    void PlayEvent(const std::string&) override {}
    void PlayTone(int, int) override {}
};

} // namespace marrowlight::bench
