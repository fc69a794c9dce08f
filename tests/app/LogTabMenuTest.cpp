#include "app/LogTabMenu.h"

#include "monitor/LogTab.h"
#include "monitor/MonitorRig.h"
#include "support/core/AccessKeys.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QKeySequence>
#include <QMenu>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <set>

namespace marrowlight {
namespace {

struct TabMenuRig : testing::TabsRig {
    explicit TabMenuRig(std::initializer_list<const char*> paths) {
        for (const char* path : paths)
            tabs->OpenLog(path);
        tabMenu.OpenUrl = [this](const QUrl& url) {
            opened.push_back(url);
            return true;
        };
        tabMenu.ShowStatus = [this](const QString& text) { status.push_back(text); };
    }
    void Automatic(bool on) { menu.AutomaticModeAction->setChecked(on); }

    LogTabMenu tabMenu{*tabs, menu};
    std::vector<QUrl> opened;
    std::vector<QString> status;
};

TEST(LogTabMenu, CloseAndCloseOtherLogsActOnTheTabTheMenuWasOpenedFor) {
    TabMenuRig rig{"/l/a.log", "/l/b.log", "/l/c.log", "/l/d.log"};
    std::set<int> keys;
    for (const QAction* item : rig.tabMenu.Menu->actions())
        if (!item->isSeparator())
            keys.insert(QKeySequence::mnemonic(item->text())[0].toCombined());
    EXPECT_EQ(keys.size(), 4u) << "each item has an access key of its own";
    EXPECT_EQ(WithoutAccessKey(rig.tabMenu.CloseOtherLogsAction->text().toStdString()),
              "Close Other Logs");

    ASSERT_TRUE(rig.tabMenu.Prepare(2)); // c.log
    EXPECT_TRUE(rig.tabMenu.CloseOtherLogsAction->isEnabled());
    // A tab before it goes meanwhile: the menu still acts on c.log.
    rig.tabs->CloseLog(rig.pageControl.widget(0));
    rig.tabMenu.CloseOtherLogsAction->trigger();
    EXPECT_EQ(rig.Names(), QStringList({"c.log"}));
    EXPECT_EQ(rig.ActiveName(), "c.log");

    ASSERT_TRUE(rig.tabMenu.Prepare(0));
    EXPECT_FALSE(rig.tabMenu.CloseOtherLogsAction->isEnabled()) << "no other log is open";
    rig.tabMenu.CloseTabAction->trigger();
    EXPECT_EQ(rig.pageControl.count(), 0);
    rig.tabMenu.CloseTabAction->trigger(); // its tab is gone: nothing happens
    EXPECT_FALSE(rig.tabMenu.Prepare(0));
}

TEST(LogTabMenu, CopyPathAndOpenContainingFolder) {
    QTemporaryDir dir;
    const QString folder = dir.filePath("R&D é");
    ASSERT_TRUE(QDir().mkdir(folder));
    const std::string log = QFile::encodeName(folder + "/app.log").toStdString();
    TabMenuRig rig{"/nowhere/x.log"};
    rig.tabs->OpenLog(log);

    ASSERT_TRUE(rig.tabMenu.Prepare(1));
    rig.tabMenu.CopyPathAction->trigger();
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), (folder + "/app.log").toStdString());
    ASSERT_TRUE(rig.tabMenu.OpenContainingFolderAction->isEnabled());
    rig.tabMenu.OpenContainingFolderAction->trigger();
    ASSERT_EQ(rig.opened.size(), 1u);
    EXPECT_EQ(rig.opened[0].toString().toStdString(),
              QUrl::fromLocalFile(folder).toString().toStdString());

    // A log whose folder is not there offers no folder to show.
    ASSERT_TRUE(rig.tabMenu.Prepare(0));
    EXPECT_FALSE(rig.tabMenu.OpenContainingFolderAction->isEnabled());
    rig.tabMenu.CopyPathAction->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "/nowhere/x.log");
}

TEST(LogTabMenu, NoTabIsClosedByHandWhileLogsOpenAutomatically) {
    TabMenuRig rig{"/l/a.log", "/l/b.log"};
    rig.Automatic(true);
    ASSERT_TRUE(rig.tabMenu.Prepare(0));
    EXPECT_FALSE(rig.tabMenu.CloseTabAction->isEnabled());
    EXPECT_FALSE(rig.tabMenu.CloseOtherLogsAction->isEnabled());
    EXPECT_TRUE(rig.tabMenu.CopyPathAction->isEnabled());
    // The mode may change while the menu is open.
    rig.tabMenu.CloseTabAction->setEnabled(true);
    rig.tabMenu.CloseTabAction->trigger();
    rig.tabMenu.CloseOtherLogsAction->setEnabled(true);
    rig.tabMenu.CloseOtherLogsAction->trigger();
    EXPECT_EQ(rig.pageControl.count(), 2);

    rig.Automatic(false);
    ASSERT_TRUE(rig.tabMenu.Prepare(0));
    EXPECT_TRUE(rig.tabMenu.CloseTabAction->isEnabled());
    EXPECT_TRUE(rig.tabMenu.CloseOtherLogsAction->isEnabled());
}

TEST(LogTabMenu, MiddleClickOnATabClosesItAndTheMenuOpensOverATab) {
    TabMenuRig rig{"/l/a.log", "/l/b.log", "/l/c.log"};
    rig.pageControl.resize(500, 300);
    rig.pageControl.show();
    QTabBar* bar = rig.pageControl.tabBar();
    auto centre = [bar](int i) { return bar->tabRect(i).center(); };

    QTest::mouseClick(bar, Qt::LeftButton, {}, centre(1));
    EXPECT_EQ(rig.pageControl.count(), 3) << "a left click only selects";
    QTest::mouseClick(bar, Qt::MiddleButton, {}, centre(1));
    EXPECT_EQ(rig.Names(), QStringList({"a.log", "c.log"}));

    // Pressed on one tab, released on another: no click, nothing closes.
    QTest::mousePress(bar, Qt::MiddleButton, {}, centre(0));
    QTest::mouseRelease(bar, Qt::MiddleButton, {}, centre(1));
    EXPECT_EQ(rig.pageControl.count(), 2);

    rig.Automatic(true);
    QTest::mouseClick(bar, Qt::MiddleButton, {}, centre(0));
    EXPECT_EQ(rig.pageControl.count(), 2);
    ASSERT_EQ(rig.status.size(), 1u);
    EXPECT_TRUE(rig.status[0].contains("automatically"));

    emit bar->customContextMenuRequested(centre(1));
    EXPECT_EQ(rig.tabMenu.TargetIndex(), 1);
    EXPECT_TRUE(rig.tabMenu.Menu->isVisible());
    rig.tabMenu.Menu->hide();
    rig.pageControl.hide();
}

} // namespace
} // namespace marrowlight
