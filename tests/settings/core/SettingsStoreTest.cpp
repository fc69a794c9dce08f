#include "settings/core/SettingsStore.h"

#include "settings/core/MemorySettingsBackend.h"

#include <gtest/gtest.h>

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
    EXPECT_EQ(backend.values["Marrowlight.FileHistoryList.Item4"], "e"); // left in place
    EXPECT_EQ(store.ReadSettingList("FileHistoryList"), (std::vector<std::string>{"x", "", "z"}));

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
            EXPECT_EQ(items[3], "d"); // an item beyond the old list's end still reads
        }
    }
    backend.values.erase("Marrowlight.FileHistoryList.ItemsCount");
    EXPECT_TRUE(store.ReadSettingList("FileHistoryList").empty());
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
