#include "monitor/UpdateCycle.h"

#include "RunEventsUntil.h"
#include "monitor/FindBar.h"
#include "monitor/FocusKeeper.h"
#include "monitor/LineDrawer.h"
#include "monitor/LogLineDelegate.h"
#include "monitor/LogListModel.h"
#include "monitor/LogListView.h"
#include "monitor/LogTab.h"
#include "monitor/MonitorRig.h"
#include "monitor/core/FileSource.h"
#include "monitor/core/LogReader.h"
#include "support/core/Clock.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QMainWindow>
#include <QMenu>
#include <QRadioButton>
#include <QScrollBar>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <chrono>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <stdexcept>
#include <utility>

namespace marrowlight {
namespace {

struct FixedClock : Clock {
    DateTime Now() const override { return 45000.5; }
};

// Two passes' worth of machinery around real files in a temporary folder.
struct CycleRig : testing::TabsRig {
    // files: the real file system when null.
    explicit CycleRig(const FileSource* files = nullptr) : files_(files) { timer.setInterval(500); }

    std::string Path(const char* name) const {
        return QFile::encodeName(dir.filePath(name)).toStdString();
    }
    void Append(const char* name, const QByteArray& bytes) const {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::Append));
        file.write(bytes);
    }
    LogTab& TabOf(const char* name) const {
        for (int i = 0; i < tabs->Count(); ++i)
            if (tabs->Tab(i)->FileName() == Path(name))
                return *tabs->Tab(i);
        throw std::logic_error("no such tab");
    }
    int Rows(const char* name) const { return TabOf(name).Model().rowCount(); }
    QStringList Texts(const char* name) const {
        QStringList texts;
        for (int row = 0; row < Rows(name); ++row)
            texts << TabOf(name).Model().Text(row);
        return texts;
    }
    // Each slice of a load reads one small block.
    void SliceFinely() {
        cycle.Reader().SetBlockSize(64);
        cycle.Reader().SetSliceBudget(std::chrono::nanoseconds(0));
    }

    QTemporaryDir dir;
    QMainWindow window;
    QTimer timer;
    bool firstCycle = false;
    FixedClock clock;
    const FileSource* files_;
    UpdateCycle cycle{*tabs, window, timer, firstCycle, &clock, files_};
};

// The real file system, counting the stats of each path.
struct CountingFiles : FileSource {
    std::optional<LogStamp> Stat(const std::string& path) const override {
        ++stats[path];
        return posix.Stat(path);
    }
    OpenResult Open(const std::string& path) const override { return posix.Open(path); }
    PosixFileSource posix;
    mutable std::map<std::string, int> stats;
};

TEST(UpdateCycle, EachGroupSoundsOncePerPassInGroupOrder) {
    CycleRig rig;
    rig.options.Group1SoundList->setCurrentIndex(1); // SystemAsterisk
    rig.options.Group2SoundList->setCurrentIndex(2); // SystemExclamation
    rig.options.Group3SoundList->setCurrentIndex(4); // SystemHand
    rig.Append("a.log", "Error before\r\n");
    rig.Append("b.log", "plain\r\n");
    rig.tabs->OpenLog(rig.Path("a.log"));
    rig.tabs->OpenLog(rig.Path("b.log"));
    rig.sound.played.clear();

    rig.cycle.Pass(); // loads what the logs held: no alerts
    EXPECT_TRUE(rig.sound.played.empty());
    EXPECT_TRUE(rig.firstCycle);
    EXPECT_TRUE(rig.timer.isActive());

    rig.Append("a.log", "Error one\r\nError two\r\n");
    rig.Append("b.log", "Warn three\r\n");
    rig.cycle.Pass();
    EXPECT_EQ(rig.sound.played, (std::vector<std::string>{"SystemExclamation", "SystemHand"}));
    EXPECT_EQ(rig.Rows("a.log"), 3);

    rig.sound.played.clear();
    rig.cycle.Pass(); // nothing new
    EXPECT_TRUE(rig.sound.played.empty());

    // "None" is a selection too, and plays nothing.
    rig.options.Group3SoundList->setCurrentIndex(0);
    rig.Append("b.log", "Error four\r\n");
    rig.cycle.Pass();
    EXPECT_TRUE(rig.sound.played.empty());
}

