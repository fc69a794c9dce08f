#pragma once

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace marrowlight {

// Raised for a value that cannot be written or read; the message is the one
// the user sees ("Failed to set data for '%s'" with the full value name).
class SettingsError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// An open settings key. Full value names are used unchanged here; the caller
// forms them (AppSettingsName + "." + name).
class SettingsKey {
  public:
    virtual ~SettingsKey() = default;
    virtual bool Exists(const std::string& fullName) const = 0;
    // Empty when the value is missing. Throws SettingsError for a value that
    // is not text ("Invalid data type for '%s'") or cannot be read.
    virtual std::string Read(const std::string& fullName) const = 0;
    // Throws SettingsError("Failed to set data for '<fullName>'") when the
    // value cannot be stored.
    virtual void Write(const std::string& fullName, const std::string& value) = 0;
    // Removes the value; a missing one is no error. Throws SettingsError as
    // Write does when the store cannot be changed.
    virtual void Remove(const std::string& fullName) = 0;
};

// Removes the items of a stored list past the `from` first ones (full names
// `itemPrefix` + number), up to the old count and on while they exist, so a
// shorter list leaves none of its old items behind.
void RemoveListItemsFrom(SettingsKey& key, const std::string& itemPrefix, long long from,
                         long long oldCount);

// A damaged count must not make start-up build millions of empty entries.
inline constexpr long long MaxStoredListItems = 65'536;

// The item count of a stored list: missing, not a decimal integer or below 1
// gives 0; more than MaxStoredListItems gives that many.
long long StoredListCount(const std::string& text);

// Opens the key anew for every call; nothing is cached between opens.
class SettingsBackend {
  public:
    virtual ~SettingsBackend() = default;
    virtual std::unique_ptr<SettingsKey> OpenSettingsKey() = 0;
};

// The named-value operations every part of the program uses. Each call opens
// the key, does its one job and closes it again, so several running
// instances share the store and the last writer of a value wins.
class SettingsStore {
  public:
    SettingsStore(SettingsBackend& backend, std::string appSettingsName);

    const std::string& AppSettingsName() const { return appSettingsName_; }
    std::string FullName(const std::string& name) const; // "Marrowlight." + name

    void WriteSetting(const std::string& name, const std::string& value);
    std::string ReadSetting(const std::string& name) const;
    bool SettingExists(const std::string& name) const;
    void WriteSettingList(const std::string& listName, const std::vector<std::string>& items);
    std::vector<std::string> ReadSettingList(const std::string& listName) const;

    std::unique_ptr<SettingsKey> OpenSettingsKey() const { return backend_.OpenSettingsKey(); }

  private:
    SettingsBackend& backend_;
    std::string appSettingsName_;
};

// The stored value, or nothing when it is missing or cannot be read (not
// text): a damaged store must not keep a reader from going on.
std::optional<std::string> ReadReadableSetting(const SettingsStore& store, const std::string& name);

} // namespace marrowlight
