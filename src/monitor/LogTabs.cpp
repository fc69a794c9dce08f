#include "monitor/LogTabs.h"

#include "monitor/FindBar.h"
#include "monitor/LineDrawer.h"
#include "monitor/LiveViewSettings.h"
#include "monitor/LogListModel.h"
#include "monitor/LogListView.h"
#include "monitor/LogTab.h"
#include "monitor/MenuChecks.h"
#include "monitor/MenuImages.h"
#include "monitor/ProducerPump.h"
#include "monitor/core/ArchiveProducer.h"
#include "monitor/core/JournalProducer.h"
#include "monitor/core/LineProducer.h"
#include "monitor/core/ProducedSources.h"
#include "monitor/core/SpoolFile.h"
#include "monitor/core/StreamProducer.h"
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
      drawer_(std::make_unique<LineDrawer>(*settings_)),
      produced_(std::make_unique<ProducedLogs>()) {
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

// Every page is a LogTab (NewTab adds them all); passes over thousands of
// tabs ask for each of them several times.
LogTab* LogTabs::Tab(int index) const {
    return static_cast<LogTab*>(pageControl_.widget(index));
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
    if (IsJournalAddress(path)) {
        // Its entries are rendered as lines; a malformed form gets a tab
        // that says what is wrong with it.
        const ParsedJournalAddress parsed = ParseJournalAddress(path);
        const std::string caption = parsed.Source ? JournalCaption(*parsed.Source) : path;
        OpenProducedLog(path, std::make_unique<JournalProducer>(std::string_view(path)),
                        QFile::decodeName(QByteArray::fromStdString(caption)));
        return;
    }
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
    if (LogTab* tab = Insert(path))
        Activate(*tab);
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
    bool any = false;
    while (!queue_.empty() && (!any || clock.elapsed() < AddSliceMs)) {
        const std::string path = std::move(queue_.front());
        queue_.pop_front();
        queued_.erase(path);
        if (LogTab* tab = Insert(path))
            last = tab;
        any = true;
    }
    if (!queue_.empty()) {
        addTimer_.start();
        return;
    }
    if (last)
        Activate(*last);
}

LogTab* LogTabs::Insert(const std::string& path) {
    // A tab caption takes "&" for a shortcut mark; a file name means it literally.
    QString caption = QFile::decodeName(QByteArray::fromStdString(FileNameOfPath(path)));
    caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
    const QString toolTip = QFile::decodeName(QByteArray::fromStdString(path));
    // Looked at once, here, so the passes that follow a plain log cost
    // nothing more; every way of opening a log comes through here.
    if (std::optional<CompressedFile> archive = OpenIfCompressed(path))
        return AddProducedTab(path, std::make_unique<ArchiveProducer>(std::move(*archive)), caption,
                              toolTip);
    return NewTab(path, caption, toolTip);
}

LogTab* LogTabs::NewTab(const std::string& address, const QString& caption,
                        const QString& toolTip) {
    auto* tab = new LogTab(address, *drawer_);
    tab->NewestAtTop = [this] { return options_.LastEntriesAtTop(); };
    connect(tab, &LogTab::StatusMessage, this, &LogTabs::StatusMessage);
    ApplyFont(tab);
    const int index = pageControl_.addTab(tab, TabIcon(MenuImageIndex::NormalLog), caption);
    ++tabSetVersion_;
    pageControl_.setTabToolTip(index, toolTip);
    ApplyWrap(tab);
    ResetLog(*tab);
    emit LogAdded(address);
    return tab;
}

LogTab* LogTabs::OpenProducedLog(const std::string& address, std::unique_ptr<LineProducer> producer,
                                 const QString& caption) {
    for (int i = 0; i < Count(); ++i) {
        if (LogTab* tab = Tab(i); tab && tab->FileName() == address) {
            Activate(*tab);
            return tab;
        }
    }
    QString shown = caption;
    shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
    LogTab* tab = AddProducedTab(address, std::move(producer), shown, caption);
    if (tab)
        Activate(*tab);
    return tab;
}

LogTab* LogTabs::OpenStandardInput(int fd) {
    LogTab* tab = OpenProducedLog(StandardInputAddress, std::make_unique<StreamProducer>(fd),
                                  QString::fromLatin1(StandardInputCaption));
    if (tab)
        tab->Reopenable = false;
    return tab;
}

LogTab* LogTabs::AddProducedTab(const std::string& address, std::unique_ptr<LineProducer> producer,
                                const QString& caption, const QString& toolTip) {
    std::string error;
    std::shared_ptr<SpoolFile> spool = SpoolFile::Create(error);
    if (!spool) {
        // Without a spool the reader would look for a file of that name.
        emit StatusMessage(QString::fromStdString(error));
        return nullptr;
    }
    LogTab* tab = NewTab(address, caption, toolTip);
    tab->Page.Produced = true;
    tab->Page.LoadsWhole = !producer->Follows();
    produced_->Add(address, spool);
    connect(tab, &QObject::destroyed, this, [this, address] { produced_->Remove(address); });
    tab->Pump = new ProducerPump(
        std::move(producer), std::move(spool),
        [this, address, tab] {
            // A journal's backlog loads as a log's first lines do; what
            // follows it arrives as new lines.
            tab->Page.LoadsWhole = !tab->Pump->Follows();
            emit ProducedLogChanged(address);
        },
        tab);
    tab->Pump->Start();
    return tab;
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
        ++tabSetVersion_;
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
    return tab && tab->Reopenable ? tab->FileName() : std::string();
}

} // namespace marrowlight