TEST(UpdateCycle, KeepFocusedActivatesTheLastLogWithNewLines) {
    CycleRig rig;
    rig.menu.KeepModifiedLogFocusedAction->setChecked(true);
    rig.options.RestoreWindowBox->setChecked(true);
    rig.Append("a.log", "a1\r\n");
    rig.Append("b.log", "b1\r\n");
    rig.tabs->OpenLog(rig.Path("a.log"));
    rig.tabs->OpenLog(rig.Path("b.log"));
    rig.cycle.Pass();
    rig.pageControl.setCurrentIndex(0);
    rig.window.showMinimized();

    rig.Append("a.log", "a2\r\n");
    rig.Append("b.log", "b2\r\nb3\r\n");
    rig.cycle.Pass();
    EXPECT_EQ(rig.ActiveName(), "b.log");
    EXPECT_EQ(rig.TabOf("a.log").Image, MenuImageIndex::NormalLog);
    EXPECT_EQ(rig.TabOf("b.log").Image, MenuImageIndex::NewLines);
    EXPECT_FALSE(rig.window.isMinimized());
    EXPECT_EQ(rig.TabOf("b.log").ListView()->currentIndex().row(), 2);
    EXPECT_EQ(rig.TabOf("b.log").ListView()->currentIndex().data().toString(), "b3");
    EXPECT_EQ(rig.panels[2]->text(), "Displayed: 3");

    rig.Append("a.log", "a3\r\n");
    rig.cycle.Pass();
    EXPECT_EQ(rig.ActiveName(), "a.log");
    EXPECT_EQ(rig.TabOf("a.log").Image, MenuImageIndex::NewLines);
    EXPECT_EQ(rig.TabOf("b.log").Image, MenuImageIndex::NormalLog);

    // Without focusing the active tab stays.
    rig.menu.KeepModifiedLogFocusedAction->setChecked(false);
    rig.Append("b.log", "b4\r\n");
    rig.cycle.Pass();
    EXPECT_EQ(rig.ActiveName(), "a.log");
    EXPECT_EQ(rig.TabOf("b.log").Image, MenuImageIndex::NewLines);
}

// 1,500 logs switched to in turn froze the window for seconds.
TEST(UpdateCycle, KeepFocusedSwitchesOncePerPassToTheLastLogWithNewLines) {
    CycleRig rig;
    rig.menu.KeepModifiedLogFocusedAction->setChecked(true);
    const char* const names[] = {"a.log", "b.log", "c.log", "d.log"};
    for (const char* name : names) {
        rig.Append(name, "first\r\n");
        rig.tabs->OpenLog(rig.Path(name));
    }
    rig.cycle.Pass();
    rig.pageControl.setCurrentIndex(0);
    int switches = 0;
    QObject::connect(&rig.pageControl, &QTabWidget::currentChanged, [&] { ++switches; });
    for (const char* name : names)
        rig.Append(name, "more\r\n");
    rig.cycle.Pass();
    EXPECT_EQ(switches, 1);
    EXPECT_EQ(rig.ActiveName(), "d.log");
    EXPECT_EQ(rig.TabOf("c.log").Image, MenuImageIndex::NormalLog);
    EXPECT_EQ(rig.TabOf("d.log").Image, MenuImageIndex::NewLines);
}

