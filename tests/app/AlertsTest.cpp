// Notifications, unseen counts, the tray and the session, as the main window
// wires them together.
#include "FakeNotificationService.h"
#include "RunEventsUntil.h"
#include "app/MainWindow.h"
#include "app/Notifier.h"
#include "app/Tray.h"
#include "app/UnseenCounts.h"
#include "monitor/LogListView.h"
#include "monitor/LogTab.h"
#include "monitor/LogTabs.h"
#include "monitor/UpdateCycle.h"
#include "settings/AdvancedPage.h"
#include "settings/GroupsPage.h"
#include "settings/OptionsDialog.h"
#include "settings/OptionsView.h"
#include "settings/QSettingsBackend.h"
#include "settings/core/StoredNames.h"
#include "support/core/Clock.h"
#include "support/core/RecordingSoundOutput.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QMenu>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <fstream>
#include <gtest/gtest.h>

namespace marrowlight {
namespace {

struct SetClock : Clock {
    DateTime value = 45000.5;
    DateTime Now() const override { return value; }
};

class AlertsTest : public ::testing::Test {
  public: // the steps of table tests act on the fixture
    AlertsTest()
        : backend("Veltaroon", QString("MarrowlightAlertsTest%1").arg(++serial)),
          store(backend, "Marrowlight") {}

    MainWindow& Run(std::vector<std::string> params = {}) {
        params.insert(params.begin(), "marrowlight");
        window.reset();
        window = std::make_unique<MainWindow>(store, params);
        options = new OptionsDialog(store, sound, false, window.get());
        window->AttachOptions(*options);
        window->WindowActive = [this] { return active; };
        window->PrepareShow();
        window->HandleFirstActivation();
        window->PollTimer->stop(); // passes are the test's
        return *window;
    }

    // The window's notifications go to the fake service on a bus of the test.
    void Notify() {
        ASSERT_FALSE(bus.Address.isEmpty()) << "dbus-daemon did not start";
        if (!serving) {
            serving = service.Serve(bus.Connect());
            ASSERT_TRUE(serving);
        }
        window->UseNotificationBus(bus.Connect(), clock);
    }

    std::string LogPath(const std::string& name) const {
        return QFile::encodeName(logs.filePath(QString::fromStdString(name))).toStdString();
    }
    void Write(const std::string& name, const std::string& text) {
        std::ofstream(LogPath(name), std::ios::app) << text;
    }
    LogTab& Tab(const std::string& name) const {
        for (int i = 0; i < window->Tabs()->Count(); ++i)
            if (window->Tabs()->Tab(i)->FileName() == LogPath(name))
                return *window->Tabs()->Tab(i);
        throw std::runtime_error("no tab " + name);
    }
    QString Caption(const std::string& name) const {
        return window->TabWidget->tabText(window->Tabs()->IndexOf(Tab(name)));
    }
    // Opens the logs, each with a line the first pass loads.
    void Open(std::initializer_list<std::string> names) {
        for (const std::string& name : names) {
            Write(name, "start\n");
            window->Tabs()->OpenLog(LogPath(name));
        }
        window->Cycle()->Pass();
    }
    std::vector<std::string> Summaries() const {
        std::vector<std::string> summaries;
        for (const auto& call : service.Calls)
            summaries.push_back(call.Summary.toStdString());
        return summaries;
    }

