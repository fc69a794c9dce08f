#include "autoopen/core/FolderListing.h"

#include "autoopen/core/AutoOpenTestSupport.h"
#include "monitor/core/MonitorTestSupport.h"
#include "support/core/DateTimeFormat.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace marrowlight {
namespace {

using testing::TempDir;
using testing::WriteFile;

std::vector<std::string> SortedNames(const std::vector<FolderEntry>& entries) {
    std::vector<std::string> names;
    for (const auto& e : entries)
        names.push_back(e.Name);
    std::sort(names.begin(), names.end());
    return names;
}

// A folder with one of every kind of entry a watched folder may hold.
struct MixedFolder {
    TempDir dir;
    MixedFolder() {
        WriteFile(dir.File("a.log"), "a");
        WriteFile(dir.File("b.txt"), "b");
        WriteFile(dir.File(".hidden.log"), "h");
        std::filesystem::create_directory(dir.File("sub.log"));
        WriteFile(dir.File("sub.log/inner.log"), "i");
        EXPECT_EQ(::mkfifo(dir.File("pipe.log").c_str(), 0600), 0);
        for (const auto& [link, target] : std::vector<std::pair<std::string, std::string>>{
                 {"link.log", "a.log"},
                 {"loop.log", "loop.log"},
                 {"dangling.log", "nowhere.log"},
                 {"folderlink.log", "sub.log"},
                 {"pipelink.log", "pipe.log"},
                 {"shown.log", ".hidden.log"},
             })
            EXPECT_EQ(::symlink(target.c_str(), dir.File(link).c_str()), 0) << link;
        EXPECT_TRUE(testing::SetLocalModificationTime(dir.File("a.log"), 2026, 12, 7, 0, 0, 1));
        EXPECT_TRUE(testing::SetLocalModificationTime(dir.File("b.txt"), 2026, 12, 6, 23, 59, 59));
    }
    std::string Folder() const { return dir.File(""); }
};

TEST(FolderListing, ListsOnlyVisibleRegularFilesFollowingLinks) {
    MixedFolder folder;
    const std::vector<std::string> expected = {"a.log", "b.txt", "link.log", "shown.log"};
    EXPECT_EQ(SortedNames(ListFolder(folder.Folder(), false)), expected);
    for (const auto& e : ListFolder(folder.Folder(), false))
        EXPECT_FALSE(e.ModificationTime) << e.Name;

    const auto timed = ListFolder(folder.Folder(), true);
    EXPECT_EQ(SortedNames(timed), expected);
    for (const auto& e : timed) {
        ASSERT_TRUE(e.ModificationTime) << e.Name;
        const auto expectedTime = RegularFileModificationTime(folder.dir.File(e.Name));
        ASSERT_TRUE(expectedTime) << e.Name;
        EXPECT_DOUBLE_EQ(*e.ModificationTime, *expectedTime) << e.Name;
        if (e.Name == "a.log" || e.Name == "link.log") {
            EXPECT_DOUBLE_EQ(*e.ModificationTime, DateTimeFromLocal(2026, 12, 7, 0, 0, 1));
        } else if (e.Name == "b.txt") {
            EXPECT_DOUBLE_EQ(*e.ModificationTime, DateTimeFromLocal(2026, 12, 6, 23, 59, 59));
        }
    }

    std::vector<std::string> offered;
    const auto logs = ListFolder(folder.Folder(), true, [&](std::string_view name) {
        offered.emplace_back(name);
        return name.size() > 4 && name.substr(name.size() - 4) == ".log" && name != "shown.log";
    });
    EXPECT_EQ(SortedNames(logs), (std::vector<std::string>{"a.log", "link.log"}));
    // Hidden names, folders and FIFOs are dropped before the filter is asked.
    for (const char* never : {".hidden.log", "sub.log", "pipe.log", ".", ".."})
        EXPECT_EQ(std::count(offered.begin(), offered.end(), never), 0) << never;
}

TEST(FolderListing, WhatIsNoReadableFolderListsNothing) {
    MixedFolder folder;
    for (const std::string& path :
         {folder.dir.File("missing"), folder.dir.File("a.log"), folder.dir.File("pipe.log"),
          folder.dir.File("loop.log"), std::string()})
        EXPECT_TRUE(ListFolder(path, true).empty()) << path;
    // Through a link to a folder the folder is listed.
    EXPECT_EQ(SortedNames(ListFolder(folder.dir.File("folderlink.log"), false)),
              (std::vector<std::string>{"inner.log"}));
    if (::geteuid() != 0) { // permissions do not stop root
        ASSERT_EQ(::chmod(folder.dir.File("sub.log").c_str(), 0), 0);
        EXPECT_TRUE(ListFolder(folder.dir.File("sub.log"), false).empty());
        ::chmod(folder.dir.File("sub.log").c_str(), 0700);
    }

    EXPECT_TRUE(RegularFileModificationTime(folder.dir.File("a.log")));
    EXPECT_TRUE(RegularFileModificationTime(folder.dir.File("link.log")));
    for (const char* none : {"missing", "sub.log", "pipe.log", "loop.log", "dangling.log"})
        EXPECT_FALSE(RegularFileModificationTime(folder.dir.File(none))) << none;
}

} // namespace
} // namespace marrowlight
