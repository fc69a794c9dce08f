#include "monitor/UpdateCycle.h"

#include "monitor/ItemsLBxDrawItem.h"
#include "monitor/LogLineDelegate.h"
#include "monitor/LogListModel.h"
#include "monitor/LogListView.h"
#include "monitor/LogTab.h"
#include "monitor/MonitorRig.h"
#include "support/core/Clock.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QMainWindow>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <stdexcept>

namespace marrowlight {
namespace {

struct FixedClock : Clock {
    DateTime Now() const override { return 45000.5; }
};

// Two passes' worth of machinery around real files in a temporary folder.
struct CycleRig : testing::TabsRig {
    CycleRig() { timer.setInterval(500); }

    QString Path(const char* name) const { return dir.filePath(name); }
    void Append(const char* name, const QByteArray& bytes) const {
        QFile file(Path(name));
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

    QTemporaryDir dir;
    QMainWindow window;
    QTimer timer;
    bool firstCycle = false;
    FixedClock clock;
    UpdateCycle cycle{*tabs, window, timer, firstCycle, &clock};
};

TEST(UpdateCycle, EachGroupSoundsOncePerPassInGroupOrder) {
    CycleRig rig;
    rig.options.Group1SoundCBx->setCurrentIndex(1); // SystemAsterisk
    rig.options.Group2SoundCBx->setCurrentIndex(2); // SystemExclamation
    rig.options.Group3SoundCBx->setCurrentIndex(4); // SystemHand
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
    rig.options.Group3SoundCBx->setCurrentIndex(0);
    rig.Append("b.log", "Error four\r\n");
    rig.cycle.Pass();
    EXPECT_TRUE(rig.sound.played.empty());
}

TEST(UpdateCycle, KeepFocusedActivatesTheLastLogWithNewLines) {
    CycleRig rig;
    rig.menu.KeepModifedLogFocusedMnu->setChecked(true);
    rig.options.RestoreWindowChk->setChecked(true);
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
    EXPECT_EQ(rig.TabOf("b.log").ItemsLBx()->currentIndex().row(), 2);
    EXPECT_EQ(rig.TabOf("b.log").ItemsLBx()->currentIndex().data().toString(), "b3");
    EXPECT_EQ(rig.panels[2]->text(), "Displayed: 3");

    rig.Append("a.log", "a3\r\n");
    rig.cycle.Pass();
    EXPECT_EQ(rig.ActiveName(), "a.log");
    EXPECT_EQ(rig.TabOf("a.log").Image, MenuImageIndex::NewLines);
    EXPECT_EQ(rig.TabOf("b.log").Image, MenuImageIndex::NormalLog);

    // Without focusing the active tab stays.
    rig.menu.KeepModifedLogFocusedMnu->setChecked(false);
    rig.Append("b.log", "b4\r\n");
    rig.cycle.Pass();
    EXPECT_EQ(rig.ActiveName(), "a.log");
    EXPECT_EQ(rig.TabOf("b.log").Image, MenuImageIndex::NewLines);
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
    EXPECT_EQ(rig.panels[3]->text(), "Log succesfully read.");
    const int m = QFontMetrics(tab.ItemsLBx()->font()).horizontalAdvance('M');
    EXPECT_EQ(tab.Delegate().ExtentWidth(), 52 * m);
    rig.pageControl.resize(200, 120);
    rig.pageControl.show();
    QApplication::processEvents();
    LogListView& list = *tab.ItemsLBx();
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
    rig.menu.OpenCloseLogsAutomaticallyMnu->setChecked(true);
    rig.cycle.Pass();
    EXPECT_EQ(calls, 1);

    rig.cycle.AutoOpenClosePass = [] { throw std::runtime_error("folder went away"); };
    rig.timer.stop();
    EXPECT_THROW(rig.cycle.Pass(), std::runtime_error);
    EXPECT_TRUE(rig.timer.isActive());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

} // namespace
} // namespace marrowlight
