#include "monitor/UpdateCycle.h"

#include "monitor/AlertRhythm.h"
#include "monitor/FocusKeeper.h"
#include "monitor/LineDrawer.h"
#include "monitor/LiveViewSettings.h"
#include "monitor/LogListModel.h"
#include "monitor/LogListView.h"
#include "monitor/LogTab.h"
#include "monitor/LogTabs.h"
#include "monitor/LogWatcher.h"
#include "monitor/MenuChecks.h"
#include "monitor/MenuImages.h"
#include "monitor/ProducerPump.h"
#include "monitor/core/FileSource.h"
#include "monitor/core/LogReader.h"
#include "monitor/core/ProducedSources.h"

#include <QApplication>
#include <QMainWindow>
#include <algorithm>
#include <chrono>
#include <utility>
#include <vector>

namespace marrowlight {

// Progress goes straight to the status bar, repainted at once: a chunk read
// at once keeps the event loop from painting it. A small chunk shows neither
// texts nor the wait cursor: it is read before anyone could see them, and
// since a write brings a pass of its own they would only make the bar and
// the pointer flicker with every line.
class StatusProgress : public PassProgress {
  public:
    // About a millisecond of reading.
    static constexpr uint64_t ShownFromBytes = uint64_t{1} << 20;

    explicit StatusProgress(StatusBarPanels& panels) : panels_(panels) {}
    ~StatusProgress() override { RestoreCursor(); }

    void ShowProgress(const std::string& text, bool clearOthers) override {
        if (!shown_)
            return;
        if (clearOthers)
            for (int panel = 0; panel < 3; ++panel)
                panels_.Show(panel, QString());
        panels_.Show(3, QString::fromStdString(text));
        panels_.RepaintNow();
    }
    void ChunkStarted(uint64_t bytes) override {
        shown_ = bytes >= ShownFromBytes;
        if (!shown_)
            return;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ++cursors_;
    }
    void ChunkEnded() override {
        shown_ = false;
        if (cursors_ > 0) {
            QApplication::restoreOverrideCursor();
            --cursors_;
        }
    }
    // A chunk cut short by an exception must not leave the wait cursor up.
    void RestoreCursor() {
        while (cursors_ > 0)
            ChunkEnded();
    }

  private:
    StatusBarPanels& panels_;
    int cursors_ = 0;
    bool shown_ = false;
};

// Marks the cycle busy for one piece of work; afterwards, also after an
// exception, no wait cursor is left up and a load under way goes on.
class UpdateCycle::Scope {
  public:
    explicit Scope(UpdateCycle& cycle) : cycle_(cycle) { cycle_.busy_ = true; }
    ~Scope() {
        cycle_.busy_ = false;
        cycle_.progress_->RestoreCursor();
        cycle_.KeepLoading();
    }
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

  private:
    UpdateCycle& cycle_;
};

namespace {

// Polling must go on even when a pass ends in an exception.
class TimerRestart {
  public:
    explicit TimerRestart(QTimer& timer) : timer_(timer) {}
    ~TimerRestart() { timer_.start(); }