    static inline int serial = 0;
    QSettingsBackend backend;
    SettingsStore store;
    RecordingSoundOutput sound;
    std::unique_ptr<MainWindow> window;
    OptionsDialog* options = nullptr;
    QTemporaryDir logs;
    bool active = false;
    PrivateSessionBus bus;
    FakeNotificationService service;
    bool serving = false;
    SetClock clock;
};

TEST_F(AlertsTest, NotifiesGroupsThatAskUnlessMutedOrLookedAt) {
    struct Case {
        const char* what;
        std::function<void(AlertsTest&)> setUp;
        std::vector<std::string> summaries;
        bool sounds;
    };
    const Case cases[] = {
        {"errors by default", [](AlertsTest&) {}, {"1 new Errors in app.log"}, true},
        {"warnings when asked",
         [](AlertsTest& t) {
             auto* groups = qobject_cast<GroupsPage*>(t.options->GroupsTab);
             groups->NotifyBox[1]->setChecked(true);
             groups->NotifyBox[2]->setChecked(false);
         },
         {"1 new Warnings in app.log"},
         true},
        {"muted", [](AlertsTest& t) { t.window->MuteAlertsAction->trigger(); }, {}, false},
        {"the tab looked at",
         [](AlertsTest& t) {
             t.active = true;
             t.window->Tabs()->Activate(t.Tab("app.log"));
         },
         {},
         true},
        {"another tab looked at",
         [](AlertsTest& t) {
             t.active = true;
             t.window->KeepModifiedLogFocusedAction->setChecked(false);
             t.window->Tabs()->Activate(t.Tab("db.log"));
         },
         {"1 new Errors in app.log"},
         true},
        {"brought to the front of an active window",
         [](AlertsTest& t) {
             t.active = true;
             t.window->Tabs()->Activate(t.Tab("db.log"));
         },
         {},
         true},
        {"the window not active",
         [](AlertsTest& t) { t.window->Tabs()->Activate(t.Tab("app.log")); },
         {"1 new Errors in app.log"},
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        active = false;
        service.Calls.clear();
        sound.played.clear();
        Run();
        Notify();
        options->Group3SoundList->setCurrentIndex(1);
        Open({"app.log", "db.log"});
        c.setUp(*this);
        Write("app.log", "a warning\nan Error\n");
        window->Cycle()->Pass();
        if (!c.summaries.empty()) {
            ASSERT_TRUE(RunEventsUntil([&] { return !service.Calls.empty(); }));
        }
        QTest::qWait(50);
        EXPECT_EQ(Summaries(), c.summaries);
        EXPECT_EQ(!sound.played.empty(), c.sounds);
        // The next case starts where the quiet time is over.
        clock.value += 1;
    }
}

TEST_F(AlertsTest, ShowBringsTheLogForwardWithItsFirstLineSelected) {
    Run();
    Notify();
    window->KeepModifiedLogFocusedAction->setChecked(false);
    Open({"app.log", "db.log"});
    Write("app.log", "one\nError one\ntwo\nError two\n");
    window->Cycle()->Pass();
    ASSERT_TRUE(RunEventsUntil([&] { return !service.Calls.empty(); }));
    EXPECT_EQ(service.Calls[0].Summary, "2 new Errors in app.log");
    EXPECT_EQ(service.Calls[0].Body, "Error one");
    window->hide();
    service.Invoke(service.Calls[0].Id, "show");
    ASSERT_TRUE(RunEventsUntil([&] { return window->isVisible(); }));
    EXPECT_EQ(window->Tabs()->ActiveTab(), &Tab("app.log"));
    const QModelIndex current = Tab("app.log").ListView()->currentIndex();
    EXPECT_EQ(current.row(), 2) << "start, one, Error one";
}

TEST_F(AlertsTest, CountsWhatWasNotSeenOnTabsAndInTheTitle) {
    struct Step {
        const char* what;
        std::function<void(AlertsTest&)> act;
        QString app, db, title;
    };
    const auto arrive = [](const char* log, const char* text) {
        return [=](AlertsTest& t) {
            t.Write(log, text);
            t.window->Cycle()->Pass();
        };
    };
    const auto look = [](const char* log) {
        return [=](AlertsTest& t) { t.window->Tabs()->Activate(t.Tab(log)); };
    };
    const auto activate = [](bool on) {
        return [=](AlertsTest& t) {
            t.active = on;
            t.window->LookAtCurrentTab(); // what the activation change runs
        };
    };
    const QString title = "Veltaroon Marrowlight";
    const Step steps[] = {
        {"information counts not", arrive("app.log", "2006 started\nplain\n"), "app.log", "db.log",
         title},
        {"warnings and errors", arrive("app.log", "warn\nError\nError\n"), "app.log (3)", "db.log",
         "(3) " + title},
        {"a line of both groups once", arrive("db.log", "warn Error\n"), "app.log (3)",
         "db.log (1)", "(4) " + title},
        {"looking while inactive", look("app.log"), "app.log (3)", "db.log (1)", "(4) " + title},
        {"the window activated", activate(true), "app.log", "db.log (1)", "(1) " + title},
        {"lines on the tab looked at", arrive("app.log", "Error\n"), "app.log", "db.log (1)",
         "(1) " + title},
        {"the other tab", look("db.log"), "app.log", "db.log", title},
        {"the window left", activate(false), "app.log", "db.log", title},
        {"lines while away", arrive("db.log", "warn\n"), "app.log", "db.log (1)", "(1) " + title},
    };
    Run();
    Open({"app.log", "db.log"});
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.act(*this);
        EXPECT_EQ(Caption("app.log"), step.app);
        EXPECT_EQ(Caption("db.log"), step.db);
        EXPECT_EQ(window->windowTitle(), step.title);
    }
}

TEST_F(AlertsTest, ATabCountIsColouredLikeItsHighestGroupAndItsTooltipSplitsIt) {
    Run();
    Open({"app.log", "db.log"});
    Write("app.log", "warn\n");
    Write("db.log", "warn\nError\n");
    window->Cycle()->Pass();
    QTabBar* bar = window->TabWidget->tabBar();
    const int app = window->Tabs()->IndexOf(Tab("app.log"));
    const int db = window->Tabs()->IndexOf(Tab("db.log"));
    const OptionsView view(*options);
    EXPECT_EQ(bar->tabTextColor(app), view.Group(2).Colour());
    EXPECT_EQ(bar->tabTextColor(db), view.Group(3).Colour());
    EXPECT_EQ(window->TabWidget->tabToolTip(db),
              QFile::decodeName(QByteArray::fromStdString(LogPath("db.log"))) +
                  "\nWarnings unseen: 1\nErrors unseen: 1");
    active = true;
    window->LookAtCurrentTab(); // db.log, opened last
    EXPECT_EQ(window->TabWidget->tabToolTip(db),
              QFile::decodeName(QByteArray::fromStdString(LogPath("db.log"))));
    EXPECT_FALSE(bar->tabTextColor(db).isValid());
    EXPECT_EQ(window->Unseen()->Summary(), "app.log: 1 Warnings");
}

TEST_F(AlertsTest, TheTrayMenuShowsMutesAndItsClickHidesTheWindow) {
    Run();
    Tray& tray = *window->TrayIcon();
    QStringList items;
    for (QAction* item : tray.Menu->actions())
        if (!item->isSeparator())
            items << item->text().remove('&');
    EXPECT_EQ(items, (QStringList{"Show", "Mute Alerts", "Exit"}));

    tray.MuteAction->trigger();
    EXPECT_TRUE(window->MuteAlertsAction->isChecked());
    window->MuteAlertsAction->trigger();
    EXPECT_FALSE(tray.MuteAction->isChecked());

    window->show();
    tray.ToggleWindow();
    EXPECT_FALSE(window->isVisible());
    tray.ToggleWindow();
    EXPECT_TRUE(window->isVisible());

    Open({"app.log"});
    Write("app.log", "Error\n");
    window->Cycle()->Pass();
    EXPECT_EQ(tray.ToolTip(), "Marrowlight\napp.log: 1 Errors");

    // Offered only where a tray exists, which the offscreen desktop has not.
    auto* advanced = qobject_cast<AdvancedPage*>(options->AdvancedTab);
    advanced->ShowInTrayBox->setChecked(true);
    EXPECT_FALSE(advanced->TrayOffered);
    EXPECT_FALSE(window->TrayIcon()->Shown());
}

TEST_F(AlertsTest, MuteAlertsIsStoredAtClose) {
    Run();
    window->MuteAlertsAction->trigger();
    window->CloseHandling();
    EXPECT_EQ(store.ReadSetting(stored::MuteAlertsAction), "1");
    Run();
    EXPECT_TRUE(window->MuteAlertsAction->isChecked());
}

TEST_F(AlertsTest, ReopensTheLastSessionInTabOrderWithItsCurrentLog) {
    const std::string odd = "caf\xe9.log"; // not UTF-8
    Run();
    Open({"a.log", odd, "c.log"});
    window->Tabs()->OpenLog("-"); // standard input is never stored
    window->Tabs()->Activate(Tab(odd));
    window->CloseHandling();

    std::remove(LogPath("c.log").c_str());
    Run();
    EXPECT_EQ(window->Tabs()->Count(), 0) << "off by default";
    window->ReopenSessionAction->trigger();
    ASSERT_EQ(window->Tabs()->Count(), 2);
    EXPECT_EQ(window->Tabs()->Tab(0)->FileName(), LogPath("a.log"));
    EXPECT_EQ(window->Tabs()->Tab(1)->FileName(), LogPath(odd));
    EXPECT_EQ(window->Tabs()->ActiveTab(), window->Tabs()->Tab(1));
    EXPECT_EQ(window->StatusBar->currentMessage(),
              "Not reopened, no longer there: " +
                  QFile::decodeName(QByteArray::fromStdString(LogPath("c.log"))));
}

TEST_F(AlertsTest, ReopensTheSessionAtStartOnlyWhenNothingElseOpens) {
    Write("a.log", "x\n");
    Write("b.log", "x\n");
    store.WriteSettingList(stored::LastSession, {LogPath("a.log")});
    const struct {
        const char* what;
        bool option;
        std::vector<std::string> params;
        bool automatic;
        std::vector<std::string> tabs;
    } cases[] = {
        {"asked", true, {}, false, {LogPath("a.log")}},
        {"not asked", false, {}, false, {}},
        {"a log given", true, {LogPath("b.log")}, false, {LogPath("b.log")}},
        {"automatic mode", true, {}, true, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        store.WriteSetting("OptionsFrm.PageControl.AdvancedTab.GroupBox9.ReopenSessionChk",
                           c.option ? "1" : "0");
        store.WriteSetting(stored::LoadAutomaticallyAction, c.automatic ? "1" : "0");
        Run(c.params);
        std::vector<std::string> tabs;
        for (int i = 0; i < window->Tabs()->Count(); ++i)
            tabs.push_back(window->Tabs()->Tab(i)->FileName());
        EXPECT_EQ(tabs, c.tabs);
    }
}

} // namespace
} // namespace marrowlight
