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

    QMenu* FileMnu = nullptr;
    QAction* OpenLogMnu = nullptr;
    QAction* CloseLogMnu = nullptr;
    QAction* CloseAllLogsMnu = nullptr;
    QAction* N3 = nullptr;
    QAction* OpenCloseLogsAutomaticallyMnu = nullptr;
    QAction* N4 = nullptr; // the recent files go right before this separator
    QAction* N2 = nullptr;
    QAction* ExitMnu = nullptr;

    QMenu* ViewMnu = nullptr;
    QAction* AllEntriesMnu = nullptr;
    QAction* N1 = nullptr;
    QAction* InformationMnu = nullptr; // group 1 filter
    QAction* WarningsMnu = nullptr;    // group 2 filter
    QAction* ErrorsMnu = nullptr;      // group 3 filter

    QMenu* OptionsMnu = nullptr;
    QAction* Options1Mnu = nullptr;
    QAction* N6 = nullptr;
    QAction* KeepModifedLogFocusedMnu = nullptr;

    QMenu* HelpMnu = nullptr;
    QAction* ContentsMnu = nullptr;
    QAction* N5 = nullptr;
    QAction* AboutMnu = nullptr;
};

// The monitor's view of the menu's check marks, read from the items.
class MainMenuChecks : public MenuChecks {
  public:
    explicit MainMenuChecks(const MainMenuItems& items) : items_(items) {}
    bool AllEntries() const override;
    bool GroupShown(int g) const override;
    bool KeepModifedLogFocused() const override;
    bool OpenCloseLogsAutomatically() const override;

  private:
    const MainMenuItems& items_;
};

// Fills the window's menu bar with every menu and item, captions, images,
// shortcut, initial check marks and access keys; connects no handler.
void BuildMainMenu(QMainWindow& window, MainMenuItems& items);

} // namespace marrowlight
