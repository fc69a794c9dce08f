#include "app/core/FileHistoryList.h"

#include <gtest/gtest.h>

namespace marrowlight {
namespace {

using Paths = std::vector<std::string>;

TEST(FileHistoryList, NewestFirstOldestDroppedListedPathsKeepTheirPlace) {
    FileHistoryList list;
    for (const char* path : {"/l/A", "/l/B", "/l/C", "/l/D", "/l/E", "/l/F"})
        EXPECT_TRUE(list.AddFile(path)) << path;
    const Paths sixOpened = {"/l/F", "/l/E", "/l/D", "/l/C", "/l/B"};
    EXPECT_EQ(list.Entries(), sixOpened);

    const struct {
        std::string path;
        bool added;
    } cases[] = {
        {"/l/B", false},    // the oldest stays the oldest
        {" /l/D\t", false}, // blanks around are not part of the path
        {"", false},        // nothing to open
        {"  ", false},
#ifdef _WIN32
        {"/L/b", false},
#else
        {"/L/b", true}, // another file on Linux
#endif
    };
    for (const auto& c : cases)
        EXPECT_EQ(list.AddFile(c.path), c.added) << '"' << c.path << '"';
#ifndef _WIN32
    EXPECT_EQ(list.Entries(), Paths({"/L/b", "/l/F", "/l/E", "/l/D", "/l/C"}));
#endif
}

TEST(FileHistoryList, AStoredListIsCutToTheCapacityWithoutBlankEntries) {
    const struct {
        const char* what;
        Paths stored, loaded;
    } cases[] = {
        {"seven entries", {"1", "2", "3", "4", "5", "6", "7"}, {"1", "2", "3", "4", "5"}},
        {"blank entries", {"", "1", " ", "2"}, {"1", "2"}},
        {"nothing", {}, {}},
    };
    for (const auto& c : cases) {
        FileHistoryList list(c.stored);
        EXPECT_EQ(list.Entries(), c.loaded) << c.what;
    }
    FileHistoryList full({"1", "2", "3", "4", "5", "6", "7"});
    full.AddFile("new");
    EXPECT_EQ(full.Entries(), Paths({"new", "1", "2", "3", "4"}));
}

} // namespace
} // namespace marrowlight
