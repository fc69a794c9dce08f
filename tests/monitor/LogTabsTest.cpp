#include "monitor/LogTabs.h"

#include "RunEventsUntil.h"
#include "monitor/FindBar.h"
#include "monitor/LogLineDelegate.h"
#include "monitor/LogListModel.h"
#include "monitor/LogListView.h"
#include "monitor/LogTab.h"
#include "monitor/MonitorRig.h"
#include "settings/FontListBox.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTabWidget>
#include <gtest/gtest.h>

namespace marrowlight {
namespace {

TEST(LogTabs, OpenAddsAfterTheOthersOrActivatesTheOpenLog) {
    testing::TabsRig rig;
    rig.tabs->OpenLog("/var/log/a.log");
    rig.tabs->OpenLog("/var/log/b.log");
    rig.tabs->OpenLog("/srv/c.log");
    EXPECT_EQ(rig.Names(), QStringList({"a.log", "b.log", "c.log"}));
    EXPECT_EQ(rig.ActiveName(), "c.log");
    EXPECT_EQ(rig.pageControl.tabToolTip(2), "/srv/c.log");
    EXPECT_FALSE(rig.pageControl.tabIcon(2).isNull());

    const LogTab* c = rig.tabs->Tab(2);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->Image, MenuImageIndex::NormalLog);
    EXPECT_EQ(c->Page.Encoding, LogEncoding::Unknown);
    EXPECT_EQ(c->ListView()->accessibleName(), "/srv/c.log");
    EXPECT_EQ(c->ListView()->selectionMode(), QAbstractItemView::ExtendedSelection);

    // Surrounding blanks are not part of the path; a missing file is no error.
    rig.tabs->OpenLog("/var/log/R&D.log");
    EXPECT_EQ(rig.pageControl.tabText(3), "R&&D.log"); // shown as R&D.log
    rig.tabs->CloseLog(rig.pageControl.widget(3));

    rig.tabs->OpenLog("  /var/log/a.log\t");
    EXPECT_EQ(rig.pageControl.count(), 3);
    EXPECT_EQ(rig.ActiveName(), "a.log");
    EXPECT_EQ(rig.tabs->ActiveFileName(), "/var/log/a.log");

