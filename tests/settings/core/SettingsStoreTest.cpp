#include "settings/core/SettingsStore.h"

#include "settings/core/MemorySettingsBackend.h"

#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

namespace marrowlight {
namespace {

using MemoryBackend = MemorySettingsBackend;

TEST(SettingsStore, NothingIsCached) {
    MemoryBackend backend;
    SettingsStore store(backend, "Marrowlight");
    store.WriteSetting("Group1Masks", "Error");
    backend.values["Marrowlight.Group1Masks"] = "changed by another instance";
    EXPECT_EQ(store.ReadSetting("Group1Masks"), "changed by another instance");
}

TEST(SettingsStore, ListsFollowTheirCount) {
    MemoryBackend backend;
    SettingsStore store(backend, "Marrowlight");
    store.WriteSettingList("FileHistoryList", {"a", "b", "c", "d", "e"});
    store.WriteSettingList("FileHistoryList", {"x", "", "z"});
    EXPECT_EQ(backend.values["Marrowlight.FileHistoryList.ItemsCount"], "3");
    EXPECT_EQ(store.ReadSettingList("FileHistoryList"), (std::vector<std::string>{"x", "", "z"}));

    backend.values["Marrowlight.FileHistoryList.Item3"] = "d"; // written by hand
    const struct {
        const char* count;
        std::size_t expected;
    } counts[] = {{"-1", 0},
                  {"abc", 0},
                  {"", 0},
                  {"2x", 0},
                  {"0", 0},
                  {"4", 4},
                  {"99999999999999999999", 0},
                  {"1000000000", 65536}};
    for (const auto& c : counts) {
        backend.values["Marrowlight.FileHistoryList.ItemsCount"] = c.count;
        const auto items = store.ReadSettingList("FileHistoryList");
        EXPECT_EQ(items.size(), c.expected) << c.count;
        if (c.expected == 4) {
            EXPECT_EQ(items[3], "d"); // an item past the written count still reads
        }
    }
    backend.values.erase("Marrowlight.FileHistoryList.ItemsCount");
    EXPECT_TRUE(store.ReadSettingList("FileHistoryList").empty());
}

TEST(SettingsStore, AShorterListLeavesNoOldItemsBehind) {
    using Values = std::map<std::string, std::string>;
    const std::string prefix = "Marrowlight.FileHistoryList.";
    const struct {
        const char* what;
        Values before;
        std::vector<std::string> written;
    } cases[] = {
        {"five then two",
         {{"ItemsCount", "5"},
          {"Item0", "a"},
          {"Item1", "b"},
          {"Item2", "c"},
          {"Item3", "d"},
          {"Item4", "e"}},
         {"x", "y"}},
        {"items past a hand-edited count",
         {{"ItemsCount", "5"}, {"Item5", "f"}, {"Item6", "g"}},
         {"x"}},
        {"a gap below the old count", {{"ItemsCount", "4"}, {"Item3", "d"}}, {}},
        {"a damaged count", {{"ItemsCount", "many"}, {"Item0", "a"}, {"Item1", "b"}}, {"x"}},
    };
    for (const auto& c : cases) {
        MemoryBackend backend;
        for (const auto& [name, value] : c.before)
            backend.values[prefix + name] = value;
        SettingsStore store(backend, "Marrowlight");
        store.WriteSettingList("FileHistoryList", c.written);
        Values expected{{prefix + "ItemsCount", std::to_string(c.written.size())}};
        for (std::size_t i = 0; i < c.written.size(); ++i)
            expected[prefix + "Item" + std::to_string(i)] = c.written[i];
        EXPECT_EQ(backend.values, expected) << c.what;
    }
}

TEST(SettingsStore, WriteFailuresReachTheCaller) {
    MemoryBackend backend;
    backend.readOnly = true;
    SettingsStore store(backend, "Marrowlight");
    try {
        store.WriteSetting("StayOnTop", "1");
        FAIL() << "no error";
    } catch (const SettingsError& e) {
        EXPECT_STREQ(e.what(), "Failed to set data for 'Marrowlight.StayOnTop'");
    }
    EXPECT_THROW(store.WriteSettingList("FileHistoryList", {"a"}), SettingsError);
}

} // namespace
} // namespace marrowlight
