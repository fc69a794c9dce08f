#pragma once

#include "app/MainMenu.h"
#include "settings/OptionsView.h"
#include "settings/core/SettingsStore.h"

#include <QMainWindow>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QDBusConnection;
class QDialog;
class QLabel;
class QObject;
class QStatusBar;
class QTabWidget;
class QTimer;

namespace marrowlight {

class AutoOpenClose;
class Clock;
class CommandLine;
class FileDropTarget;
class LogTab;
class LogTabMenu;
class LogTabs;
class Notifier;
class OpenFileDialog;
class RecentFiles;
class HelpLauncher;
class JournalDialog;
class OptionsDialog;
enum class OptionsPage;
class Tray;
class UnseenCounts;
class UpdateCycle;

// The notice shown when the stay-on-top option was changed in the dialog.
QString StayOnTopMessage(bool nowOnTop);

// The main window. Creating it is CreateContents; the first show runs PrepareShow,
// the first activation HandleFirstActivation. Closing it (Exit, the close box, a
// termination signal) runs HandleClose and then SaveRecentFiles, which writes the
// recent files; a window destroyed without being closed still runs SaveRecentFiles.
// The Options dialog is created after the window and attached with
// AttachOptions(); the log tabs and the update cycle exist from then on.
class MainWindow : public QMainWindow, public MainMenuItems {
    Q_OBJECT

  public:
    // args[0] is the program path, as in argv.
    MainWindow(SettingsStore& store, std::vector<std::string> args, QWidget* parent = nullptr);
    ~MainWindow() override;

    void AttachOptions(OptionsDialog& options);

    SettingsStore& Store;
    const CommandLine& Cmd() const;
    LogTabs* Tabs() const { return tabs_.get(); }
    UpdateCycle* Cycle() const { return cycle_.get(); }
    AutoOpenClose* AutoOpen() const { return autoOpen_.get(); }

    // Controls, named (objectName) like the members.
    QTabWidget* TabWidget = nullptr;
    QStatusBar* StatusBar = nullptr;
    // Last read, lines, displayed, state; the last one stretches.
    std::array<QLabel*, 4> StatusPanels{};
    QTimer* PollTimer = nullptr;
    // A one-shot delay, armed again by every View change; running from creation.
    QTimer* ViewChangeTimer = nullptr;
    // Lives as long as the window and offers the last chosen file again.
    OpenFileDialog* OpenLogDialog = nullptr;
    // Lives as long as the window and offers the last choices again; run by ShowModal.
    JournalDialog* OpenJournalDialog = nullptr;
    RecentFiles& FileHistory() const { return *history_; }
    // Files dropped on the window open as "Open Log" opens them.
    FileDropTarget* FileDrop = nullptr;
    // The context menu of a log tab; exists with the log tabs.
    LogTabMenu* TabMenu() const { return tabMenu_.get(); }
    // Desktop notifications, unseen counts and the tray icon; exist with the log tabs.
    Notifier* Notices() const { return notifier_.get(); }
    UnseenCounts* Unseen() const { return unseen_.get(); }
    Tray* TrayIcon() const { return tray_.get(); }
    // Notifications go over this bus, timed by this clock (the session bus
    // and the wall clock by default).
    void UseNotificationBus(const QDBusConnection& bus, const Clock& clock);
    // Whether the person sees the window now: shown, not minimised, active.
    std::function<bool()> WindowActive;
    // Brings the window forward on the log, with the line of that arrival
    // number selected when it is still there.
    void ShowLogLine(const std::string& log, int32_t lineNo);
    // The current tab counts as looked at while the window is active.
    void LookAtCurrentTab();
    // Whether a log exists to be reopened; regular files by default.
    std::function<bool(const std::string& path)> LogExists;

    // Seams, each with a working default.
    // Shows a help topic ("Overview.htm", "Options.htm"); by default through
    // the window's help launcher.
    std::function<void(const QString& topic)> ShowHelpTopic;
    // Runs the open dialog; true when a file was chosen (OpenLogDialog->fileName).
    std::function<bool(OpenFileDialog& dialog)> RunOpenLogDialog;
    // Runs a modal box such as About or a question, and the Options dialog.
    std::function<int(QDialog& dialog)> ShowModal;

