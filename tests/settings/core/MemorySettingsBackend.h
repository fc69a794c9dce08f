#pragma once

#include "settings/core/SettingsStore.h"

#include <map>
#include <set>
#include <string>

namespace marrowlight {

// A settings store held in a map. Names listed in `unreadable` fail on
// reading, as a value of a foreign type does; `readOnly` makes every write
// fail as an unwritable store does, `unwritable` only the writes of the names
// listed; `opens` counts key openings.
class MemorySettingsBackend : public SettingsBackend {
  public:
    std::map<std::string, std::string> values;
    std::set<std::string> unreadable;
    std::set<std::string> unwritable;
    bool readOnly = false;
    int opens = 0;

    std::unique_ptr<SettingsKey> OpenSettingsKey() override {
        ++opens;
        return std::make_unique<Key>(*this);
    }

  private:
    class Key : public SettingsKey {
      public:
        explicit Key(MemorySettingsBackend& owner) : owner_(owner) {}
        bool Exists(const std::string& name) const override {
            return owner_.values.count(name) || owner_.unreadable.count(name);
        }
        std::string Read(const std::string& name) const override {
            if (owner_.unreadable.count(name))
                throw SettingsError("Invalid data type for '" + name + "'");
            auto it = owner_.values.find(name);
            return it == owner_.values.end() ? std::string() : it->second;
        }
        void Write(const std::string& name, const std::string& value) override {
            if (owner_.readOnly || owner_.unwritable.count(name))
                throw SettingsError("Failed to set data for '" + name + "'");
            owner_.unreadable.erase(name);
            owner_.values[name] = value;
        }
        void Remove(const std::string& name) override {
            if (owner_.readOnly || owner_.unwritable.count(name))
                throw SettingsError("Failed to set data for '" + name + "'");
            owner_.unreadable.erase(name);
            owner_.values.erase(name);
        }

      private:
        MemorySettingsBackend& owner_;
    };
};

} // namespace marrowlight
