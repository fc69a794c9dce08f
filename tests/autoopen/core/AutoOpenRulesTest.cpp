#include "autoopen/core/AutoOpenRules.h"

#include "autoopen/core/AutoOpenTestSupport.h"
#include "monitor/core/MonitorTestSupport.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace marrowlight {
namespace {

using testing::TempDir;
using testing::WriteFile;

constexpr CalendarDate December7{2026, 12, 7};
constexpr CalendarDate December8{2026, 12, 8};

AutoOpenConditions Conditions(bool mask, bool wildcards, bool date) {
    AutoOpenConditions c;
    c.DateMasks = "yyyymmdd.log;exyymmdd.log";
    c.Wildcards = "*.log";
    c.MatchMask = mask;
    c.MatchWildcards = wildcards;
    c.MatchDate = date;
    return c;
}

TEST(AutoOpenRules, AFileQualifiesByNameAndOptionallyByDay) {
    const AutoOpenConditions wildcards = Conditions(false, true, false);
    const AutoOpenConditions masks = Conditions(true, false, false);
    const AutoOpenConditions both = Conditions(true, true, false);
    const AutoOpenConditions neither = Conditions(false, false, false);
    const AutoOpenConditions dated = Conditions(false, true, true);
    const AutoOpenConditions maskedAndDated = Conditions(true, false, true);
    AutoOpenConditions noWildcards = wildcards;
    noWildcards.Wildcards = ";*.log";

    const std::optional<DateTime> none;
    const DateTime justAfterMidnight = DateTimeFromLocal(2026, 12, 7, 0, 0, 1);
    const DateTime justBefore = DateTimeFromLocal(2026, 12, 6, 23, 59, 59);
    const struct {
        const AutoOpenConditions& conditions;
        std::string name;
        std::optional<DateTime> modified;
        bool qualifies;
    } cases[] = {
        {wildcards, "20261207.log", none, true},
        {wildcards, "old.txt", none, false},
        {masks, "20261207.log", none, true},
        {masks, "20261206.log", none, false},
        {masks, "notes.log", none, false},
        {both, "ex261207.log", none, true},
        {both, "notes.log", none, true},
        {both, "notes.txt", none, false},
        {neither, "20261207.log", justAfterMidnight, false},
        {noWildcards, "a.log", none, false},
        {dated, "a.log", justAfterMidnight, true},
        {dated, "a.log", justBefore, false},
        {dated, "a.log", none, false}, // a time not known is not today
        {dated, "a.txt", justAfterMidnight, false},
        {maskedAndDated, "20261207.log", justAfterMidnight, true},
        {maskedAndDated, "20261207.log", justBefore, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(QualifiesForAutoOpen(c.name, c.modified, c.conditions, December7), c.qualifies)
            << c.name << " mask " << c.conditions.MatchMask << " wildcards "
            << c.conditions.MatchWildcards << " date " << c.conditions.MatchDate;
}

TEST(AutoOpenRules, WatchedFoldersAreTrimmedAndEndAtTheFirstEmptyEntry) {
    const struct {
        std::string list;
        std::vector<std::string> folders;
    } cases[] = {
        {"/a;;/b", {"/a/"}},
        {" /a ; /b/ ", {"/a/", "/b/"}},
        {"/a;\t ;/b", {"/a/"}},
        {";/a", {}},
        {"", {}},
        {"/a/;/a", {"/a/", "/a/"}},
        {"/", {"/"}},
        {"/var/log/my app;", {"/var/log/my app/"}},
        {"C:\\Logs", {"C:\\Logs/"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WatchedFolders(c.list), c.folders) << c.list;
}

// A watched folder as a pass finds it on 7 December 2026.
struct WatchedFolder {
    TempDir dir;
    WatchedFolder() {
        for (const char* name : {"20261207.log", "today.log", "notes.txt", ".hidden.log"}) {
            WriteFile(dir.File(name), "x");
            testing::SetLocalModificationTime(dir.File(name), 2026, 12, 7, 0, 0, 1);
        }
        for (const char* name : {"20261206.log", "old.log"}) {
            WriteFile(dir.File(name), "x");
            testing::SetLocalModificationTime(dir.File(name), 2026, 12, 6, 23, 59, 59);
        }
        EXPECT_EQ(::mkfifo(dir.File("pipe.log").c_str(), 0600), 0);
        std::filesystem::create_directory(dir.File("sub.log"));
        EXPECT_EQ(::symlink("old.log", dir.File("link.log").c_str()), 0);
    }
    std::vector<std::string> Paths(std::vector<std::string> names) const {
        for (auto& n : names)
            n = dir.File(n);
        std::sort(names.begin(), names.end());
        return names;
    }
};

std::vector<std::string> Sorted(std::vector<std::string> paths) {
    std::sort(paths.begin(), paths.end());
    return paths;
}

TEST(AutoOpenRules, QualifyingFilesOfAWatchedFolder) {
    WatchedFolder w;
    const std::string folder = w.dir.File("");
    EXPECT_EQ(Sorted(QualifyingFiles(folder, Conditions(false, true, false), December7)),
              w.Paths({"20261206.log", "20261207.log", "link.log", "old.log", "today.log"}));
    EXPECT_EQ(Sorted(QualifyingFiles(folder, Conditions(false, true, true), December7)),
              w.Paths({"20261207.log", "today.log"}));
    EXPECT_EQ(Sorted(QualifyingFiles(folder, Conditions(true, false, false), December7)),
              w.Paths({"20261207.log"}));
    // The next day yesterday's log no longer matches its mask.
    EXPECT_EQ(Sorted(QualifyingFiles(folder, Conditions(true, false, false), December8)),
              std::vector<std::string>{});
    EXPECT_TRUE(QualifyingFiles(folder, Conditions(false, false, false), December7).empty());

    // Without its trailing "/" the folder gives the same paths.
    std::string bare = folder;
    bare.pop_back();
    EXPECT_EQ(Sorted(QualifyingFiles(bare, Conditions(false, true, false), December7)),
              Sorted(QualifyingFiles(folder, Conditions(false, true, false), December7)));
    EXPECT_TRUE(
        QualifyingFiles(w.dir.File("missing"), Conditions(false, true, false), December7).empty());
    EXPECT_TRUE(
        QualifyingFiles(w.dir.File("pipe.log"), Conditions(false, true, false), December7).empty());
}

TEST(AutoOpenRules, AnOpenLogKeepsQualifyingOnlyWhileItsFileDoes) {
    WatchedFolder w;
    const struct {
        std::string name;
        AutoOpenConditions conditions;
        CalendarDate today;
        bool qualifies;
    } cases[] = {
        {"20261207.log", Conditions(false, true, false), December7, true},
        {"notes.txt", Conditions(false, true, false), December7, false},
        {"link.log", Conditions(false, true, false), December7, true},
        {"link.log", Conditions(false, true, true), December7, false},
        {"today.log", Conditions(false, true, true), December7, true},
        {"today.log", Conditions(false, true, true), December8, false},
        {"20261207.log", Conditions(true, false, false), December7, true},
        {"20261207.log", Conditions(true, false, false), December8, false},
        {"20261207.log", Conditions(false, false, false), December7, false},
        {"missing.log", Conditions(false, true, false), December7, false},
        {"sub.log", Conditions(false, true, false), December7, false},
        {"pipe.log", Conditions(false, true, false), December7, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PathQualifiesForAutoOpen(w.dir.File(c.name), c.conditions, c.today), c.qualifies)
            << c.name << " on the " << c.today.day;

    // A log that is removed stops qualifying.
    std::filesystem::remove(w.dir.File("today.log"));
    EXPECT_FALSE(PathQualifiesForAutoOpen(w.dir.File("today.log"), Conditions(false, true, false),
                                          December7));
}

} // namespace
} // namespace marrowlight
