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
    // RecentFilesEnd and ExitSeparator sit side by side; only one line should show.
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
    return Checked(items_.AllEntriesAction);
}

bool MainMenuChecks::GroupShown(int g) const {
    switch (g) {
    case 1:
        return Checked(items_.Group1Action);
    case 2:
        return Checked(items_.Group2Action);
    case 3:
        return Checked(items_.Group3Action);
    default:
        return false;
    }
}

bool MainMenuChecks::KeepModifiedLogFocused() const {
    return Checked(items_.KeepModifiedLogFocusedAction);
}

bool MainMenuChecks::OpenCloseLogsAutomatically() const {
    return Checked(items_.AutomaticModeAction);
}

bool MainMenuChecks::WrapLongLines() const {
    return Checked(items_.WrapLongLinesAction);
}

bool MainMenuChecks::TerminalColours() const {
    return Checked(items_.TerminalColoursAction);
}

void BuildMainMenu(QMainWindow& window, MainMenuItems& m) {
    using enum MenuImageIndex;
    m.MainMenu = window.menuBar();
    m.MainMenu->setObjectName("MainMenu");

    m.FileMenu = AddMenu(m.MainMenu, "FileMnu", "File");
    m.OpenLogAction = AddItem(m.FileMenu, "OpenLogMnu", "Open Log", OpenLog);
    m.OpenLogAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    m.OpenJournalAction = AddItem(m.FileMenu, "OpenJournalMnu", "Open Journal\u2026", OpenLog);
    m.ReopenSessionAction = AddItem(m.FileMenu, "ReopenLastSessionMnu", "Reopen Last Session");
    m.CloseLogAction = AddItem(m.FileMenu, "CloseLogMnu", "Close Log", CloseLog);
    m.CloseAllLogsAction = AddItem(m.FileMenu, "CloseAllLogsMnu", "Close All Logs", CloseAllLogs);
    m.AutomaticModeSeparator = AddSeparator(m.FileMenu, "N3");
    m.AutomaticModeAction = AddCheckItem(m.FileMenu, "OpenCloseLogsAutomaticallyMnu",
                                         "Open && Close Logs Automatically", false);
    m.RecentFilesEnd = AddSeparator(m.FileMenu, "N4");
    m.ExitSeparator = AddSeparator(m.FileMenu, "N2");
    m.ExitAction = AddItem(m.FileMenu, "ExitMnu", "Exit", Exit);

    m.ViewMenu = AddMenu(m.MainMenu, "ViewMnu", "View");
    m.AllEntriesAction = AddCheckItem(m.ViewMenu, "AllEntriesMnu", "All Entries", true);
    m.GroupsSeparator = AddSeparator(m.ViewMenu, "N1");
    m.Group1Action = AddCheckItem(m.ViewMenu, "InformationMnu", "Information", true);
    m.Group2Action = AddCheckItem(m.ViewMenu, "WarningsMnu", "Warnings", true);
    m.Group3Action = AddCheckItem(m.ViewMenu, "ErrorsMnu", "Errors", true);
    m.WrapSeparator = AddSeparator(m.ViewMenu, "N7");
    m.WrapLongLinesAction = AddCheckItem(m.ViewMenu, "WrapLongLinesMnu", "Wrap Long Lines", false);
    m.FindSeparator = AddSeparator(m.ViewMenu, "FindSeparator");
    m.FilterAction = AddItem(m.ViewMenu, "FilterMnu", "Filter");
    m.FilterAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
    m.GoToLineAction = AddItem(m.ViewMenu, "GoToLineMnu", "Go to Line");
    m.GoToLineAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    m.MuteAlertsSeparator = AddSeparator(m.ViewMenu, "MuteAlertsSeparator");
    m.MuteAlertsAction = AddCheckItem(m.ViewMenu, "MuteAlertsMnu", "Mute Alerts", false);
    m.TerminalColoursSeparator = AddSeparator(m.ViewMenu, "TerminalColoursSeparator");
    m.TerminalColoursAction =
        AddCheckItem(m.ViewMenu, "TerminalColoursMnu", "Terminal Colours", true);

    m.OptionsMenu = AddMenu(m.MainMenu, "OptionsMnu", "Options");
    m.OptionsAction = AddItem(m.OptionsMenu, "Options1Mnu", "Options", Options);
    m.KeepFocusedSeparator = AddSeparator(m.OptionsMenu, "N6");
    m.KeepModifiedLogFocusedAction =
        AddCheckItem(m.OptionsMenu, "KeepModifedLogFocusedMnu", "Keep Modified Log Focused", true);

    m.HelpMenu = AddMenu(m.MainMenu, "HelpMnu", "Help");
    m.ContentsAction = AddItem(m.HelpMenu, "ContentsMnu", "Contents", Contents);
    m.AboutSeparator = AddSeparator(m.HelpMenu, "N5");
    m.AboutAction = AddItem(m.HelpMenu, "AboutMnu", "About", About);

    AssignMenuAccessKeys(*m.MainMenu);
    for (QMenu* menu : {m.FileMenu, m.ViewMenu, m.OptionsMenu, m.HelpMenu})
        AssignMenuAccessKeys(*menu);
}

} // namespace marrowlight
