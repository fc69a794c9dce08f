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
#include <unordered_set>
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
    changed_.clear(); // every log is looked at now
    taken_.clear();

    const int count = tabs_.Count();
    for (int i = 0; i < count; ++i)
        if (LogTab* tab = tabs_.Tab(i); tab && !LogReader::Loading(tab->Page)) {
            if (tab->Pump)
                tab->Pump->Poll();
            PassOneTab(*tab, alerts);
        }

    // Before the automatic opening, whose new logs come to the front.
    focus_->PassEnded();
    tabs_.ActiveTabChanged();
    // Before the automatic closing, which may take a tab away.
    HandOutTakenLines();
    if (tabs_.Menu().OpenCloseLogsAutomatically() && AutoOpenClosePass) {
        std::unordered_set<const LogTab*> before;
        for (int i = 0; i < tabs_.Count(); ++i)
            before.insert(tabs_.Tab(i));
        AutoOpenClosePass();
        for (int i = 0; i < tabs_.Count(); ++i)
            if (const LogTab* tab = tabs_.Tab(i); tab && !before.count(tab))
                ReadSoon(tab->FileName());
    }
    firstCycle_ = true;
    WatchOpenLogs();
    rhythm_->Raise(alerts);
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

// Only the log that received lines last keeps the new-lines image.
void UpdateCycle::ShowNewLines(LogTab& tab) {
    tabs_.MarkNewLines(tab);
    if (tabs_.Menu().KeepModifiedLogFocused())
        focus_->Modified(tab);
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
    if (Loading() && !loadTimer_.isActive())
        loadTimer_.start(0);
    ShowBusyCursor();
}

// While a load goes on between slices the window answers, which the busy
// pointer tells; the wait cursor stays for the slices themselves.
void UpdateCycle::ShowBusyCursor() {
    const bool loading = Loading();
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
        ShowBusyCursor();
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
    focus_->PassEnded();
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
    ShowBusyCursor();
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
    const std::set<std::string> changed = std::exchange(changed_, {});
    Alerts alerts{};
    taken_.clear();
    for (int i = 0; i < tabs_.Count(); ++i)
        if (LogTab* tab = tabs_.Tab(i);
            tab && changed.count(tab->FileName()) && !LogReader::Loading(tab->Page))
            PassOneTab(*tab, alerts);
    focus_->PassEnded();
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
    WatchOpenLogs();
}

void UpdateCycle::WatchOpenLogs() {
    std::vector<std::string> paths;
    if (!watching_) {
        watcher_->Watch(paths);
        return;
    }
    // A produced log learns of its text from its producer.
    for (int i = 0; i < tabs_.Count(); ++i)
        if (const LogTab* tab = tabs_.Tab(i); tab && !tab->Pump)
            paths.push_back(tab->FileName());
    watcher_->Watch(paths);
}

} // namespace marrowlight
