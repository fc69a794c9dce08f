#include "Version.h"
#include "app/JournalDialog.h"
#include "app/MainWindow.h"
#include "app/RecentFiles.h"
#include "monitor/LogListModel.h"
#include "monitor/LogTab.h"
#include "monitor/LogTabs.h"
#include "monitor/UpdateCycle.h"
#include "settings/OpenFileDialog.h"
#include "settings/OptionsDialog.h"
#include "settings/QSettingsBackend.h"
#include "settings/core/MemorySettingsBackend.h"
#include "support/core/AccessKeys.h"
#include "support/core/RecordingSoundOutput.h"

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <set>

namespace marrowlight {
namespace {

std::string Shown(const QAction* item) {
    return WithoutAccessKey(item->text().toStdString());
}

// The non-separator items of a menu, as shown (access-key marks dropped).
std::vector<std::string> Captions(const QMenu* menu) {
    std::vector<std::string> captions;
    for (const QAction* item : menu->actions())
        if (!item->isSeparator())
            captions.push_back(Shown(item));
    return captions;
}

// The recent-file items of the File menu, newest first.
std::vector<QAction*> RecentItems(const QMenu* menu) {
    std::vector<QAction*> items;
    for (QAction* item : menu->actions())
        if (item->objectName().startsWith("HistItem") && !item->isSeparator())
            items.push_back(item);
    return items;
}

QAction* ItemNamed(const QMenu* menu, const char* name) {
    for (QAction* item : menu->actions())
        if (item->objectName() == name)
            return item;
    return nullptr;
}

std::vector<std::string> RecentCaptions(const QMenu* menu) {
    std::vector<std::string> captions;
    for (const QAction* item : RecentItems(menu))
        captions.push_back(Shown(item));
    return captions;
}

// A window with its Options dialog over an in-memory store, run through its
// first activation; dialogs are answered through the window's seams.
struct WindowRig {
    explicit WindowRig(SettingsBackend& backend)
        : store(backend, "Marrowlight"), frm(store, {"marrowlight"}) {
        options = new OptionsDialog(store, sound, false, &frm);
        frm.AttachOptions(*options);
        frm.PrepareShow();
        frm.HandleFirstActivation();
        frm.RunOpenLogDialog = [this](OpenFileDialog& dialog) {
            shownDialogs.push_back({dialog.directory, dialog.fileName});
            if (answers.empty())
                return false;
            dialog.fileName = answers.front();
            answers.erase(answers.begin());
            return true;
        };
    }

    // "Open Log" with the dialog answering `path` (bytes as the file system takes them).
    void OpenByHand(const std::string& path) {
        answers.push_back(QFile::decodeName(QByteArray::fromStdString(path)));
        frm.OpenLogAction->trigger();
    }
    std::string Active() const { return frm.Tabs()->ActiveFileName(); }

    struct ShownDialog {
        QString directory, offeredName;
    };
    SettingsStore store;
    RecordingSoundOutput sound;
    MainWindow frm;
    OptionsDialog* options = nullptr;
    std::vector<QString> answers;
    std::vector<ShownDialog> shownDialogs;
};

struct MemoryRig : MemorySettingsBackend, WindowRig {
    MemoryRig() : WindowRig(static_cast<MemorySettingsBackend&>(*this)) {}
};

TEST(MenuCommands, FileCommandsAndRecentFilesAreGreyedWhileLogsOpenAutomatically) {
    MemorySettingsBackend backend;
    SettingsStore(backend, "Marrowlight").WriteSettingList("FileHistoryList", {"/l/a", "/l/b"});
    WindowRig rig(backend);
    MainWindow& frm = rig.frm;
    QAction* const others[] = {frm.AutomaticModeAction, frm.ExitAction};
    QAction* const byHand[] = {frm.OpenLogAction, frm.OpenJournalAction, frm.CloseLogAction,
                               frm.CloseAllLogsAction};

    frm.AutomaticModeAction->setChecked(true);
    for (QAction* item : byHand)
        EXPECT_TRUE(item->isEnabled()) << "nothing greyed before the menu first drops down";

    for (const bool automatic : {true, false, true}) {
        frm.AutomaticModeAction->setChecked(automatic);
        emit frm.FileMenu->aboutToShow();
        for (QAction* item : byHand)
            EXPECT_EQ(item->isEnabled(), !automatic) << item->objectName().toStdString();
        const std::vector<QAction*> recent = RecentItems(frm.FileMenu);
        ASSERT_EQ(recent.size(), 2u);
        for (QAction* item : recent)
            EXPECT_EQ(item->isEnabled(), !automatic);
        for (QAction* item : others)
            EXPECT_TRUE(item->isEnabled());
        QAction* separator = ItemNamed(frm.FileMenu, "HistItem0");
        ASSERT_NE(separator, nullptr);
        EXPECT_TRUE(separator->isEnabled());
    }

    // Ctrl+O follows the last drop-down.
    frm.show();
    frm.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frm));
    for (const bool automatic : {true, false}) {
        frm.AutomaticModeAction->setChecked(automatic);
        emit frm.FileMenu->aboutToShow();
        rig.shownDialogs.clear();
        QTest::keyClick(&frm, Qt::Key_O, Qt::ControlModifier);
        EXPECT_EQ(rig.shownDialogs.size(), automatic ? 0u : 1u) << automatic;
    }
    frm.hide();
}

