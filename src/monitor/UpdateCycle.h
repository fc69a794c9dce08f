#pragma once

#include <array>
#include <functional>
#include <memory>

class QMainWindow;
class QTimer;

namespace marrowlight {

class Clock;
class FileSource;
class LogReader;
class LogTab;
class LogTabs;
class StatusProgress;

// The body of UpdateListsTmrTimer: one polling pass over every log tab, then
// the automatic open and close, then the group alerts, then the timer again.
class UpdateCycle {
  public:
    // clock and files default to the wall clock and the real file system.
    UpdateCycle(LogTabs& tabs, QMainWindow& window, QTimer& updateListsTmr, bool& firstCycle,
                const Clock* clock = nullptr, const FileSource* files = nullptr);
    ~UpdateCycle();

    void Pass();

    // Run after the logs when OpenCloseLogsAutomaticallyMnu is checked; the
    // main window fills it once automatic opening exists.
    std::function<void()> AutoOpenClosePass;

  private:
    using Alerts = std::array<bool, 3>;
    void PassOneTab(LogTab& tab, Alerts& alerts);
    void ShowNewLines(LogTab& tab);
    void SoundAlerts(const Alerts& alerts);

    LogTabs& tabs_;
    QMainWindow& window_;
    QTimer& timer_;
    bool& firstCycle_;
    std::unique_ptr<Clock> ownClock_;
    std::unique_ptr<FileSource> ownFiles_;
    std::unique_ptr<StatusProgress> progress_;
    std::unique_ptr<LogReader> reader_;
};

} // namespace marrowlight
