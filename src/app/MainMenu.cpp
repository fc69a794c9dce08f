#include "app/MainMenu.h"

#include "app/MenuAccessKeys.h"
#include "monitor/MenuImages.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <optional>

namespace marrowlight {
namespace {

QMenu* AddMenu(QMenuBar* bar, const char* name, const QString& caption) {
    QMenu* menu = bar->addMenu(caption);
    menu->setObjectName(name);
    menu->menuAction()->setObjectName(name);
    menu->setAccessibleName(caption);
    // N4 and N2 sit side by side; only one line should show.
    menu->setSeparatorsCollapsible(true);
    return menu;
}

QAction* AddItem(QMenu* menu, const char* name, const QString& caption,
                 std::optional<MenuImageIndex> image = std::nullopt) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    if (image)
        action->setIcon(MenuImage(*image));
    return action;
}

QAction* AddCheckItem(QMenu* menu, const char* name, const QString& caption, bool checked) {
    QAction* action = AddItem(menu, name, caption);
    action->setCheckable(true);
    action->setChecked(checked);
    return action;
}

QAction* AddSeparator(QMenu* menu, const char* name) {
    QAction* separator = menu->addSeparator();
    separator->setObjectName(name);
    return separator;
}

bool Checked(const QAction* action) {
    return action && action->isChecked();
}

} // namespace

bool MainMenuChecks::AllEntries() const {
    return Checked(items_.AllEntriesMnu);
}

bool MainMenuChecks::GroupShown(int g) const {
    switch (g) {
    case 1:
        return Checked(items_.InformationMnu);
    case 2:
        return Checked(items_.WarningsMnu);
    case 3:
        return Checked(items_.ErrorsMnu);
    default:
        return false;
    }
}

bool MainMenuChecks::KeepModifedLogFocused() const {
    return Checked(items_.KeepModifedLogFocusedMnu);
}

bool MainMenuChecks::OpenCloseLogsAutomatically() const {
    return Checked(items_.OpenCloseLogsAutomaticallyMnu);
}

void BuildMainMenu(QMainWindow& window, MainMenuItems& m) {
    using enum MenuImageIndex;
    m.MainMenu = window.menuBar();
    m.MainMenu->setObjectName("MainMenu");

    m.FileMnu = AddMenu(m.MainMenu, "FileMnu", "File");
    m.OpenLogMnu = AddItem(m.FileMnu, "OpenLogMnu", "Open Log", OpenLog);
    m.OpenLogMnu->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    m.CloseLogMnu = AddItem(m.FileMnu, "CloseLogMnu", "Close Log", CloseLog);
    m.CloseAllLogsMnu = AddItem(m.FileMnu, "CloseAllLogsMnu", "Close All Logs", CloseAllLogs);
    m.N3 = AddSeparator(m.FileMnu, "N3");
    m.OpenCloseLogsAutomaticallyMnu = AddCheckItem(m.FileMnu, "OpenCloseLogsAutomaticallyMnu",
                                                   "Open && Close Logs Automatically", false);
    m.N4 = AddSeparator(m.FileMnu, "N4");
    m.N2 = AddSeparator(m.FileMnu, "N2");
    m.ExitMnu = AddItem(m.FileMnu, "ExitMnu", "Exit", Exit);

    m.ViewMnu = AddMenu(m.MainMenu, "ViewMnu", "View");
    m.AllEntriesMnu = AddCheckItem(m.ViewMnu, "AllEntriesMnu", "All Entries", true);
    m.N1 = AddSeparator(m.ViewMnu, "N1");
    m.InformationMnu = AddCheckItem(m.ViewMnu, "InformationMnu", "Information", true);
    m.WarningsMnu = AddCheckItem(m.ViewMnu, "WarningsMnu", "Warnings", true);
    m.ErrorsMnu = AddCheckItem(m.ViewMnu, "ErrorsMnu", "Errors", true);

    m.OptionsMnu = AddMenu(m.MainMenu, "OptionsMnu", "Options");
    m.Options1Mnu = AddItem(m.OptionsMnu, "Options1Mnu", "Options", Options);
    m.N6 = AddSeparator(m.OptionsMnu, "N6");
    m.KeepModifedLogFocusedMnu =
        AddCheckItem(m.OptionsMnu, "KeepModifedLogFocusedMnu", "Keep Modifed Log Focused", true);

    m.HelpMnu = AddMenu(m.MainMenu, "HelpMnu", "Help");
    m.ContentsMnu = AddItem(m.HelpMnu, "ContentsMnu", "Contents", Contents);
    m.N5 = AddSeparator(m.HelpMnu, "N5");
    m.AboutMnu = AddItem(m.HelpMnu, "AboutMnu", "About", About);

    AssignMenuAccessKeys(*m.MainMenu);
    for (QMenu* menu : {m.FileMnu, m.ViewMnu, m.OptionsMnu, m.HelpMnu})
        AssignMenuAccessKeys(*menu);
}

} // namespace marrowlight
