#include "shell/LogTabs.h"

#include "settings/FontListBox.h"
#include "shell/LogLineDelegate.h"
#include "shell/LogTab.h"
#include "shell/ShellRig.h"

#include <QComboBox>
#include <QListView>
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
    EXPECT_EQ(c->Image, 35);
    EXPECT_EQ(c->Page.Encoding, 255);
    EXPECT_EQ(c->ItemsLBx()->accessibleName(), "/srv/c.log");
    EXPECT_EQ(c->ItemsLBx()->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_TRUE(c->ItemsLBx()->uniformItemSizes());

    // Surrounding blanks are not part of the path; a missing file is no error.
    rig.tabs->OpenLog("  /var/log/a.log\t");
    EXPECT_EQ(rig.pageControl.count(), 3);
    EXPECT_EQ(rig.ActiveName(), "a.log");
    EXPECT_EQ(rig.tabs->ActiveFileName(), "/var/log/a.log");
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
    rig.tabs->Tab(0)->Page.StateText = "Log succesfully read.";
    rig.tabs->PageControlChange();
    EXPECT_EQ(rig.panels[3]->text(), "Log succesfully read.");
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
    TPageObject& a = rig.tabs->Tab(0)->Page;
    a.LastReadText = "Last read: 10:00:00";
    a.LinesText = "Lines: 4";
    a.DisplayedText = "Displayed: 3";
    a.StateText = "Log succesfully read.";
    a.ReadPos = 99;
    a.Encoding = 1;

    rig.pageControl.setCurrentIndex(0);
    rig.tabs->ResetAllLogs();
    rig.tabs->PageControlChange();
    EXPECT_EQ(a.ReadPos, 0u);
    EXPECT_EQ(a.Encoding, 255);
    const char* expected[] = {"Last read: 10:00:00", "Lines: 4", "Displayed: 3",
                              "Log succesfully read."};
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
        const int index = rig.options.FontSizeCBx->findText(c.size);
        ASSERT_GE(index, 0) << c.size;
        rig.options.FontSizeCBx->setCurrentIndex(index);
        rig.tabs->ApplyFontToAll();
        for (int t = 0; t < 2; ++t) {
            const LogTab* tab = rig.tabs->Tab(t);
            EXPECT_EQ(tab->ItemsLBx()->font().pointSize(), QString(c.size).toInt());
            EXPECT_EQ(tab->ItemsLBx()->font().family(), rig.options.FontsCBx->currentText());
            EXPECT_EQ(tab->Delegate().sizeHint({}, {}).height(), c.height) << c.size;
        }
    }
}

} // namespace
} // namespace marrowlight
