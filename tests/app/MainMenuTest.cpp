#include "app/MainMenu.h"

#include "support/core/AccessKeys.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <gtest/gtest.h>

namespace marrowlight {
namespace {

std::string Shown(const QString& caption) {
    return WithoutAccessKey(caption.toStdString());
}

struct Item {
    const char* name;
    const char* caption; // "-" for a separator
    bool image;
    const char* shortcut;
    int check; // -1 not checkable, 0 unchecked, 1 checked
};

TEST(MainMenu, EveryItemInOrderWithCaptionImageShortcutAndCheck) {
    QMainWindow window;
    MainMenuItems menu;
    BuildMainMenu(window, menu);

    const std::pair<const char*, std::vector<Item>> expected[] = {
        {"File",
         {{"OpenLogMnu", "Open Log", true, "Ctrl+O", -1},
          {"OpenJournalMnu", "Open Journal\u2026", true, "", -1},
          {"ReopenLastSessionMnu", "Reopen Last Session", false, "", -1},
          {"CloseLogMnu", "Close Log", true, "", -1},
          {"CloseAllLogsMnu", "Close All Logs", true, "", -1},
          {"N3", "-", false, "", -1},
          {"OpenCloseLogsAutomaticallyMnu", "Open && Close Logs Automatically", false, "", 0},
          {"N4", "-", false, "", -1},
          {"N2", "-", false, "", -1},
          {"ExitMnu", "Exit", true, "", -1}}},
        {"View",
         {{"AllEntriesMnu", "All Entries", false, "", 1},
          {"N1", "-", false, "", -1},
          {"InformationMnu", "Information", false, "", 1},
          {"WarningsMnu", "Warnings", false, "", 1},
          {"ErrorsMnu", "Errors", false, "", 1},
          {"N7", "-", false, "", -1},
          {"WrapLongLinesMnu", "Wrap Long Lines", false, "", 0},
          {"FindSeparator", "-", false, "", -1},
          {"FilterMnu", "Filter", false, "Ctrl+Shift+F", -1},
          {"GoToLineMnu", "Go to Line", false, "Ctrl+G", -1},
          {"MuteAlertsSeparator", "-", false, "", -1},
          {"MuteAlertsMnu", "Mute Alerts", false, "", 0},

          {"TerminalColoursSeparator", "-", false, "", -1},
          {"TerminalColoursMnu", "Terminal Colours", false, "", 1}}},
        {"Options",
         {{"Options1Mnu", "Options", true, "", -1},
          {"N6", "-", false, "", -1},
          {"KeepModifedLogFocusedMnu", "Keep Modified Log Focused", false, "", 1}}},
        {"Help",
         {{"ContentsMnu", "Contents", true, "", -1},
          {"N5", "-", false, "", -1},
          {"AboutMnu", "About", true, "", -1}}},
    };

    const QList<QAction*> menus = menu.MainMenu->actions();
    ASSERT_EQ(menus.size(), int(std::size(expected)));
    for (int m = 0; m < menus.size(); ++m) {
        const auto& [title, items] = expected[m];
        QMenu* popup = menus[m]->menu();
        ASSERT_NE(popup, nullptr);
        EXPECT_EQ(Shown(popup->title()), title);
        EXPECT_EQ(popup->accessibleName(), title);
        const QList<QAction*> actions = popup->actions();
        ASSERT_EQ(actions.size(), int(items.size())) << title;
        for (int i = 0; i < actions.size(); ++i) {
            const Item& want = items[i];
            QAction* got = actions[i];
            EXPECT_EQ(got->objectName(), want.name);
            EXPECT_EQ(got->isSeparator(), std::string(want.caption) == "-") << want.name;
            if (!got->isSeparator()) {
                EXPECT_EQ(Shown(got->text()), want.caption) << want.name;
            }
            EXPECT_EQ(!got->icon().isNull(), want.image) << want.name;
            EXPECT_EQ(got->shortcut().toString(), want.shortcut) << want.name;
            EXPECT_EQ(got->isCheckable(), want.check >= 0) << want.name;
            if (want.check >= 0) {
                EXPECT_EQ(got->isChecked(), want.check == 1) << want.name;
            }
        }
    }
    // The struct's fields are the same actions the bar holds.
    EXPECT_EQ(menu.KeepModifiedLogFocusedAction,
              window.findChild<QAction*>("KeepModifedLogFocusedMnu"));
    EXPECT_EQ(menu.RecentFilesEnd->objectName(), "N4");
}

} // namespace
} // namespace marrowlight