    // A Latin-1 name is not UTF-8: the tab keeps its bytes and only shows them decoded.
    const std::string latin1 = "/var/log/caf\xe9.log";
    rig.tabs->OpenLog(latin1);
    EXPECT_EQ(rig.tabs->ActiveFileName(), latin1);
    EXPECT_EQ(rig.pageControl.tabToolTip(3), QFile::decodeName(QByteArray::fromStdString(latin1)));
    rig.tabs->OpenLog("/var/log/a.log");
    rig.tabs->OpenLog(latin1);
    EXPECT_EQ(rig.pageControl.count(), 4) << "the same bytes find their tab again";
}

TEST(LogTabs, ClosingActivatesTheFollowingTabOrTheFirst) {
    struct Case {
        int active, closed;
        const char* expectedActive;
        QStringList left;
    } cases[] = {
        {1, 2, "a.log", {"a.log", "b.log"}}, // B active, last closed: the first
        {1, 0, "b.log", {"b.log", "c.log"}}, // B active, A closed: its follower B
        {1, 1, "c.log", {"a.log", "c.log"}},
        {0, 1, "c.log", {"a.log", "c.log"}}, // not the active one: still its follower
        {2, 2, "a.log", {"a.log", "b.log"}},
    };
    for (const Case& c : cases) {
        testing::TabsRig rig;
        for (const char* path : {"/l/a.log", "/l/b.log", "/l/c.log"})
            rig.tabs->OpenLog(path);
        rig.pageControl.setCurrentIndex(c.active);
        rig.tabs->CloseLog(rig.pageControl.widget(c.closed));
        EXPECT_EQ(rig.ActiveName(), c.expectedActive) << c.active << c.closed;
        EXPECT_EQ(rig.Names(), c.left) << c.active << c.closed;
    }

    // The last tab leaves none active and an empty status bar; a null tab is ignored.
    testing::TabsRig rig;
    rig.tabs->OpenLog("/l/only.log");
    rig.tabs->Tab(0)->Page.StateText = "Log successfully read.";
    rig.tabs->ActiveTabChanged();
    EXPECT_EQ(rig.panels[3]->text(), "Log successfully read.");
    rig.tabs->CloseLog(nullptr);
    rig.tabs->CloseLog(rig.pageControl.widget(0));
    EXPECT_EQ(rig.pageControl.count(), 0);
    EXPECT_EQ(rig.tabs->ActiveTab(), nullptr);
    EXPECT_EQ(rig.tabs->ActiveFileName(), "");
    EXPECT_EQ(rig.panels[3]->text(), "");
}

TEST(LogTabs, StatusBarShowsTheActiveTabsTextsWhichSurviveAReset) {
    testing::TabsRig rig;
    rig.tabs->OpenLog("/l/a.log");
    rig.tabs->OpenLog("/l/b.log");
    LogPage& a = rig.tabs->Tab(0)->Page;
    a.LastReadText = "Last read: 10:00:00";
    a.LinesText = "Lines: 4";
    a.DisplayedText = "Displayed: 3";
    a.StateText = "Log successfully read.";
    a.ReadPos = 99;
    a.Encoding = LogEncoding::EightBit;

    rig.pageControl.setCurrentIndex(0);
    rig.tabs->ResetAllLogs();
    rig.tabs->ActiveTabChanged();
    EXPECT_EQ(a.ReadPos, 0u);
    EXPECT_EQ(a.Encoding, LogEncoding::Unknown);
    const char* expected[] = {"Last read: 10:00:00", "Lines: 4", "Displayed: 3",
                              "Log successfully read."};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(rig.panels[i]->text(), expected[i]);

    rig.pageControl.setCurrentIndex(1);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(rig.panels[i]->text(), "");
}

TEST(LogTabs, ItemHeightAndFontFollowTheOptions) {
    struct Case {
        const char* size;
        int height;
    } cases[] = {{"6", 13}, {"8", 15}, {"10", 18}, {"36", 49}};
    testing::TabsRig rig;
    rig.tabs->OpenLog("/l/a.log");
    rig.tabs->OpenLog("/l/b.log");
    for (const Case& c : cases) {
        const int index = rig.options.FontSizeList->findText(c.size);
        ASSERT_GE(index, 0) << c.size;
        rig.options.FontSizeList->setCurrentIndex(index);
        rig.tabs->ApplyFontToAll();
        for (int t = 0; t < 2; ++t) {
            const LogTab* tab = rig.tabs->Tab(t);
            EXPECT_EQ(tab->ListView()->font().pointSize(), QString(c.size).toInt());
            EXPECT_EQ(tab->ListView()->font().family(), rig.options.FontList->currentText());
            EXPECT_EQ(tab->Delegate().sizeHint({}, {}).height(), c.height) << c.size;
        }
    }
}

TEST(LogTabs, FontSizeOutOfRangeFallsBackToEightPointsForFontAndHeight) {
    struct Case {
        int size, points, height;
    } cases[] = {{0, 8, 15}, {-3, 8, 15}, {1, 1, 7}, {12, 12, 20}};
    testing::TabsRig rig;
    rig.tabs->OpenLog("/l/a.log");
    LogTab& tab = *rig.tabs->Tab(0);
    for (const Case& c : cases) {
        tab.SetListFont("DejaVu Sans", c.size);
        EXPECT_EQ(tab.ListView()->font().pointSize(), c.points) << c.size;
        EXPECT_EQ(tab.Delegate().ItemHeight(), c.height) << c.size;
    }
}

TEST(LogTabs, SelectingTheLastItemAfterABulkLoadShowsTheNewestLines) {
    testing::TabsRig rig;
    rig.tabs->OpenLog("/l/a.log");
    LogTab& tab = *rig.tabs->Tab(0);
    LogListView& list = *tab.ListView();
    rig.pageControl.resize(300, 240);
    rig.pageControl.show();
    QApplication::processEvents();
    const int visible = list.FullRowsVisible();
    for (int count : {5000, 20, 7000}) {
        LineIndex rows;
        for (int i = 0; i < count; ++i)
            rows.push_back(LineEntry(i * 10, 8));
        tab.Model().LoadLines(std::move(rows));
        tab.SelectLastItem(); // no event loop in between
        EXPECT_EQ(list.currentIndex().row(), count - 1);
        EXPECT_EQ(list.TopRow(), std::max(0, count - visible)) << count;
        const QRect last = list.visualRect(list.currentIndex());
        EXPECT_GE(last.top(), 0) << count;
        EXPECT_LE(last.bottom(), list.viewport()->height()) << count;
    }
}

TEST(LogTabs, ATabMakesItsListWhenFirstShownWithWhatCameMeanwhile) {
    struct Case {
        const char* what;
        int rows;
        bool followed;  // the pass selected the last row meanwhile
        int reloadedTo; // rows after a reload since (-1: none)
        int current;    // row current once shown
    } cases[] = {
        {"rows followed", 40, true, -1, 39},
        {"rows not followed (newest at top)", 40, false, -1, -1},
        {"a reload after following", 40, true, 7, -1},
        {"no rows", 0, true, -1, -1},
    };
    for (const Case& c : cases) {
        testing::TabsRig rig;
        rig.pageControl.resize(400, 300);
        rig.pageControl.show();
        rig.tabs->AddLogs({"/l/a.log", "/l/b.log", "/l/c.log"});
        EXPECT_EQ(rig.ActiveName(), "c.log") << c.what;
        LogTab& b = *rig.tabs->Tab(1);
        EXPECT_FALSE(b.Built()) << c.what;

        rig.options.FontSizeList->setCurrentIndex(rig.options.FontSizeList->findText("12"));
        rig.tabs->ApplyFontToAll();
        b.SetExtentWidth(900);
        LineIndex rows;
        for (int i = 0; i < c.rows; ++i)
            rows.push_back(LineEntry(i * 10, 8));
        b.Model().LoadLines(std::move(rows));
        if (c.followed)
            b.SelectLastItem();
        if (c.reloadedTo >= 0) {
            LineIndex again;
            for (int i = 0; i < c.reloadedTo; ++i)
                again.push_back(LineEntry(i * 10, 8));
            b.Model().LoadLines(std::move(again));
        }
        // What a pass asks of a tab leaves it unmade.
        EXPECT_TRUE(b.ShowsLastItem()) << c.what;
        EXPECT_TRUE(b.SelectedRows().empty()) << c.what;
        EXPECT_FALSE(b.CopySelection(false)) << c.what;
        EXPECT_EQ(b.ListFont().pointSize(), 12) << c.what;
        EXPECT_FALSE(b.Built()) << c.what;

        rig.tabs->Activate(b);
        ASSERT_TRUE(b.Built()) << c.what;
        EXPECT_TRUE(b.ListView()->isVisible()) << c.what;
        EXPECT_FALSE(b.Finder().isVisible()) << c.what;
        EXPECT_EQ(b.ListView()->font().pointSize(), 12) << c.what;
        EXPECT_EQ(b.Delegate().ExtentWidth(), 900) << c.what;
        EXPECT_EQ(b.ListView()->currentIndex().row(), c.current) << c.what;
        EXPECT_NE(b.FindAction, nullptr) << c.what;
    }
}

TEST(LogTabs, ALargeBatchOfLogsArrivesWholeWithTheLastActive) {
    testing::TabsRig rig;
    rig.pageControl.show();
    std::vector<std::string> paths;
    for (int i = 0; i < 400; ++i)
        paths.push_back("/l/" + std::to_string(i) + ".log");
    rig.tabs->AddLogs(paths);
    EXPECT_GE(rig.tabs->Count(), 16) << "a handful within the call";
    EXPECT_TRUE(RunEventsUntil([&] { return rig.tabs->Count() == 400; }));
    EXPECT_EQ(rig.ActiveName(), "399.log");
    EXPECT_EQ(rig.Names().front(), "0.log");
    int built = 0;
    for (int i = 0; i < rig.tabs->Count(); ++i)
        built += rig.tabs->Tab(i)->Built();
    EXPECT_LE(built, 2) << "the first tab and the active one";
}

TEST(LogTabs, ListScrollsAndMovesByWholeRowsWhateverItsLength) {
    testing::TabsRig rig;
    rig.tabs->OpenLog("/l/a.log");
    LogTab& tab = *rig.tabs->Tab(0);
    LogListView& list = *tab.ListView();
    LineIndex rows;
    for (int i = 0; i < 1000; ++i)
        rows.push_back(LineEntry(i * 10, 8));
    tab.Model().LoadLines(std::move(rows));
    rig.pageControl.resize(300, 240);
    rig.pageControl.show();
    QApplication::processEvents();
    const int visible = list.FullRowsVisible();
    ASSERT_GT(visible, 3);
    EXPECT_EQ(list.viewport()->height() / list.RowHeight(), visible);
    EXPECT_EQ(list.verticalScrollBar()->maximum(), 1000 - visible);

    tab.SelectLastItem();
    EXPECT_EQ(list.currentIndex().row(), 999);
    EXPECT_EQ(list.TopRow(), 1000 - visible);
    const QRect last = list.visualRect(list.currentIndex());
    EXPECT_LE(last.bottom(), list.viewport()->height());
    EXPECT_EQ(list.indexAt(last.center()).row(), 999);
    EXPECT_FALSE(list.indexAt(QPoint(5, last.bottom() + 2)).isValid());

    auto press = [&](Qt::Key key) {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(&list, &event);
    };
    struct Step {
        Qt::Key key;
        int current, top;
    } steps[] = {
        {Qt::Key_Home, 0, 0},
        {Qt::Key_Down, 1, 0},
        {Qt::Key_PageDown, 1 + visible, 2},
        {Qt::Key_Up, visible, 2},
        {Qt::Key_End, 999, 1000 - visible},
    };
    for (const Step& step : steps) {
        press(step.key);
        EXPECT_EQ(list.currentIndex().row(), step.current) << step.key;
        EXPECT_EQ(list.TopRow(), step.top) << step.key;
    }

    // Lines arriving below keep the view where it is.
    LineIndex more;
    for (int i = 0; i < 10; ++i)
        more.push_back(LineEntry(0, 8), LineRecord{1, i + 1});
    tab.Model().AppendLines(std::move(more));
    EXPECT_EQ(list.verticalScrollBar()->maximum(), 1010 - visible);
    EXPECT_EQ(list.TopRow(), 1000 - visible);
}

} // namespace
} // namespace marrowlight
