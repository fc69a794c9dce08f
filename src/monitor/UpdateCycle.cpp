#include "monitor/UpdateCycle.h"

#include "monitor/ItemsLBxDrawItem.h"
#include "monitor/LiveViewSettings.h"
#include "monitor/LogListModel.h"
#include "monitor/LogListView.h"
#include "monitor/LogTab.h"
#include "monitor/LogTabs.h"
#include "monitor/MenuImages.h"
#include "monitor/core/FileSource.h"
#include "monitor/core/LogReader.h"
#include "settings/TOptionsFrm.h"

#include <QApplication>
#include <QComboBox>
#include <QMainWindow>
#include <QTimer>

namespace marrowlight {

// Progress goes straight to the status bar, repainted at once, since the
// event loop does not run while a chunk is read.
class StatusProgress : public PassProgress {
  public:
    explicit StatusProgress(StatusBarPanels& panels) : panels_(panels) {}
    ~StatusProgress() override { RestoreCursor(); }

    void ShowProgress(const std::string& text, bool clearOthers) override {
        if (clearOthers)
            for (int panel = 0; panel < 3; ++panel)
                panels_.Show(panel, QString());
        panels_.Show(3, QString::fromStdString(text));
        panels_.RepaintNow();
    }
    void ChunkStarted() override {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ++cursors_;
    }
    void ChunkEnded() override {
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
};

namespace {

// Polling must go on even when a pass ends in an exception.
class TimerRestart {
  public:
    TimerRestart(QTimer& timer, StatusProgress& progress) : timer_(timer), progress_(progress) {}
    ~TimerRestart() {
        progress_.RestoreCursor();
        timer_.start();
    }

  private:
    QTimer& timer_;
    StatusProgress& progress_;
};

} // namespace

UpdateCycle::UpdateCycle(LogTabs& tabs, QMainWindow& window, QTimer& updateListsTmr,
                         bool& firstCycle, const Clock* clock, const FileSource* files)
    : tabs_(tabs), window_(window), timer_(updateListsTmr), firstCycle_(firstCycle) {
    if (!clock) {
        ownClock_ = std::make_unique<SystemClock>();
        clock = ownClock_.get();
    }
    if (!files) {
        ownFiles_ = std::make_unique<PosixFileSource>();
        files = ownFiles_.get();
    }
    progress_ = std::make_unique<StatusProgress>(tabs_.Status());
    reader_ = std::make_unique<LogReader>(*files, tabs_.Settings(), *clock, *progress_);
}

UpdateCycle::~UpdateCycle() = default;

void UpdateCycle::Pass() {
    timer_.stop();
    TimerRestart restart(timer_, *progress_);
    Alerts alerts{};

    const int count = tabs_.Count();
    for (int i = 0; i < count; ++i)
        if (LogTab* tab = tabs_.Tab(i))
            PassOneTab(*tab, alerts);

    tabs_.PageControlChange();
    if (tabs_.Settings().OpenCloseLogsAutomatically() && AutoOpenClosePass)
        AutoOpenClosePass();
    firstCycle_ = true;
    SoundAlerts(alerts);
}

void UpdateCycle::PassOneTab(LogTab& tab, Alerts& alerts) {
    const PassOutcome outcome = reader_->Pass(tab.Page, tab.Model());
    if (outcome.Unreadable())
        tabs_.SetTabImage(tab, MenuImageIndex::Unreadable);
    if (outcome.Result == PassResult::Appended) {
        for (int g = 0; g < 3; ++g)
            alerts[g] = alerts[g] || outcome.Alerts[g];
        ShowNewLines(tab);
    }
    if (outcome.LinesRead()) {
        tab.SetExtentWidth(tabs_.Drawer().ExtentWidth(tab.ItemsLBx()->font(), tab.Page.MaxLineLen));
        if (!tabs_.Settings().LastEntriesAtTop())
            tab.SelectLastItem();
    }
}

// Only the log that received lines last keeps the new-lines image.
void UpdateCycle::ShowNewLines(LogTab& tab) {
    for (int i = 0; i < tabs_.Count(); ++i) {
        LogTab* other = tabs_.Tab(i);
        if (other && other->Image == MenuImageIndex::NewLines)
            tabs_.SetTabImage(*other, MenuImageIndex::NormalLog);
    }
    tabs_.SetTabImage(tab, MenuImageIndex::NewLines);
    if (!tabs_.Settings().KeepModifedLogFocused())
        return;
    tabs_.Activate(tab);
    if (tabs_.Settings().RestoreWindow() && window_.isMinimized())
        window_.showNormal();
}

void UpdateCycle::SoundAlerts(const Alerts& alerts) {
    TOptionsFrm& options = tabs_.Options();
    QComboBox* const lists[3] = {options.Group1SoundCBx, options.Group2SoundCBx,
                                 options.Group3SoundCBx};
    for (int g = 0; g < 3; ++g)
        if (alerts[g] && lists[g] && lists[g]->currentIndex() >= 0)
            options.DoTestBeep(lists[g]);
}

} // namespace marrowlight
