#pragma once

#include "app/MainMenu.h"
#include "settings/core/SettingsStore.h"

#include <QMainWindow>
#include <QString>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QLabel;
class QObject;
class QStatusBar;
class QTabWidget;
class QTimer;

namespace marrowlight {

class CommandLine;
class LogTabs;
class TOptionsFrm;
class UpdateCycle;

// The polling interval in ms: 500 when logs are read on a change of their
// time stamp, else the chosen entry of the "update each" list (1 s when the
// index lies outside it).
int PollingInterval(bool updateOnChange, int updateEachIndex);

// The notice shown when the stay-on-top option was changed in the dialog.
QString StayOnTopMessage(bool nowOnTop);

// The main window. Creating it is FormCreate; the first show runs FormShow,
// the first activation FormActivate, closing FormClose, destruction FormDestroy.
// The Options dialog is created after the window and attached with
// AttachOptions(); the log tabs and the update cycle exist from then on.
class TVtMarrowlightFrm : public QMainWindow, public MainMenuItems {
    Q_OBJECT

  public:
    // args[0] is the program path, as in argv.
    TVtMarrowlightFrm(SettingsStore& store, std::vector<std::string> args,
                      QWidget* parent = nullptr);
    ~TVtMarrowlightFrm() override;

    void AttachOptions(TOptionsFrm& options);

    SettingsStore& Store;
    const CommandLine& Cmd() const;
    TOptionsFrm* OptionsFrm = nullptr;
    LogTabs* Tabs() const { return tabs_.get(); }
    UpdateCycle* Cycle() const { return cycle_.get(); }

    // Controls, named (objectName) like the members.
    QTabWidget* PageControl = nullptr;
    QStatusBar* StatusBar = nullptr;
    // Last read, lines, displayed, state; the last one stretches.
    std::array<QLabel*, 4> StatusPanels{};
    QTimer* UpdateListsTmr = nullptr;
    QTimer* ChangeDelayTmr = nullptr;

    // Cleared at creation, set by the update cycle at the end of every pass.
    bool FirstCycle = false;
    // True once the first activation has been handled; never reset.
    bool Activated = false;
    // The View states "0"/"1" in the order All, group 1, 2, 3; four blanks
    // until first recorded, so it differs from any real state.
    std::string ViewFilterSnapshot = "    ";

    bool StaysOnTop() const { return stayOnTop_; }

    // Public so tests and the event handlers below can drive them.
    void FormShow();
    void FormActivate();
    void FormClose();

    void ApplySwitchOverrides();
    void SetPollingInterval();
    void RecordViewFilterSnapshot();
    std::string ViewFilterStates() const;

    void RestoreWindowPlacement();
    void SaveWindowPlacement();

  public slots:
    void UpdateListsTmrTimer();
    void ChangeDelayTmrTimer();
    void ExitMnuClick();
    void CloseLogMnuClick();
    void CloseAllLogsMnuClick();
    void Options1MnuClick();

  protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void CreateControls();
    void ConnectHandlers();
    void ChooseStayOnTop();
    void PlaceInTopRightQuarter();
    // A failed write is handed back, so the accepted options still get applied.
    std::optional<SettingsError> StoreGroupCaptions();
    void ApplyOptionsResult();

    std::unique_ptr<CommandLine> cmd_;
    MainMenuChecks menuChecks_{*this};
    std::unique_ptr<LogTabs> tabs_;
    std::unique_ptr<UpdateCycle> cycle_;
    bool stayOnTop_ = false;
    bool shown_ = false;
};

} // namespace marrowlight
