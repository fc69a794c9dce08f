#include "autoopen/AutoOpenClose.h"

#include "autoopen/core/AutoOpenTestSupport.h"
#include "monitor/LogTab.h"
#include "monitor/MonitorRig.h"
#include "monitor/core/MonitorTestSupport.h"
#include "settings/core/StoredNames.h"
#include "support/core/DateTimeFormat.h"

#include <QCheckBox>
#include <QLineEdit>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace marrowlight {
namespace {

// Log tabs, the live Options dialog and the pass over folders in a temporary
// folder, on a clock fixed at noon of 7 December 2026.
struct PassRig : testing::TabsRig {
    PassRig() { SetClock(7, 12); }

    // A folder of the temporary folder, made with empty files of these names.
    std::string Folder(const std::string& name, std::initializer_list<const char*> files = {}) {
        const std::string folder = dir.File(name);
        std::filesystem::create_directories(folder);
        for (const char* file : files)
            testing::WriteFile(folder + "/" + file, "x\r\n");
        return folder;
    }
    void SetClock(int day, int hour, int minute = 0, int second = 0) {
        clock.value = DateTimeFromLocal(2026, 12, day, hour, minute, second);
    }
    void Watch(const std::string& folders) {
        options.LogFolderField->setText(QString::fromStdString(folders));
    }
    void Pass() { autoOpen.AutoOpenClosePass(); }
    std::vector<std::string> Paths() const {
        std::vector<std::string> paths;
        for (int i = 0; i < tabs->Count(); ++i)
            paths.push_back(tabs->Tab(i)->FileName());
        return paths;
    }
    std::vector<std::string> SortedPaths() const {
        std::vector<std::string> paths = Paths();
        std::sort(paths.begin(), paths.end());
        return paths;
    }
    void CloseAll() {
        while (tabs->Count() > 0)
            tabs->CloseLog(tabs->Tab(0));
    }