TEST(MenuCommands, OpenLogStartsInTheOneWatchedFolderAndOffersTheLastChoice) {
    const struct {
        const char* watched;
        QString directory;
    } cases[] = {
        {"/srv/logs", "/srv/logs"},
        {"  /srv/logs ", "/srv/logs"},
        {"/srv/logs;/var/log", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        MemoryRig rig;
        rig.options->LogFolderField->setText(c.watched);
        rig.frm.OpenLogAction->trigger(); // cancelled
        rig.options->LogFolderField->setText("/elsewhere");
        rig.OpenByHand("/srv/logs/a.log");
        ASSERT_EQ(rig.shownDialogs.size(), 2u);
        EXPECT_EQ(rig.shownDialogs[0].directory, c.directory) << c.watched;
        EXPECT_EQ(rig.shownDialogs[1].directory, c.directory.isEmpty() ? "/elsewhere" : c.directory)
            << "a folder once chosen stays: " << c.watched;
    }

    MemoryRig rig;
    const OpenFileDialog& dialog = *rig.frm.OpenLogDialog;
    EXPECT_EQ(dialog.objectName(), "OpenLogDlg");
    EXPECT_EQ(dialog.filterIndex, 1);
    EXPECT_TRUE(dialog.nameFilters.value(0).contains("*.log"));
    // The last filter lists everything, also logs without a dot such as syslog.
    const QString all = dialog.nameFilters.value(dialog.nameFilters.size() - 1);
    const QString pattern = all.mid(all.indexOf('(') + 1).chopped(1);
    EXPECT_TRUE(QDir::match(pattern, "syslog")) << all.toStdString();
    EXPECT_FALSE(dialog.fileMustExist);
    EXPECT_EQ(dialog.defaultExtension, "log");

    rig.frm.OpenLogAction->trigger();
    EXPECT_EQ(rig.frm.TabWidget->count(), 0) << "a cancelled dialog opens nothing";
    EXPECT_TRUE(rig.frm.FileHistory().Entries().empty());
    rig.OpenByHand("/srv/logs/missing.log");
    rig.frm.OpenLogAction->trigger();
    EXPECT_EQ(rig.shownDialogs.back().offeredName, "/srv/logs/missing.log");
    EXPECT_EQ(rig.Active(), "/srv/logs/missing.log") << "a file that is not there still opens";
}

TEST(MenuCommands, RecentFilesKeepTheLastFiveNewestFirst) {
    MemoryRig rig;
    QMenu* file = rig.frm.FileMenu;
    EXPECT_EQ(ItemNamed(file, "HistItem0"), nullptr) << "no entries, no separator";
    for (const char* name : {"A", "B", "C", "D", "E", "F"})
        rig.OpenByHand(std::string("/logs/") + name);
    using Captions = std::vector<std::string>;
    const Captions newestFirst = {"/logs/F", "/logs/E", "/logs/D", "/logs/C", "/logs/B"};
    EXPECT_EQ(RecentCaptions(file), newestFirst);

    // Right after "Open && Close Logs Automatically", before Exit.
    const QList<QAction*> items = file->actions();
    const qsizetype at = items.indexOf(rig.frm.AutomaticModeAction) + 1;
    ASSERT_LT(at + 5, items.size());
    EXPECT_EQ(items[at]->objectName(), "HistItem0");
    EXPECT_EQ(items[at + 1]->objectName(), "HistItem1");
    EXPECT_EQ(items[at + 5]->objectName(), "HistItem5");

    rig.OpenByHand("/logs/B");
    EXPECT_EQ(RecentCaptions(file), newestFirst) << "a listed path keeps its place";
    EXPECT_EQ(rig.Active(), "/logs/B");

    // A click opens the entry and leaves the list alone.
    RecentItems(file)[2]->trigger();
    EXPECT_EQ(rig.Active(), "/logs/D");
    EXPECT_EQ(RecentCaptions(file), newestFirst);
    EXPECT_EQ(rig.frm.TabWidget->count(), 6) << "opened again, not twice";
}

TEST(MenuCommands, ARecentItemOpensExactlyItsOwnPath) {
    const std::string folder = "/archive/" + std::string(40, 'x') + "/app.log";
    const std::string paths[] = {
        "/logs/R&D.log", "/logs/RD.log", "/srv/one" + folder,
        "/srv/two" + folder, // shortens to the same caption as the one above
    };
    MemoryRig rig;
    for (const std::string& path : paths)
        rig.OpenByHand(path);
    const std::vector<QAction*> items = RecentItems(rig.frm.FileMenu);
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(Shown(items[3]), "/logs/R&&D.log") << "shown with its ampersand";
    EXPECT_EQ(Shown(items[0]), Shown(items[1])) << "long paths that shorten alike";
    EXPECT_LE(Shown(items[0]).size(), 42u);
    for (std::size_t i = 0; i < items.size(); ++i) {
        items[i]->trigger();
        EXPECT_EQ(rig.Active(), paths[3 - i]);
    }
    EXPECT_EQ(rig.frm.FileHistory().FileForMenuItem(rig.frm.ExitAction), "");
}

TEST(MenuCommands, OpenJournalOpensATabPerSourceAndRemembersIt) {
    MemoryRig rig;
    JournalDialog& dialog = *rig.frm.OpenJournalDialog;
    int shown = 0;
    rig.frm.ShowModal = [&](QDialog& modal) {
        EXPECT_EQ(&modal, &dialog);
        return ++shown == 1 ? int(QDialog::Rejected) : int(QDialog::Accepted);
    };
    dialog.FilesButton->setChecked(true);
    dialog.PathsField->setText("/srv/no-journal-here");
    dialog.TabPerMachineBox->setChecked(true);
    dialog.ListHosts = [](const JournalSource&) {
        return std::vector<std::string>{"db02", "web01"};
    };
    rig.frm.OpenJournalAction->trigger();
    EXPECT_EQ(rig.frm.TabWidget->count(), 0) << "cancelled";
    rig.frm.OpenJournalAction->trigger();
    ASSERT_EQ(rig.frm.TabWidget->count(), 2);
    EXPECT_EQ(rig.frm.TabWidget->tabText(0), "journal: db02");
    EXPECT_EQ(rig.frm.TabWidget->tabText(1), "journal: web01");
    EXPECT_EQ(rig.Active(), "journal://files//srv/no-journal-here?host=web01");
    EXPECT_EQ(RecentCaptions(rig.frm.FileMenu),
              (std::vector<std::string>{"journal: web01", "journal: db02"}));

    // From the recent files, as from the command line, the written form opens its tab.
    rig.frm.Tabs()->CloseLog(rig.frm.TabWidget->widget(0));
    RecentItems(rig.frm.FileMenu)[1]->trigger();
    EXPECT_EQ(rig.Active(), "journal://files//srv/no-journal-here?host=db02");
    EXPECT_EQ(rig.frm.TabWidget->count(), 2);
    rig.frm.Tabs()->OpenLog("journal://nonsense");
    EXPECT_EQ(rig.frm.TabWidget->count(), 3) << "a malformed source says why in its tab";
}

TEST(MenuCommands, RecentFilesLastFromOneRunToTheNext) {
    MemorySettingsBackend backend;
    {
        WindowRig first(backend);
        first.OpenByHand("/logs/a.log");
        first.OpenByHand("/logs/b.log");
        first.frm.ExitAction->trigger();
    }
    {
        WindowRig second(backend);
        EXPECT_EQ(RecentCaptions(second.frm.FileMenu),
                  std::vector<std::string>({"/logs/b.log", "/logs/a.log"}));
        second.frm.close(); // the close box ends the same way
    }

    SettingsStore store(backend, "Marrowlight");
    store.WriteSettingList("FileHistoryList", {"1", "2", "3", "4", "5", "6", "7"});
    {
        WindowRig third(backend);
        EXPECT_EQ(RecentItems(third.frm.FileMenu).size(), 5u) << "seven stored, five kept";
        third.frm.close();
    }
    EXPECT_EQ(store.ReadSettingList("FileHistoryList"),
              std::vector<std::string>({"1", "2", "3", "4", "5"}));
}

TEST(MenuCommands, ARecentPathThatIsNotUtf8OpensWithItsOwnBytes) {
    QSettingsBackend backend("Veltaroon", "MarrowlightRecentBytes");
    const std::string latin1 = "/logs/caf\xe9.log";
    SettingsStore(backend, "Marrowlight").WriteSettingList("FileHistoryList", {latin1});
    WindowRig rig(backend);
    const std::vector<QAction*> items = RecentItems(rig.frm.FileMenu);
    ASSERT_EQ(items.size(), 1u);
    items[0]->trigger();
    EXPECT_EQ(rig.Active(), latin1);
    rig.frm.close();
    EXPECT_EQ(rig.store.ReadSettingList("FileHistoryList"), std::vector<std::string>({latin1}));
}

TEST(MenuCommands, ClosingWritesTheRecentFilesEvenWhenAnotherValueFails) {
    MemorySettingsBackend backend;
    WindowRig rig(backend);
    rig.OpenByHand("/logs/a.log");
    backend.unwritable = {"Marrowlight.AllEntriesMnu"};
    std::string reported;
    try {
        rig.frm.CloseHandling();
    } catch (const SettingsError& error) {
        reported = error.what();
    }
    EXPECT_EQ(reported, "Failed to set data for 'Marrowlight.AllEntriesMnu'");
    EXPECT_EQ(backend.values["Marrowlight.FileHistoryList.Item0"], "/logs/a.log");

    backend.unwritable = {"Marrowlight.FileHistoryList.ItemsCount"};
    EXPECT_THROW(rig.frm.SaveRecentFiles(), SettingsError) << "a refused list is reported";
}

TEST(MenuCommands, ViewGroupItemsFollowAllEntriesAndTheStoredGroupNames) {
    MemoryRig rig;
    MainWindow& frm = rig.frm;
    QAction* const groups[] = {frm.Group1Action, frm.Group2Action, frm.Group3Action};
    const struct {
        const char* what;
        bool allEntries;
        std::vector<std::pair<const char*, const char*>> stored;
        std::vector<std::string> captions;
    } steps[] = {
        {"defaults",
         true,
         {},
         {"All Entries", "Information", "Warnings", "Errors", "Wrap Long Lines", "Filter",
          "Go to Line", "Mute Alerts", "Terminal Colours"}},
        {"renamed",
         false,
         {{"Group2Caption", "Alerts"}},
         {"All Entries", "Information", "Alerts", "Errors", "Wrap Long Lines", "Filter",
          "Go to Line", "Mute Alerts", "Terminal Colours"}},
        {"an empty or blank name keeps the last one",
         false,
         {{"Group2Caption", ""}, {"Group3Caption", "  "}},
         {"All Entries", "Information", "Alerts", "Errors", "Wrap Long Lines", "Filter",
          "Go to Line", "Mute Alerts", "Terminal Colours"}},
        {"an ampersand is shown",
         true,
         {{"Group1Caption", "R&D"}},
         {"All Entries", "R&&D", "Alerts", "Errors", "Wrap Long Lines", "Filter", "Go to Line",
          "Mute Alerts", "Terminal Colours"}},
    };
    for (const auto& step : steps) {
        frm.AllEntriesAction->setChecked(step.allEntries);
        for (const auto& [name, value] : step.stored)
            rig.store.WriteSetting(name, value);
        emit frm.ViewMenu->aboutToShow();
        EXPECT_EQ(Captions(frm.ViewMenu), step.captions) << step.what;
        for (QAction* item : groups)
            EXPECT_EQ(item->isEnabled(), !step.allEntries) << step.what;
    }
}

// The access keys (Alt+letter) of the items of a menu or the menus of the bar.
std::vector<QString> AccessKeys(const QList<QAction*>& items) {
    std::vector<QString> keys;
    for (const QAction* item : items)
        if (!item->isSeparator())
            keys.push_back(QKeySequence::mnemonic(item->text()).toString());
    return keys;
}

void ExpectUniqueKeys(const QList<QAction*>& items, const char* where) {
    std::set<QString> seen;
    for (const QString& key : AccessKeys(items)) {
        EXPECT_FALSE(key.isEmpty()) << where;
        EXPECT_TRUE(seen.insert(key).second) << where << ": " << key.toStdString() << " twice";
    }
}

TEST(MenuCommands, EveryMenuItemHasItsOwnAccessKeyAfterEveryChange) {
    MemoryRig rig;
    MainWindow& frm = rig.frm;
    ExpectUniqueKeys(frm.MainMenu->actions(), "menu bar");
    EXPECT_EQ(QKeySequence::mnemonic(frm.FileMenu->title()), QKeySequence(Qt::ALT | Qt::Key_F));
    auto checkAll = [&](const char* when) {
        for (QMenu* menu : {frm.FileMenu, frm.ViewMenu, frm.OptionsMenu, frm.HelpMenu})
            ExpectUniqueKeys(menu->actions(),
                             (menu->objectName().toStdString() + " " + when).c_str());
    };
    checkAll("at start");
    const std::vector<QString> fileKeys = AccessKeys(frm.FileMenu->actions());

    for (const char* path : {"/var/log/syslog", "/var/log/auth.log", "/srv/R&D/app.log",
                             "/home/me/build.log", "/var/log/Xorg.0.log"})
        rig.OpenByHand(path);
    emit frm.FileMenu->aboutToShow();
    checkAll("with recent files");
    EXPECT_EQ(AccessKeys(frm.FileMenu->actions()).back(), fileKeys.back())
        << "recent files do not take Exit's key";

    const std::vector<QString> viewKeys = AccessKeys(frm.ViewMenu->actions());
    emit frm.ViewMenu->aboutToShow();
    EXPECT_EQ(AccessKeys(frm.ViewMenu->actions()), viewKeys) << "stable while nothing changes";
    rig.store.WriteSetting("Group2Caption", "Alarms");
    rig.store.WriteSetting("Group3Caption", "Warnings");
    emit frm.ViewMenu->aboutToShow();
    checkAll("after renaming groups");
    EXPECT_NE(AccessKeys(frm.ViewMenu->actions()), viewKeys);
}

struct ChangeDelayRig : MemoryRig {
    ChangeDelayRig() {
        QFile log(dir.filePath("a.log"));
        log.open(QIODevice::WriteOnly);
        log.write("Error one\r\nWarning two\r\nplain three\r\n");
        log.close();
        frm.Tabs()->OpenLog(QFile::encodeName(dir.filePath("a.log")).toStdString());
        Read();
    }
    // One pass of the update cycle, so the log's list holds its lines. No
    // other pass may come while the test waits for the delay.
    void Read() {
        frm.Cycle()->Pass();
        frm.PollTimer->stop();
    }
    // A reload sends the log back to its start until the next pass.
    bool Reloaded() const { return frm.Tabs()->Tab(0)->Page.ReadPos == 0; }
    // Waits until the delay has run out.
    void RunOut() const {
        for (int i = 0; i < 500 && frm.ViewChangeTimer->isActive(); ++i)
            QTest::qWait(10);
        ASSERT_FALSE(frm.ViewChangeTimer->isActive());
    }
    QTemporaryDir dir;
};

TEST(MenuCommands, ViewChangesAreAppliedOnceAfterTheDelay) {
    {
        MemoryRig rig;
        EXPECT_TRUE(rig.frm.ViewChangeTimer->isActive()) << "running from creation";
        EXPECT_TRUE(rig.frm.ViewChangeTimer->isSingleShot());
        EXPECT_EQ(rig.frm.ViewChangeTimer->interval(), 1000);
    }
    const struct {
        const char* what;
        std::vector<QAction * MainWindow::*> clicks;
        bool dropView;
        bool reload;
    } cases[] = {
        {"one item twice", {&MainWindow::Group3Action, &MainWindow::Group3Action}, false, false},
        {"three items",
         {&MainWindow::Group3Action, &MainWindow::Group2Action, &MainWindow::AllEntriesAction},
         false,
         true},
        {"the View menu dropped down", {}, true, false},
    };
    for (const auto& c : cases) {
        ChangeDelayRig rig;
        rig.frm.ViewChangeTimer->setInterval(30);
        rig.frm.ViewChangeTimer->start();
        rig.RunOut();
        ASSERT_FALSE(rig.Reloaded()) << "the first run after start-up finds nothing changed";
        if (c.dropView)
            emit rig.frm.ViewMenu->aboutToShow();
        for (auto click : c.clicks)
            (rig.frm.*click)->trigger();
        EXPECT_TRUE(rig.frm.ViewChangeTimer->isActive()) << c.what << ": armed";
        EXPECT_FALSE(rig.Reloaded()) << c.what << ": nothing before the delay";
        rig.RunOut();
        EXPECT_EQ(rig.Reloaded(), c.reload) << c.what;
        EXPECT_EQ(rig.frm.ViewFilterSnapshot, rig.frm.ViewFilterStates()) << c.what;

        // Once applied, the same states do not reload again.
        rig.Read();
        rig.frm.ViewChangeTimer->start();
        rig.RunOut();
        EXPECT_FALSE(rig.Reloaded()) << c.what << ": one reload only";
    }
}

TEST(MenuCommands, EveryViewChangePushesTheDelayBack) {
    MemoryRig rig;
    QTimer& delay = *rig.frm.ViewChangeTimer;
    delay.setInterval(2000);
    for (QAction* item : {rig.frm.Group3Action, rig.frm.AllEntriesAction}) {
        item->trigger();
        QTest::qWait(100);
        const int left = delay.remainingTime();
        ASSERT_GE(left, 0);
        emit rig.frm.ViewMenu->aboutToShow();
        EXPECT_GT(delay.remainingTime(), left);
    }
}

TEST(MenuCommands, KeepingTheModifiedLogFocusedBringsItsTabToTheFront) {
    MemoryRig rig;
    MainWindow& frm = rig.frm;
    for (const char* path : {"/l/a", "/l/b", "/l/c"})
        frm.Tabs()->OpenLog(path);
    frm.Tabs()->SetTabImage(*frm.Tabs()->Tab(1), MenuImageIndex::NewLines);
    frm.TabWidget->setCurrentIndex(0);
    ASSERT_TRUE(frm.KeepModifiedLogFocusedAction->isChecked());

    frm.KeepModifiedLogFocusedAction->trigger();
    EXPECT_FALSE(frm.KeepModifiedLogFocusedAction->isChecked());
    EXPECT_EQ(rig.Active(), "/l/a") << "unchecking changes nothing else";
    frm.KeepModifiedLogFocusedAction->trigger();
    EXPECT_TRUE(frm.KeepModifiedLogFocusedAction->isChecked());
    EXPECT_EQ(rig.Active(), "/l/b");
}

TEST(MenuCommands, HelpAsksForTheOverviewAndTheOptionsPage) {
    MemoryRig rig;
    rig.frm.ContentsAction->trigger(); // no help bound yet: nothing happens
    std::vector<QString> topics;
    rig.frm.ShowHelpTopic = [&topics](const QString& topic) { topics.push_back(topic); };
    rig.frm.ContentsAction->trigger();
    rig.options->HelpButton->click();
    EXPECT_EQ(topics, std::vector<QString>({"Overview.htm", "Options.htm"}));
}

TEST(MenuCommands, AboutShowsNameVersionAndQtModally) {
    MemoryRig rig;
    rig.frm.setWindowIcon(QIcon(QPixmap(16, 16)));
    int shown = 0;
    rig.frm.ShowModal = [&](QDialog& dialog) {
        ++shown;
        auto* box = qobject_cast<QMessageBox*>(&dialog);
        EXPECT_NE(box, nullptr);
        if (!box)
            return 0;
        EXPECT_EQ(box->windowTitle(), "About Marrowlight");
        EXPECT_TRUE(box->text().startsWith("Marrowlight\n"));
        EXPECT_TRUE(box->text().contains(ProgramVersion));
        EXPECT_TRUE(box->text().contains(QString("Qt ") + qVersion()));
        EXPECT_EQ(box->buttons().size(), 1);
        EXPECT_NE(box->button(QMessageBox::Ok), nullptr);
        EXPECT_EQ(box->windowIcon().cacheKey(), rig.frm.windowIcon().cacheKey());
        EXPECT_FALSE(box->iconPixmap().isNull());
        box->button(QMessageBox::Ok)->click();
        return box->result();
    };
    rig.frm.AboutAction->trigger();
    EXPECT_EQ(shown, 1);
}

} // namespace
} // namespace marrowlight