  private:
    QTimer& timer_;
};

} // namespace

UpdateCycle::UpdateCycle(LogTabs& tabs, QMainWindow& window, QTimer& pollTimer, bool& firstCycle,
                         const Clock* clock, const FileSource* files)
    : tabs_(tabs), window_(window), timer_(pollTimer), firstCycle_(firstCycle) {
    if (!clock) {
        ownClock_ = std::make_unique<SystemClock>();
        clock = ownClock_.get();
    }
    if (!files) {
        ownFiles_ = std::make_unique<PosixFileSource>();
        files = ownFiles_.get();
    }
    progress_ = std::make_unique<StatusProgress>(tabs_.Status());
    sources_ = std::make_unique<ProducedSources>(tabs_.Produced(), *files);
    reader_ = std::make_unique<LogReader>(*sources_, tabs_.Settings(), *clock, *progress_);
    reader_->SetSliceBudget(std::chrono::milliseconds(LoadSliceMs));
    rhythm_ = std::make_unique<AlertRhythm>([this] { return timer_.interval(); },
                                            [this](int group) {
                                                if (!AlertsMuted || !AlertsMuted())
                                                    tabs_.Options().Group(group).PlayAlert();
                                            });
    watcher_ = std::make_unique<LogWatcher>([this](const std::string& path) { LogChanged(path); });
    focus_ = std::make_unique<FocusKeeper>(tabs_, window_);

    connect(&loadTimer_, &QTimer::timeout, this, [this] { ContinueLoads(); });
    connect(&tabs_, &LogTabs::ProducedLogChanged, this,
            [this](const std::string& address) { LogChanged(address); });
    connect(&tabs_, &LogTabs::LogAdded, this,
            [this](const std::string& address) { ReadSoon(address); });
    changedTimer_.setSingleShot(true);
    changedTimer_.setTimerType(Qt::PreciseTimer);
    connect(&changedTimer_, &QTimer::timeout, this, [this] { PassChangedLogs(); });
    sinceChangedPass_.start();
}

UpdateCycle::~UpdateCycle() {
    if (busyCursor_)
        QApplication::restoreOverrideCursor();
}

void UpdateCycle::Pass() {
    if (busy_) {
        // Asked for from an event loop nested in running work: once that
        // work is done, not inside it.
        if (!std::exchange(passDeferred_, true))
            QTimer::singleShot(0, this, [this] {
                passDeferred_ = false;
                Pass();
            });
        return;
    }
    Scope scope(*this);
    timer_.stop();
    TimerRestart restart(timer_);
    Alerts alerts{};
    taken_.clear();

    // A log the kernel tells about is read when it tells; polling looks at
    // each such log only every few seconds, in turn, in case a write came
    // unannounced (through a shared mapping, say). A log not read since it
    // was opened or reset is read; "Update each" reads all.
    watcher_->TakeEvents();
    const bool pollAll = !firstCycle_ || tabs_.Options().UpdateForced();
    const auto coveredEvery = unsigned(std::max(1, CoveredPollMs / std::max(1, timer_.interval())));
    ++passes_;
    // Past a slice's time, the logs left are read in slices of their own.
    QElapsedTimer slice;
    slice.start();
    const int count = tabs_.Count();
    for (int i = 0; i < count; ++i)
        if (LogTab* tab = tabs_.Tab(i); tab && !LogReader::Loading(tab->Page)) {
            if (tab->Pump)
                tab->Pump->Poll();
            else if (!pollAll && tab->Page.FileStamp &&
                     (passes_ + unsigned(i)) % coveredEvery != 0 &&
                     !changed_.count(tab->FileName()) && watcher_->Covers(tab->FileName()))
                continue;
            if (slice.elapsed() >= LoadSliceMs) {
                changed_.insert(tab->FileName());
                continue;
            }
            changed_.erase(tab->FileName());
            PassOneTab(*tab, alerts);
        }

    // Before the automatic opening, whose new logs come to the front.
    EndTabsPass();
    tabs_.ActiveTabChanged();
    // Before the automatic closing, which may take a tab away.
    HandOutTakenLines();
    if (tabs_.Menu().OpenCloseLogsAutomatically() && AutoOpenClosePass)
        AutoOpenClosePass();
    firstCycle_ = true;
    WatchOpenLogs();
    rhythm_->Raise(alerts);
    if (!changed_.empty() && !changedTimer_.isActive())
        changedTimer_.start(0);
}

void UpdateCycle::PassOneTab(LogTab& tab, Alerts& alerts) {
    const bool follow = tab.ShowsLastItem();
    const bool leftBehindRead = tab.Page.LeftBehindRead;
    const PassOutcome outcome = reader_->Pass(tab.Page, tab.Model());
    ShowOutcome(tab, outcome, alerts, follow);
    // A reset log, or one whose rotated file was read to its end, is read
    // from its new start by the next pass: at once, rather than when polling
    // or another write comes.
    if (outcome.Result == PassResult::Reset || (!leftBehindRead && tab.Page.LeftBehindRead))
        LogChanged(tab.FileName());
}

void UpdateCycle::ShowOutcome(LogTab& tab, const PassOutcome& outcome, Alerts& alerts,
                              bool follow) {
    if (tab.Pump)
        if (std::string state = tab.Pump->StateText(); !state.empty())
            tab.Page.StateText = std::move(state);
    if (outcome.Unreadable())
        tabs_.SetTabImage(tab, MenuImageIndex::Unreadable);
    if (outcome.Result == PassResult::Appended) {
        for (int g = 0; g < 3; ++g)
            alerts[g] = alerts[g] || outcome.Alerts[g];
        ShowNewLines(tab);
        if (outcome.Alerts != Alerts{})
            taken_.push_back({&tab, outcome});
    }
    const bool loading = outcome.Result == PassResult::Loading;
    if (outcome.LinesRead() || loading) {
        tab.SetExtentWidth(tabs_.Drawer().ExtentWidth(tab.ListFont(), tab.Page.MaxLineLen));
        // While a load goes on, the newest rows stay in view unless the
        // list was scrolled away from them; its end selects them anyway.
        if (!tabs_.Options().LastEntriesAtTop() && (!loading || follow))
            tab.SelectLastItem();
    }
}

// Only the log that received lines last keeps the new-lines image: it is
// given once the pass ends, since every new icon lays the tab bar out again.
void UpdateCycle::ShowNewLines(LogTab& tab) {
    lastNewLines_ = &tab;
    if (tabs_.Menu().KeepModifiedLogFocused())
        focus_->Modified(tab);
}

void UpdateCycle::EndTabsPass() {
    if (lastNewLines_)
        tabs_.MarkNewLines(*lastNewLines_);
    lastNewLines_ = nullptr;
    focus_->PassEnded();
}

bool UpdateCycle::Loading() const {
    return NextLoadingTab() != nullptr;
}

// The log on screen first, then the others in tab order.
LogTab* UpdateCycle::NextLoadingTab() const {
    if (LogTab* active = tabs_.ActiveTab(); active && LogReader::Loading(active->Page))
        return active;
    for (int i = 0; i < tabs_.Count(); ++i)
        if (LogTab* tab = tabs_.Tab(i); tab && LogReader::Loading(tab->Page))
            return tab;
    return nullptr;
}

void UpdateCycle::KeepLoading() {
    const bool loading = Loading();
    if (loading && !loadTimer_.isActive())
        loadTimer_.start(0);
    ShowBusyCursor(loading);
}

// While a load goes on between slices the window answers, which the busy
// pointer tells; the wait cursor stays for the slices themselves.
void UpdateCycle::ShowBusyCursor(bool loading) {
    if (loading && !busyCursor_)
        QApplication::setOverrideCursor(Qt::BusyCursor);
    else if (!loading && busyCursor_)
        QApplication::restoreOverrideCursor();
    busyCursor_ = loading;
}

void UpdateCycle::ContinueLoads() {
    if (busy_)
        return; // the timer comes again
    LogTab* tab = NextLoadingTab();
    if (!tab) {
        // The tab closed or was reset.
        loadTimer_.stop();
        ShowBusyCursor(Loading());
        return;
    }
    Scope scope(*this);
    const bool follow = tab->ShowsLastItem();
    PassOutcome outcome;
    try {
        outcome = reader_->Pass(tab->Page, tab->Model());
    } catch (...) {
        // Not again on every turn of the event loop: the next pass starts
        // the log over.
        tabs_.ResetLog(*tab);
        throw;
    }
    Alerts none{};
    ShowOutcome(*tab, outcome, none, follow);
    EndTabsPass();
    if (!LogReader::Loading(tab->Page)) {
        tabs_.ActiveTabChanged();
        // What was written while it loaded is read now, not an interval later.
        LogChanged(tab->FileName());
    }
}

void UpdateCycle::StopLoads() {
    for (int i = 0; i < tabs_.Count(); ++i)
        if (LogTab* tab = tabs_.Tab(i); tab && LogReader::Loading(tab->Page))
            tabs_.ResetLog(*tab);
    loadTimer_.stop();
    ShowBusyCursor(Loading());
}

void UpdateCycle::LogChanged(const std::string& path) {
    changed_.insert(path);
    if (changedTimer_.isActive())
        return; // bursts are taken together
    const qint64 wait = ChangedPassGapMs - sinceChangedPass_.elapsed();
    changedTimer_.start(static_cast<int>(std::max<qint64>(0, wait)));
}

void UpdateCycle::PassChangedLogs() {
    if (changed_.empty())
        return;
    if (busy_) {
        changedTimer_.start(ChangedPassGapMs);
        return;
    }
    // Polling has not started yet (the window was not activated); its first
    // pass reads these logs.
    if (!timer_.isActive()) {
        emit ChangesHeld();
        return;
    }
    Scope scope(*this);
    Alerts alerts{};
    taken_.clear();
    // Thousands of logs written at once are read a slice at a time, the
    // window answering in between. A log read here may ask for another pass.
    std::set<std::string> pending = std::exchange(changed_, {});
    QElapsedTimer slice;
    slice.start();
    bool sliced = false;
    for (int i = 0; i < tabs_.Count() && !pending.empty() && !sliced; ++i) {
        LogTab* tab = tabs_.Tab(i);
        if (!tab || !pending.erase(tab->FileName()) || LogReader::Loading(tab->Page))
            continue;
        PassOneTab(*tab, alerts);
        sliced = slice.elapsed() >= LoadSliceMs;
    }
    // Paths no tab holds any more are dropped once every tab was looked at.
    if (sliced && !pending.empty()) {
        changed_.merge(pending);
        changedTimer_.start(0);
    }
    EndTabsPass();
    tabs_.ActiveTabChanged();
    rhythm_->Raise(alerts);
    sinceChangedPass_.restart();
    HandOutTakenLines();
}

void UpdateCycle::HandOutTakenLines() {
    const std::vector<TakenLines> taken = std::exchange(taken_, {});
    if (!taken.empty() && GroupLinesTaken)
        GroupLinesTaken(taken);
}

void UpdateCycle::ReadSoon(const std::string& path) {
    LogChanged(path);
}

void UpdateCycle::ReadAllSoon() {
    for (int i = 0; i < tabs_.Count(); ++i)
        if (const LogTab* tab = tabs_.Tab(i))
            LogChanged(tab->FileName());
}

void UpdateCycle::SetWatching(bool on) {
    watching_ = on;
    watchedVersion_.reset();
    WatchOpenLogs();
}

void UpdateCycle::WatchOpenLogs() {
    std::vector<std::string> paths;
    if (!watching_) {
        watcher_->Watch(paths);
        return;
    }
    // The same logs, every one with its watches: nothing to hand over.
    if (watchedVersion_ == tabs_.TabSetVersion() && watcher_->Armed())
        return;
    watchedVersion_ = tabs_.TabSetVersion();
    // A produced log learns of its text from its producer.
    for (int i = 0; i < tabs_.Count(); ++i)
        if (const LogTab* tab = tabs_.Tab(i); tab && !tab->Pump)
            paths.push_back(tab->FileName());
    watcher_->Watch(paths);
}

} // namespace marrowlight