// While the person works in the window the tab stays; once that ends, the
// log that last got lines comes forward.
TEST(UpdateCycle, KeepFocusedWaitsWhileThePersonWorksInTheWindow) {
    CycleRig rig;
    rig.menu.KeepModifiedLogFocusedAction->setChecked(true);
    rig.Append("a.log", "a1\r\n");
    rig.Append("b.log", "b1\r\n");
    rig.tabs->OpenLog(rig.Path("b.log"));
    rig.tabs->OpenLog(rig.Path("a.log"));
    rig.cycle.Pass();
    rig.pageControl.resize(400, 300);
    rig.pageControl.show();
    rig.pageControl.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&rig.pageControl));
    qint64 now = 100'000;
    rig.cycle.Focus().SetClock([&] { return now; });
    LogTab& a = rig.TabOf("a.log");
    const struct {
        const char* what;
        std::function<void()> start;
        std::function<void()> end;
    } cases[] = {
        {"typing in the find bar", [&] { a.Finder().Open(); }, [&] { a.Finder().Close(); }},
        {"the list's menu open", [&] { a.ListMenu->popup(QPoint(10, 10)); },
         [&] { a.ListMenu->close(); }},
        {"rows selected with the mouse",
         [&] { QTest::mouseClick(a.ListView()->viewport(), Qt::LeftButton, {}, QPoint(5, 5)); },
         [&] { now += FocusKeeper::HandsOffMs; }},
        {"the list scrolled by hand",
         [&] {
             QWheelEvent wheel(QPointF(5, 5), QPointF(5, 5), {}, QPoint(0, -120), Qt::NoButton, {},
                               Qt::NoScrollPhase, false);
             QApplication::sendEvent(a.ListView()->viewport(), &wheel);
         },
         [&] { now += FocusKeeper::HandsOffMs; }},
    };
    for (const auto& c : cases) {
        rig.tabs->Activate(a);
        c.start();
        rig.Append("b.log", "more\r\n");
        rig.cycle.Pass();
        EXPECT_EQ(rig.ActiveName(), "a.log") << c.what;
        QTest::qWait(2 * FocusKeeper::RetryMs);
        EXPECT_EQ(rig.ActiveName(), "a.log") << c.what << ", still";
        c.end();
        EXPECT_TRUE(RunEventsUntil([&] { return rig.ActiveName() == "b.log"; }, 3000)) << c.what;
    }
}

TEST(UpdateCycle, MissingLogShowsItsStateUntilNewLinesArrive) {
    CycleRig rig;
    rig.tabs->OpenLog(rig.Path("late.log"));
    rig.cycle.Pass();
    LogTab& tab = rig.TabOf("late.log");
    EXPECT_EQ(tab.Image, MenuImageIndex::Unreadable);
    EXPECT_EQ(rig.panels[3]->text(), "Log can't be read. It doesn't exist.");
    EXPECT_EQ(rig.panels[0]->text(), "");

    // Read again from its start, but the image waits for appended lines.
    rig.Append("late.log", QByteArray("x").repeated(50) + "\r\n");
    rig.cycle.Pass();
    EXPECT_EQ(rig.Rows("late.log"), 1);
    EXPECT_EQ(tab.Image, MenuImageIndex::Unreadable);
    EXPECT_EQ(rig.panels[3]->text(), "Log successfully read.");
    const int m = QFontMetrics(tab.ListView()->font()).horizontalAdvance('M');
    EXPECT_EQ(tab.Delegate().ExtentWidth(), 52 * m);
    rig.pageControl.resize(200, 120);
    rig.pageControl.show();
    QApplication::processEvents();
    LogListView& list = *tab.ListView();
    EXPECT_EQ(list.horizontalScrollBar()->maximum(), 52 * m - list.viewport()->width());

    rig.Append("late.log", "y\r\n");
    rig.cycle.Pass();
    EXPECT_EQ(tab.Image, MenuImageIndex::NewLines);
}