    // Cleared at creation, set by the update cycle at the end of every pass.
    bool FirstCycle = false;
    // True once the first activation has been handled; never reset.
    bool Activated = false;
    // The View states "0"/"1" in the order All, group 1, 2, 3; four blanks
    // until first recorded, so it differs from any real state.
    std::string ViewFilterSnapshot = "    ";

    bool StaysOnTop() const { return stayOnTop_; }

    // Public so tests and the event handlers below can drive them.
    void PrepareShow();
    void HandleFirstActivation();
    void HandleClose();
    // Writes the recent files; throws SettingsError when the store refuses.
    void SaveRecentFiles();
    // What closing runs: HandleClose, then SaveRecentFiles even when HandleClose
    // failed; the first failure is thrown afterwards.
    void CloseHandling();
    // Closes the window for a termination signal. Nobody may be there to answer
    // a message box, so a failure to save goes to standard error instead.
    // Returns the exit code: 0, or 1 when something could not be saved.
    int CloseForSignal();

    void ApplySwitchOverrides();
    void SetPollingInterval();
    void RecordViewFilterSnapshot();
    std::string ViewFilterStates() const;

    void RestoreWindowPlacement();
    void SaveWindowPlacement();

  public slots:
    void PollLogs();
    void ApplyViewChange();
    void UpdateFileMenu();
    void OpenLogFromDialog();
    void OpenJournalFromDialog();
    void ExitProgram();
    void CloseActiveLog();
    void CloseAllLogsFromMenu();
    void ToggleAutomaticMode();
    void OpenRecentFile(QAction* item);
    void UpdateViewMenu();
    void ToggleAllEntries();
    void ToggleGroup1();
    void ToggleGroup2();
    void ToggleGroup3();
    void ShowOptionsDialog();
    void ToggleKeepModifiedLogFocused();
    void ToggleWrapLongLines();
    void ShowHelpContents();
    void ShowAbout();
    void ReopenLastSession();
    void ToggleMuteAlerts();

  protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void DropTabUsers();
    void CreateControls();
    void ConnectHandlers();
    void RestartChangeDelay();
    // A whole polling pass (automatic opening included) at the next turn of
    // the event loop, while polling runs.
    void PollSoon();
    // The watched folders as typed in the Options dialog.
    QString WatchedFolderText() const;
    void ChooseStayOnTop();
    void PlaceInTopRightQuarter();
    // A failed write is handed back, so the accepted options still get applied.
    std::optional<SettingsError> StoreGroupCaptions();
    void ApplyOptionsResult();
    // What "Open Log" does with the chosen file; dropped files take this way too.
    void OpenLogByHand(const std::string& path);
    // A passing note over the panels, such as why a drop opened nothing.
    void ShowStatusMessage(const QString& text);
    // Shows the Options dialog, on `page` when given, and applies what Ok
    // accepted; `accepted` runs before a failure to store the settings is
    // thrown.
    void ShowOptions(std::optional<OptionsPage> page, const std::function<void()>& accepted = {});
    bool AskToDefineAutoOpenConditions();
    bool LookedAt(const LogTab& tab) const;
    void ApplyAlertOptions();

    std::unique_ptr<CommandLine> cmd_;
    MainMenuChecks menuChecks_{*this};
    // The dialog is only shown from here; its settings are read through the view.
    OptionsDialog* optionsDialog_ = nullptr;
    std::optional<OptionsView> options_;
    std::unique_ptr<LogTabs> tabs_;
    std::unique_ptr<AutoOpenClose> autoOpen_;
    std::unique_ptr<UpdateCycle> cycle_;
    std::unique_ptr<LogTabMenu> tabMenu_;
    std::unique_ptr<RecentFiles> history_;
    std::unique_ptr<HelpLauncher> help_;
    std::unique_ptr<Clock> clock_;
    std::unique_ptr<Notifier> notifier_;
    std::unique_ptr<UnseenCounts> unseen_;
    std::unique_ptr<Tray> tray_;
    bool stayOnTop_ = false;
    bool shown_ = false;
    bool destroyed_ = false;
    bool closingForSignal_ = false;
    int signalExitCode_ = 0;
};

} // namespace marrowlight
