#include "monitor/LogTabs.h"

#include "monitor/FindBar.h"
#include "monitor/LineDrawer.h"
#include "monitor/LiveViewSettings.h"
#include "monitor/LogListModel.h"
#include "monitor/LogListView.h"
#include "monitor/LogTab.h"
#include "monitor/MenuImages.h"
#include "support/core/PathUtils.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTabWidget>

namespace marrowlight {

namespace {

// Logs of a batch added within the call, whatever the time they take.
constexpr int AddedAtOnce = 16;

} // namespace

LogTabs::LogTabs(QTabWidget& pageControl, QWidget& statusBar, const std::array<QLabel*, 4>& panels,
                 const OptionsView& options, const MenuChecks& menu, QObject* parent)
    : QObject(parent), pageControl_(pageControl), status_(panels, &statusBar), options_(options),
      menu_(menu), settings_(std::make_unique<LiveViewSettings>(options, menu)),
      drawer_(std::make_unique<LineDrawer>(*settings_)) {
    connect(&pageControl_, &QTabWidget::currentChanged, this, [this] { ActiveTabChanged(); });
    addTimer_.setSingleShot(true);
    addTimer_.setInterval(0);
    connect(&addTimer_, &QTimer::timeout, this, [this] { AddQueued(); });
}

LogTabs::~LogTabs() {
    // Pages draw through drawer_, which goes with this object. Removed from
    // the last with the first current and the bar hidden, no removal lays
    // out the tabs left or makes another page current: thousands of tabs
    // close at once.
    QSignalBlocker block(&pageControl_);
    pageControl_.setCurrentIndex(0);
    QTabBar* bar = pageControl_.tabBar();
    const bool barShown = bar->isVisible();
    if (barShown)
        bar->hide();
    while (pageControl_.count() > 0) {
        const int last = pageControl_.count() - 1;
        QWidget* page = pageControl_.widget(last);
        pageControl_.removeTab(last);
        delete page;
    }
    if (barShown)
        bar->show();
}

int LogTabs::Count() const {
    return pageControl_.count();
}

LogTab* LogTabs::Tab(int index) const {
    return qobject_cast<LogTab*>(pageControl_.widget(index));
}

LogTab* LogTabs::ActiveTab() const {
    return qobject_cast<LogTab*>(pageControl_.currentWidget());
}

int LogTabs::IndexOf(const LogTab& tab) const {
    return pageControl_.indexOf(const_cast<LogTab*>(&tab));
}

void LogTabs::Activate(LogTab& tab) {
    pageControl_.setCurrentWidget(&tab);
}

void LogTabs::SetTabImage(LogTab& tab, MenuImageIndex image) {
    // Following a busy log sets the same image pass after pass; each new
    // icon would lay the tab bar out and paint it again.
    if (tab.Image == image)
        return;
    tab.Image = image;
    const int index = IndexOf(tab);
    if (index >= 0)
        pageControl_.setTabIcon(index, TabIcon(image));
}

void LogTabs::MarkNewLines(LogTab& tab) {
    if (newLines_ && newLines_ != &tab && newLines_->Image == MenuImageIndex::NewLines)
        SetTabImage(*newLines_, MenuImageIndex::NormalLog);
    newLines_ = &tab;
    SetTabImage(tab, MenuImageIndex::NewLines);
}

const QIcon& LogTabs::TabIcon(MenuImageIndex image) {
    auto [it, added] = icons_.try_emplace(image);
    if (added)
        it->second = MenuImage(image);
    return it->second;
}

const QFont& LogTabs::ListFont() {
    const QString face = options_.FontFace();
    const int size = options_.FontSize();
    if (fontSize_ < 0 || face != fontFace_ || size != fontSize_) {
        fontFace_ = face;
        fontSize_ = size;
        font_ = QFont(face);
        font_.setPointSize(size > 0 ? size : 8);
    }
    return font_;
}

void LogTabs::OpenLog(const std::string& path) {
    for (int i = 0; i < Count(); ++i) {
        LogTab* tab = Tab(i);
        if (tab && SamePath(tab->Page.FileName, path)) {
            Activate(*tab);
            return;
        }
    }
    AddLog(path);
}

void LogTabs::AddLog(const std::string& path) {
    Activate(Insert(path));
}

void LogTabs::AddLogs(const std::vector<std::string>& paths) {
    for (const std::string& path : paths)
        if (queued_.insert(path).second)
            queue_.push_back(path);
    if (queue_.empty() || addTimer_.isActive())
        return;
    // A handful of logs are there when the call returns, however slow the
    // first of them is to add.
    for (int added = 1; added < AddedAtOnce && queue_.size() > 1; ++added) {
        const std::string path = std::move(queue_.front());
        queue_.pop_front();
        queued_.erase(path);
        Insert(path);
    }
    AddQueued();
}

void LogTabs::AddQueued() {
    QElapsedTimer clock;
    clock.start();
    LogTab* last = nullptr;
    while (!queue_.empty() && (!last || clock.elapsed() < AddSliceMs)) {
        const std::string path = std::move(queue_.front());
        queue_.pop_front();
        queued_.erase(path);
        last = &Insert(path);
    }
    if (!queue_.empty()) {
        addTimer_.start();
        return;
    }
    if (last)
        Activate(*last);
}

LogTab& LogTabs::Insert(const std::string& path) {
    auto* tab = new LogTab(path, *drawer_);
    tab->NewestAtTop = [this] { return options_.LastEntriesAtTop(); };
    connect(tab, &LogTab::StatusMessage, this, &LogTabs::StatusMessage);
    ApplyFont(tab);
    // A tab caption takes "&" for a shortcut mark; a file name means it literally.
    QString caption = QFile::decodeName(QByteArray::fromStdString(FileNameOfPath(path)));
    caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
    const int index = pageControl_.addTab(tab, TabIcon(MenuImageIndex::NormalLog), caption);
    pageControl_.setTabToolTip(index, QFile::decodeName(QByteArray::fromStdString(path)));
    ApplyWrap(tab);
    ResetLog(*tab);
    return *tab;
}

void LogTabs::ResetLog(LogTab& tab) {
    marrowlight::ResetLog(tab.Page, tab.Model());
}

void LogTabs::ResetPage(QWidget* tab) {
    if (auto* logTab = qobject_cast<LogTab*>(tab))
        ResetLog(*logTab);
}

void LogTabs::ResetAllLogs() {
    for (int i = 0; i < Count(); ++i)
        ResetPage(pageControl_.widget(i));
}

void LogTabs::ApplyFont(QWidget* tab) {
    if (auto* logTab = qobject_cast<LogTab*>(tab))
        logTab->SetListFont(ListFont());
}

void LogTabs::ApplyFontToAll() {
    for (int i = 0; i < Count(); ++i)
        ApplyFont(pageControl_.widget(i));
}

void LogTabs::ApplyWrap(QWidget* tab) {
    auto* logTab = qobject_cast<LogTab*>(tab);
    const bool wrap = menu_.WrapLongLines();
    // A tab not shown yet builds its list only when asked: unwrapped is how
    // a list starts, so only wrapping needs it now.
    if (logTab && (wrap || logTab->Built()))
        logTab->ListView()->SetWrapping(wrap);
}

void LogTabs::ApplyWrapToAll() {
    for (int i = 0; i < Count(); ++i)
        ApplyWrap(pageControl_.widget(i));
}

void LogTabs::CloseLog(QWidget* tab) {
    const int index = tab ? pageControl_.indexOf(tab) : -1;
    if (index < 0)
        return;
    {
        // Qt would pick a neighbour of its own; the follower is chosen below.
        QSignalBlocker block(&pageControl_);
        pageControl_.removeTab(index);
        delete tab;
        if (Count() > 0)
            pageControl_.setCurrentIndex(index < Count() ? index : 0);
    }
    ActiveTabChanged();
}

void LogTabs::ActiveTabChanged() {
    const LogTab* tab = ActiveTab();
    if (!tab) {
        status_.Clear();
        return;
    }
    const LogPage& page = tab->Page;
    status_.ShowAll(
        QString::fromStdString(page.LastReadText), QString::fromStdString(page.LinesText),
        QString::fromStdString(page.DisplayedText), QString::fromStdString(page.StateText));
}

std::string LogTabs::ActiveFileName() const {
    const LogTab* tab = ActiveTab();
    return tab ? tab->FileName() : std::string();
}

} // namespace marrowlight