TEST(UpdateCycle, AutomaticOpeningRunsOnlyWhenCheckedAndPollingSurvivesAFailure) {
    CycleRig rig;
    int calls = 0;
    rig.cycle.AutoOpenClosePass = [&] { ++calls; };
    rig.cycle.Pass();
    EXPECT_EQ(calls, 0);
    rig.menu.AutomaticModeAction->setChecked(true);
    rig.cycle.Pass();
    EXPECT_EQ(calls, 1);

    rig.cycle.AutoOpenClosePass = [] { throw std::runtime_error("folder went away"); };
    rig.timer.stop();
    EXPECT_THROW(rig.cycle.Pass(), std::runtime_error);
    EXPECT_TRUE(rig.timer.isActive());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// Polling every minute: the rows can only come from a read at once.
TEST(UpdateCycle, ALogOpenedAutomaticallyIsReadAtOnce) {
    CycleRig rig;
    rig.timer.setInterval(60'000);
    rig.Append("new.log", "one\r\ntwo\r\n");
    rig.menu.AutomaticModeAction->setChecked(true);
    rig.cycle.AutoOpenClosePass = [&] {
        if (rig.tabs->Count() == 0)
            rig.tabs->AddLog(rig.Path("new.log"));
    };
    rig.cycle.Pass();
    EXPECT_EQ(rig.Rows("new.log"), 0) << "opened after the logs were read";
    EXPECT_TRUE(RunEventsUntil([&] { return rig.Rows("new.log") == 2; }, 3000));
}

QByteArray Lines(int count) {
    QByteArray log;
    for (int i = 0; i < count; ++i)
        log += "line " + QByteArray::number(i) + "\r\n";
    return log;
}

TEST(UpdateCycle, ALargeLoadGoesOnBetweenPassesWhileTheOtherLogsAreFollowed) {
    CycleRig rig;
    rig.SliceFinely();
    rig.Append("big.log", Lines(300));
    rig.Append("small.log", "s1\r\n");
    rig.tabs->OpenLog(rig.Path("small.log"));
    rig.tabs->OpenLog(rig.Path("big.log"));
    rig.pageControl.resize(300, 200);
    rig.pageControl.show();

    rig.cycle.Pass();
    ASSERT_TRUE(rig.cycle.Loading());
    const int first = rig.Rows("big.log");
    EXPECT_GT(first, 0) << "the first rows show at once";
    EXPECT_LT(first, 300);
    EXPECT_EQ(rig.Rows("small.log"), 1);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::BusyCursor);

    // A pass meanwhile follows the other log and leaves the loading one alone.
    rig.Append("small.log", "s2\r\n");
    rig.cycle.Pass();
    EXPECT_EQ(rig.Rows("small.log"), 2);
    EXPECT_EQ(rig.TabOf("small.log").Image, MenuImageIndex::NewLines);
    EXPECT_EQ(rig.Rows("big.log"), first);

    // Scrolled away from the newest rows, the list stays where it was
    // until the load ends, which selects the last row as any load does.
    LogListView& list = *rig.TabOf("big.log").ListView();
    QApplication::processEvents();
    list.verticalScrollBar()->setValue(0);
    ASSERT_TRUE(
        RunEventsUntil([&] { return rig.Rows("big.log") > first + 20 || !rig.cycle.Loading(); }));
    if (rig.cycle.Loading()) {
        EXPECT_EQ(list.verticalScrollBar()->value(), 0);
    }
    ASSERT_TRUE(RunEventsUntil([&] { return !rig.cycle.Loading(); }));
    EXPECT_EQ(rig.Rows("big.log"), 300);
    EXPECT_EQ(rig.Texts("big.log").back(), "line 299");
    EXPECT_EQ(list.currentIndex().row(), 299);
    EXPECT_EQ(rig.panels[1]->text(), "Lines: 300");
    EXPECT_EQ(rig.panels[3]->text(), "Log successfully read.");
    EXPECT_EQ(rig.TabOf("big.log").Image, MenuImageIndex::NormalLog);
    EXPECT_TRUE(RunEventsUntil([] { return QApplication::overrideCursor() == nullptr; }));
}

TEST(UpdateCycle, NewestAtTopALoadInSlicesShowsTheRowsOfOneReadAtOnce) {
    CycleRig rig;
    rig.options.LastEntriesAtTopBox->setChecked(true);
    rig.Append("app.log", Lines(200) + "Error last\r\n");
    rig.tabs->OpenLog(rig.Path("app.log"));
    rig.cycle.Pass();
    ASSERT_FALSE(rig.cycle.Loading());
    const QStringList atOnce = rig.Texts("app.log");

    rig.tabs->ResetAllLogs();
    rig.SliceFinely();
    rig.cycle.Pass();
    ASSERT_TRUE(rig.cycle.Loading());
    ASSERT_TRUE(RunEventsUntil([&] { return !rig.cycle.Loading(); }));
    EXPECT_EQ(rig.Texts("app.log"), atOnce);
    EXPECT_EQ(atOnce.front(), "Error last");
}

TEST(UpdateCycle, ClosingTheTabOrTheWindowEndsItsLoadAtOnce) {
    CycleRig rig;
    rig.SliceFinely();
    rig.Append("big.log", Lines(300));
    rig.tabs->OpenLog(rig.Path("big.log"));
    rig.cycle.Pass();
    ASSERT_TRUE(rig.cycle.Loading());
    rig.tabs->CloseLog(&rig.TabOf("big.log"));
    EXPECT_FALSE(rig.cycle.Loading());
    EXPECT_TRUE(RunEventsUntil([] { return QApplication::overrideCursor() == nullptr; }));

    rig.tabs->OpenLog(rig.Path("big.log"));
    rig.cycle.Pass();
    ASSERT_TRUE(rig.cycle.Loading());
    rig.cycle.StopLoads(); // as the window's closing does
    EXPECT_FALSE(rig.cycle.Loading());
    EXPECT_EQ(rig.Rows("big.log"), 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// A pass asked for from an event loop nested in a running pass (a dialog of
// the automatic opening, say) runs once that pass is over, never inside it.
TEST(UpdateCycle, APassAskedForWhileOneRunsComesAfterIt) {
    CycleRig rig;
    rig.Append("app.log", "one\r\n");
    rig.tabs->OpenLog(rig.Path("app.log"));
    rig.menu.AutomaticModeAction->setChecked(true);
    int passes = 0;
    bool again = true;
    rig.cycle.AutoOpenClosePass = [&] {
        ++passes;
        if (std::exchange(again, false)) {
            rig.Append("app.log", "two\r\n");
            rig.cycle.Pass();
            EXPECT_EQ(passes, 1);
            EXPECT_EQ(rig.Rows("app.log"), 1) << "not read inside the running pass";
        }
    };
    rig.cycle.Pass();
    EXPECT_EQ(passes, 1);
    EXPECT_TRUE(rig.timer.isActive());
    EXPECT_TRUE(RunEventsUntil([&] { return passes == 2; }));
    EXPECT_EQ(rig.Rows("app.log"), 2);
}

// Thousands of idle logs would cost a stat each on every polling pass; the
// kernel tells of their changes, so polling looks at each only now and then.
TEST(UpdateCycle, PollingLooksAtALogTheKernelReportsOnlyNowAndThen) {
#if !defined(__linux__)
    GTEST_SKIP() << "only Linux gives file notifications here";
#endif
    CountingFiles files;
    CycleRig rig(&files);
    const std::string app = rig.Path("app.log");
    rig.Append("app.log", "one\r\n");
    rig.tabs->OpenLog(app);
    rig.cycle.Pass(); // reads the log, then watches it
    rig.cycle.Pass(); // reads what came before the watch
    QApplication::processEvents();
    ASSERT_EQ(rig.Rows("app.log"), 1);

    // Every 500 ms for 10 s: one look.
    files.stats.clear();
    for (int pass = 0; pass < UpdateCycle::CoveredPollMs / 500; ++pass)
        rig.cycle.Pass();
    EXPECT_EQ(files.stats[app], 1);

    // A write is read by the next pass, reported or not yet.
    rig.Append("app.log", "two\r\n");
    rig.cycle.Pass();
    EXPECT_EQ(rig.Rows("app.log"), 2);

    // "Update each" reads every log on every pass, as chosen.
    rig.options.UpdateForcedButton->setChecked(true);
    files.stats.clear();
    for (int pass = 0; pass < 3; ++pass)
        rig.cycle.Pass();
    EXPECT_EQ(files.stats[app], 3);
}

// Polling every minute: only the kernel's notifications can bring these
// changes within the wait.
TEST(UpdateCycle, AWrittenRotatedOrCutBackLogShowsWithoutWaitingForPolling) {
    CycleRig rig;
    rig.timer.setInterval(60'000);
    rig.Append("app.log", "one\r\n");
    rig.tabs->OpenLog(rig.Path("app.log"));
    rig.cycle.Pass();
    ASSERT_EQ(rig.Rows("app.log"), 1);
    const QString log = rig.dir.filePath("app.log");
    struct Step {
        const char* what;
        std::function<void()> change;
        QStringList rows;
    } steps[] = {
        {"a write", [&] { rig.Append("app.log", "two\r\n"); }, {"one", "two"}},
        {"a rotation",
         [&] {
             ASSERT_TRUE(QFile::rename(log, log + ".1"));
             rig.Append("app.log", "new one\r\n");
         },
         {"new one"}},
        {"a cut back",
         [&] {
             ASSERT_TRUE(QFile(log).resize(0));
             rig.Append("app.log", "cut\r\n");
         },
         {"cut"}},
        {"a write after them", [&] { rig.Append("app.log", "after\r\n"); }, {"cut", "after"}},
    };
    for (const Step& step : steps) {
        step.change();
        EXPECT_TRUE(RunEventsUntil([&] { return rig.Texts("app.log") == step.rows; }))
            << step.what << ": " << rig.Texts("app.log").join('|').toStdString();
    }
    EXPECT_EQ(rig.TabOf("app.log").Image, MenuImageIndex::NewLines);

    // Before polling starts (the window is not activated yet) nothing is
    // read; the first polling pass reads it.
    bool held = false;
    QObject::connect(&rig.cycle, &UpdateCycle::ChangesHeld, [&] { held = true; });
    rig.timer.stop();
    rig.Append("app.log", "held\r\n");
    ASSERT_TRUE(RunEventsUntil([&] { return held; }));
    EXPECT_EQ(rig.Rows("app.log"), 2);
    rig.cycle.Pass();
    EXPECT_EQ(rig.Rows("app.log"), 3);
}

TEST(UpdateCycle, EachGroupSoundsAtMostOncePerPollingInterval) {
    CycleRig rig;
    rig.timer.setInterval(60'000);
    rig.options.Group2SoundList->setCurrentIndex(2); // SystemExclamation
    rig.options.Group3SoundList->setCurrentIndex(4); // SystemHand
    rig.Append("app.log", "calm\r\n");
    rig.tabs->OpenLog(rig.Path("app.log"));
    rig.cycle.Pass();
    rig.sound.played.clear();

    rig.Append("app.log", "Error one\r\n");
    ASSERT_TRUE(RunEventsUntil([&] { return rig.Rows("app.log") == 2; }));
    EXPECT_EQ(rig.sound.played, std::vector<std::string>{"SystemHand"});
    rig.Append("app.log", "Error two\r\nWarn three\r\n");
    ASSERT_TRUE(RunEventsUntil([&] { return rig.Rows("app.log") == 4; }));
    rig.Append("app.log", "Error four\r\n");
    rig.cycle.Pass(); // a polling pass within the interval holds it back too
    EXPECT_EQ(rig.Rows("app.log"), 5);
    EXPECT_EQ(rig.sound.played, (std::vector<std::string>{"SystemHand", "SystemExclamation"}));
}

// With a pass for every write, the progress texts and the wait cursor of a
// chunk read in a moment would only make the bar and the pointer flicker; a
// chunk large enough to take a while shows them while it is read.
TEST(UpdateCycle, OnlyALargeChunkShowsItsProgressWhileItIsRead) {
    CycleRig rig;
    rig.Append("app.log", "first\r\n");
    rig.tabs->OpenLog(rig.Path("app.log"));
    rig.cycle.Pass();
    QString state;
    bool waitCursor = false;
    QObject::connect(&rig.TabOf("app.log").Model(), &QAbstractItemModel::rowsInserted, [&] {
        state = rig.panels[3]->text();
        waitCursor = QApplication::overrideCursor() &&
                     QApplication::overrideCursor()->shape() == Qt::WaitCursor;
    });

    rig.Append("app.log", "one more\r\n");
    rig.cycle.Pass();
    EXPECT_EQ(state, "Log successfully read.");
    EXPECT_FALSE(waitCursor);

    rig.Append("app.log", Lines(120'000)); // well over a megabyte
    rig.cycle.Pass();
    EXPECT_EQ(state, "") << "the filtering ended, the rows are being added";
    EXPECT_TRUE(waitCursor);
    EXPECT_EQ(rig.panels[3]->text(), "Log successfully read.");
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

} // namespace
} // namespace marrowlight
