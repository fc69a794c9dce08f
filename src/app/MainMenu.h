#pragma once

#include "monitor/MenuChecks.h"

class QAction;
class QMainWindow;
class QMenu;
class QMenuBar;

namespace marrowlight {

// The main window's menu bar, every item named (objectName) like the field.
struct MainMenuItems {
    QMenuBar* MainMenu = nullptr;

    QMenu* FileMenu = nullptr;
    QAction* OpenLogAction = nullptr;
    QAction* OpenJournalAction = nullptr;
    QAction* ReopenSessionAction = nullptr; // "Reopen Last Session"
    QAction* CloseLogAction = nullptr;
    QAction* CloseAllLogsAction = nullptr;
    QAction* AutomaticModeSeparator = nullptr;
    QAction* AutomaticModeAction = nullptr;
    QAction* RecentFilesEnd = nullptr; // the recent files go right before this separator
    QAction* ExitSeparator = nullptr;
    QAction* ExitAction = nullptr;

    QMenu* ViewMenu = nullptr;
    QAction* AllEntriesAction = nullptr;
    QAction* GroupsSeparator = nullptr;
    QAction* Group1Action = nullptr; // group 1 filter
    QAction* Group2Action = nullptr; // group 2 filter
    QAction* Group3Action = nullptr; // group 3 filter
    QAction* WrapSeparator = nullptr;
    QAction* WrapLongLinesAction = nullptr;
    QAction* FindSeparator = nullptr;
    QAction* FilterAction = nullptr; // the active log's filter pane
    QAction* GoToLineAction = nullptr;
    QAction* MuteAlertsSeparator = nullptr;
    QAction* MuteAlertsAction = nullptr; // no sound, no notification; also in the tray menu
    QAction* TerminalColoursSeparator = nullptr;
    QAction* TerminalColoursAction = nullptr;

    QMenu* OptionsMenu = nullptr;
    QAction* OptionsAction = nullptr;
    QAction* KeepFocusedSeparator = nullptr;
    QAction* KeepModifiedLogFocusedAction = nullptr;

    QMenu* HelpMenu = nullptr;
    QAction* ContentsAction = nullptr;
    QAction* AboutSeparator = nullptr;
    QAction* AboutAction = nullptr;
};

// The monitor's view of the menu's check marks, read from the items.
class MainMenuChecks : public MenuChecks {
  public:
    explicit MainMenuChecks(const MainMenuItems& items) : items_(items) {}
    bool AllEntries() const override;
    bool GroupShown(int g) const override;
    bool KeepModifiedLogFocused() const override;
    bool OpenCloseLogsAutomatically() const override;
    bool WrapLongLines() const override;
    bool TerminalColours() const override;

  private:
    const MainMenuItems& items_;
};

// Fills the window's menu bar with every menu and item, captions, images,
// shortcut, initial check marks and access keys; connects no handler.
void BuildMainMenu(QMainWindow& window, MainMenuItems& items);

} // namespace marrowlight
