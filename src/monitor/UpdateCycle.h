#pragma once

#include "monitor/core/LogReader.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

class QMainWindow;

namespace marrowlight {

class AlertRhythm;
class Clock;
class FileSource;
class FocusKeeper;
class LogReader;
class LogTab;
class LogTabs;
class LogWatcher;
class StatusProgress;

// The body of PollLogs: one polling pass over the log tabs (a log the
// kernel reports changes of only in its turn, every CoveredPollMs), then
// the automatic open and close, then the group alerts, then the timer again.
//
// Two more kinds of work run from the event loop, never inside a pass:
// - A large bulk load is read in slices of about 30 ms, one per turn of the
//   event loop, so the window repaints, scrolls and answers its menus
//   meanwhile. Passes leave a loading log alone; the others are followed.
// - A log the kernel reports as changed gets a pass of its own within
//   milliseconds: its lines, tab image and status texts as a polling pass
//   would give them, its alerts kept to the polling rhythm (AlertRhythm). It
//   waits until polling has started. A log just opened or reloaded gets
//   such a pass too (ReadSoon), so its rows show at once, not an interval
//   later. Thousands of such logs are read a slice at a time.
// Work asked for while other work runs (from an event loop nested in it) is
// deferred until that ends, so no two ever run on the same logs at once.
class UpdateCycle : public QObject {
    Q_OBJECT

  public:
    // Time a load reads before it shows what it read and gives the event
    // loop a turn: with the filtering and the new rows, about 30 ms a slice.
    static constexpr int LoadSliceMs = 20;
    // Changed-log passes of a log written without pause come no closer.
    static constexpr int ChangedPassGapMs = 10;
    // How often polling looks at a log the kernel reports changes of.
    static constexpr int CoveredPollMs = 10'000;

    // clock and files default to the wall clock and the real file system.
    UpdateCycle(LogTabs& tabs, QMainWindow& window, QTimer& pollTimer, bool& firstCycle,
                const Clock* clock = nullptr, const FileSource* files = nullptr);
    ~UpdateCycle() override;

    void Pass();
    // The log at this path is read in a pass of its own at once (it was
    // opened, or reset to be read again), not at the next polling pass.
    void ReadSoon(const std::string& path);
    // The same for every open log (all were reloaded).
    void ReadAllSoon();
    // Some log's bulk load is still under way.
    bool Loading() const;
    // Ends every load under way (the window closes); those logs would be
    // read again from their start.
    void StopLoads();

    // Run after the logs when AutomaticModeAction is checked; the
    // main window fills it once automatic opening exists.
    std::function<void()> AutoOpenClosePass;

    // A log that took lines of some group in a pass, with what the pass read;
    // the tab lives at least until the call below returns.
    struct TakenLines {
        LogTab* Tab = nullptr;
        PassOutcome Outcome;
    };
    // Run at the end of a pass that took lines of some group, with those
    // logs in tab order: alerts beyond the sound.
    std::function<void(const std::vector<TakenLines>&)> GroupLinesTaken;
    // While it answers true, group alerts play no sound.
    std::function<bool()> AlertsMuted;

    // For tests: slices and blocks of other sizes.
    LogReader& Reader() const { return *reader_; }
    FocusKeeper& Focus() const { return *focus_; }
    // Polling alone when off, as before notifications: benchmarks compare.
    void SetWatching(bool on);

  signals:
    // Logs the kernel reported as changed were left for the next polling
    // pass, since polling is stopped.
    void ChangesHeld();

  private:
    using Alerts = std::array<bool, 3>;
    class Scope;
    void PassOneTab(LogTab& tab, Alerts& alerts);
    // What a pass or a slice read becomes in the tab; follow: the list was
    // scrolled to its end before.
    void ShowOutcome(LogTab& tab, const PassOutcome& outcome, Alerts& alerts, bool follow);
    void ShowNewLines(LogTab& tab);
    // The last log that took lines gets the new-lines image; then the focus.
    void EndTabsPass();
    void ContinueLoads();
    LogTab* NextLoadingTab() const;
    void KeepLoading();
    void ShowBusyCursor(bool loading);
    void LogChanged(const std::string& path);
    void PassChangedLogs();
    void WatchOpenLogs();
    void HandOutTakenLines();

    LogTabs& tabs_;
    QMainWindow& window_;
    QTimer& timer_;
    bool& firstCycle_;
    std::unique_ptr<Clock> ownClock_;
    std::unique_ptr<FileSource> ownFiles_;
    std::unique_ptr<FileSource> sources_; // produced logs over the files
    std::unique_ptr<StatusProgress> progress_;
    std::unique_ptr<LogReader> reader_;
    std::unique_ptr<AlertRhythm> rhythm_;
    std::unique_ptr<LogWatcher> watcher_;
    std::unique_ptr<FocusKeeper> focus_;
    bool watching_ = true;
    std::optional<unsigned> watchedVersion_; // of the tabs the watcher has

    bool busy_ = false;         // a pass or a slice runs
    unsigned passes_ = 0;       // polling passes so far
    bool passDeferred_ = false; // a pass waits for the running work to end
    QTimer loadTimer_;          // one slice per turn of the event loop
    bool busyCursor_ = false;
    std::set<std::string> changed_; // paths the kernel reported since the last pass
    QTimer changedTimer_;
    QElapsedTimer sinceChangedPass_;
    std::vector<TakenLines> taken_; // by the pass under way
    QPointer<LogTab> lastNewLines_; // by the pass under way
};

} // namespace marrowlight