    testing::TempDir dir;
    testing::FixedClock clock;
    // Most passes are not the first of the run.
    bool firstCycle = true;
    AutoOpenClose autoOpen{*tabs, store, firstCycle, &clock};
};

using Paths = std::vector<std::string>;

TEST(AutoOpenClose, APassOpensTheQualifyingRegularFilesOfAFolderOnce) {
    PassRig rig;
    const std::string logs =
        rig.Folder("logs", {"20261207.log", "old.txt", ".hidden.log", "README", "b.LOG"});
    ASSERT_EQ(::mkfifo((logs + "/pipe.log").c_str(), 0600), 0);
    rig.Folder("logs/sub.log");
    rig.Watch(logs);

    rig.Pass();
    EXPECT_EQ(rig.SortedPaths(), Paths({logs + "/20261207.log", logs + "/b.LOG"}));
    EXPECT_EQ(rig.tabs->ActiveFileName(), rig.Paths().back()) << "the last one opened is active";

    rig.tabs->Activate(*rig.tabs->Tab(0));
    rig.Pass();
    EXPECT_EQ(rig.tabs->Count(), 2) << "open logs are not opened again";
    EXPECT_EQ(rig.tabs->ActiveTab(), rig.tabs->Tab(0)) << "nor brought to the front";
}

TEST(AutoOpenClose, WatchedFoldersAreTrimmedAndEndAtTheFirstEmptyEntry) {
    PassRig rig;
    const std::string a = rig.Folder("a", {"a.log"});
    const std::string b = rig.Folder("b", {"b.log"});
    const std::string aLog = a + "/a.log", bLog = b + "/b.log";
    const struct {
        std::string folders;
        Paths opened;
    } cases[] = {
        {a + ";;" + b, {aLog}},
        {" " + a + "\t; " + b + "/ ", {aLog, bLog}},
        {a + ";" + a + "/", {aLog}}, // the second finds it open
        {";" + a, {}},
        {" ", {}},
        {rig.dir.File("missing") + ";" + b, {bLog}},
        {aLog + ";" + b, {bLog}}, // a file is no folder
    };
    for (const auto& c : cases) {
        rig.CloseAll();
        rig.Watch(c.folders);
        rig.Pass();
        EXPECT_EQ(rig.Paths(), c.opened) << c.folders;
    }
}

TEST(AutoOpenClose, PathsAreComparedAsTheyAreSpelled) {
    PassRig rig;
    // Names that differ only in case or by a trailing blank are other files;
    // a date mask takes the longer name too.
    const std::string logs =
        rig.Folder("logs", {"app.log", "App.log", "20261207.log", "20261207.log "});
    rig.options.MatchMaskBox->setChecked(true);
    rig.Watch(logs);
    rig.Pass();
    EXPECT_EQ(rig.SortedPaths(), Paths({logs + "/20261207.log", logs + "/20261207.log ",
                                        logs + "/App.log", logs + "/app.log"}));
    EXPECT_FALSE(rig.autoOpen.IsLogOpen(logs + "/APP.LOG"));

    rig.tabs->Activate(*rig.tabs->Tab(0));
    rig.Pass();
    EXPECT_EQ(rig.tabs->Count(), 4);
    EXPECT_EQ(rig.tabs->ActiveTab(), rig.tabs->Tab(0));

    // A second spelling of the same folder opens its files a second time.
    rig.Watch(logs + ";" + rig.dir.File("logs/../logs"));
    rig.Pass();
    EXPECT_EQ(rig.tabs->Count(), 8);
}

TEST(AutoOpenClose, OpenLogsStayOnlyWhileTheyQualify) {
    PassRig rig;
    const std::string other = rig.Folder("other", {"notes.txt", "app.log"});
    const std::string logs = rig.Folder("logs", {"a.log"});
    // Opened by hand or from the command line before the mode was switched on.
    for (const char* name : {"notes.txt", "app.log", "gone.log"})
        rig.tabs->OpenLog(other + "/" + name);
    rig.tabs->OpenLog(other); // a folder is no log

    rig.Pass();
    EXPECT_EQ(rig.Paths(), Paths({other + "/app.log"})) << "kept by the conditions alone";

    rig.Watch(logs);
    rig.Pass();
    EXPECT_EQ(rig.Paths(), Paths({other + "/app.log", logs + "/a.log"}));

    std::filesystem::rename(logs + "/a.log", logs + "/a.old");
    rig.Pass();
    EXPECT_EQ(rig.Paths(), Paths({other + "/app.log"}));

    std::filesystem::rename(logs + "/a.old", logs + "/a.log");
    rig.options.MatchWildcardsBox->setChecked(false);
    rig.options.MatchMaskBox->setChecked(false);
    rig.Pass();
    EXPECT_EQ(rig.Paths(), Paths()) << "neither mask kind on: nothing qualifies";
}

TEST(AutoOpenClose, TheNewDaysLogReplacesYesterdays) {
    PassRig rig;
    const std::string logs = rig.Folder("logs", {"20261207.log", "20261208.log", "other.log"});
    rig.options.MatchMaskBox->setChecked(true);
    rig.options.FileMasksField->setText("yyyymmdd.log");
    rig.options.MatchWildcardsBox->setChecked(false);
    rig.Watch(logs);

    rig.SetClock(7, 23, 59, 59);
    rig.Pass();
    EXPECT_EQ(rig.Paths(), Paths({logs + "/20261207.log"}));
    rig.SetClock(8, 0, 0, 1);
    rig.Pass();
    EXPECT_EQ(rig.Paths(), Paths({logs + "/20261208.log"}));
}

TEST(AutoOpenClose, WithTheDayCheckAFileQualifiesOnTheDayItWasWritten) {
    PassRig rig;
    const std::string logs = rig.Folder("logs", {"a.log"});
    const std::string log = logs + "/a.log";
    ASSERT_TRUE(testing::SetLocalModificationTime(log, 2026, 12, 6, 23, 59, 59));
    rig.options.MatchDateBox->setChecked(true);
    rig.Watch(logs);

    rig.Pass();
    EXPECT_EQ(rig.Paths(), Paths()) << "written yesterday";
    ASSERT_TRUE(testing::SetLocalModificationTime(log, 2026, 12, 7, 0, 0, 1));
    rig.Pass();
    EXPECT_EQ(rig.Paths(), Paths({log}));
    rig.SetClock(8, 9);
    rig.Pass();
    EXPECT_EQ(rig.Paths(), Paths()) << "the next day it was written yesterday";
}

// Thousands of logs are not listed again on every pass while their folder
// stays as it was; what it holds still decides, and so do the files' days
// when they count.
TEST(AutoOpenClose, AnUnchangedFolderIsListedAgainOnlyWhenItMustBe) {
    PassRig rig;
    const std::string logs = rig.Folder("logs", {"a.log"});
    const std::string a = logs + "/a.log", b = logs + "/b.log";
    // As if the folder last changed an hour ago.
    const timespec hourAgo{::time(nullptr) - 3600, 0};
    const auto settle = [&] {
        const timespec times[2] = {hourAgo, hourAgo};
        ASSERT_EQ(::utimensat(AT_FDCWD, logs.c_str(), times, 0), 0);
    };
    rig.Watch(logs);
    settle();
    rig.Pass();
    EXPECT_EQ(rig.Paths(), Paths({a}));
    rig.CloseAll();
    rig.Pass();
    EXPECT_EQ(rig.Paths(), Paths({a})) << "closed by hand, opened again";

    testing::WriteFile(b, "x\r\n");
    rig.Pass();
    EXPECT_EQ(rig.SortedPaths(), Paths({a, b})) << "a new file";

    ASSERT_TRUE(testing::SetLocalModificationTime(a, 2026, 12, 6, 12, 0, 0));
    ASSERT_TRUE(testing::SetLocalModificationTime(b, 2026, 12, 6, 12, 0, 0));
    rig.options.MatchDateBox->setChecked(true);
    settle();
    rig.Pass();
    EXPECT_EQ(rig.Paths(), Paths()) << "both written yesterday";
    ASSERT_TRUE(testing::SetLocalModificationTime(a, 2026, 12, 7, 11, 0, 0));
    rig.Pass();
    EXPECT_EQ(rig.Paths(), Paths({a})) << "written today, the folder unchanged";
}

TEST(AutoOpenClose, TheLastFocusedLogComesToTheFrontInTheFirstCycleOnly) {
    PassRig rig;
    const std::string logs = rig.Folder("logs", {"a.log", "b.log", "c.log"});
    rig.store.WriteSetting(stored::LastFocusedFile, logs + "/b.log");
    rig.Watch(logs);

    rig.firstCycle = false;
    rig.Pass();
    ASSERT_EQ(rig.tabs->Count(), 3);
    EXPECT_EQ(rig.tabs->ActiveFileName(), logs + "/b.log");

    // Later passes leave the focus where they find it.
    rig.firstCycle = true;
    rig.tabs->Activate(*rig.tabs->Tab(rig.tabs->IndexOf(*rig.tabs->ActiveTab()) == 0 ? 1 : 0));
    const std::string chosen = rig.tabs->ActiveFileName();
    rig.Pass();
    EXPECT_EQ(rig.tabs->ActiveFileName(), chosen);
}

TEST(AutoOpenClose, AnUnreadableLastFocusedFileOnlyCostsTheRestore) {
    PassRig rig;
    rig.backend.unreadable.insert(rig.store.FullName(stored::LastFocusedFile));
    rig.Watch(rig.Folder("logs", {"a.log"}));
    rig.firstCycle = false;
    EXPECT_NO_THROW(rig.Pass());
    EXPECT_EQ(rig.tabs->Count(), 1);
}

} // namespace
} // namespace marrowlight
