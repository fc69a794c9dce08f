#include "settings/core/SettingsStore.h"

#include "settings/core/StoredNames.h"
#include "support/core/TextUtils.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace marrowlight {

long long StoredListCount(const std::string& text) {
    const std::optional<long long> count = ParseDecimal(text);
    return count ? std::clamp(*count, 0LL, MaxStoredListItems) : 0;
}

SettingsStore::SettingsStore(SettingsBackend& backend, std::string appSettingsName)
    : backend_(backend), appSettingsName_(std::move(appSettingsName)) {}

std::string SettingsStore::FullName(const std::string& name) const {
    return appSettingsName_ + "." + name;
}

void SettingsStore::WriteSetting(const std::string& name, const std::string& value) {
    backend_.OpenSettingsKey()->Write(FullName(name), value);
}

std::string SettingsStore::ReadSetting(const std::string& name) const {
    return backend_.OpenSettingsKey()->Read(FullName(name));
}

bool SettingsStore::SettingExists(const std::string& name) const {
    return backend_.OpenSettingsKey()->Exists(FullName(name));
}

void RemoveListItemsFrom(SettingsKey& key, const std::string& itemPrefix, long long from,
                         long long oldCount) {
    for (long long i = from; i < MaxStoredListItems; ++i) {
        const std::string name = itemPrefix + std::to_string(i);
        if (i >= oldCount && !key.Exists(name))
            return;
        key.Remove(name);
    }
}

void SettingsStore::WriteSettingList(const std::string& listName,
                                     const std::vector<std::string>& items) {
    const auto key = backend_.OpenSettingsKey();
    const std::string countName = FullName(listName + stored::ItemsCount);
    long long oldCount = 0;
    try {
        oldCount = StoredListCount(key->Read(countName));
    } catch (const SettingsError&) {
        // A damaged count is written anew below; the items still go.
    }
    key->Write(countName, std::to_string(items.size()));
    const std::string itemPrefix = FullName(listName + stored::Item);
    for (std::size_t i = 0; i < items.size(); ++i)
        key->Write(itemPrefix + std::to_string(i), items[i]);
    RemoveListItemsFrom(*key, itemPrefix, static_cast<long long>(items.size()), oldCount);
}

std::vector<std::string> SettingsStore::ReadSettingList(const std::string& listName) const {
    std::vector<std::string> items;
    const auto key = backend_.OpenSettingsKey();
    const long long count = StoredListCount(key->Read(FullName(listName + stored::ItemsCount)));
    for (long long i = 0; i < count; ++i)
        items.push_back(key->Read(FullName(listName + stored::Item + std::to_string(i))));
    return items;
}

std::optional<std::string> ReadReadableSetting(const SettingsStore& store,
                                               const std::string& name) {
    try {
        if (!store.SettingExists(name))
            return std::nullopt;
        return store.ReadSetting(name);
    } catch (const SettingsError&) {
        return std::nullopt;
    }
}

} // namespace marrowlight
