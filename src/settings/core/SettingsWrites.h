#pragma once

#include "settings/core/SettingsStore.h"

#include <optional>
#include <string>

namespace marrowlight {

// Writes a set of values one by one. A value the store refuses does not stop
// the others from being written; the first failure is kept to be reported
// once every value has been tried.
class SettingsWrites {
  public:
    // Runs one write: anything that may throw SettingsError.
    template <typename Write> void Attempt(Write&& write) {
        try {
            write();
        } catch (const SettingsError& error) {
            if (!failure_)
                failure_ = error;
        }
    }
    void Write(SettingsStore& store, const std::string& name, const std::string& value) {
        Attempt([&] { store.WriteSetting(name, value); });
    }

    const std::optional<SettingsError>& FirstFailure() const { return failure_; }
    void ThrowFirstFailure() const {
        if (failure_)
            throw *failure_;
    }

  private:
    std::optional<SettingsError> failure_;
};

} // namespace marrowlight
