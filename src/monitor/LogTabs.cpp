#include "monitor/LogTabs.h"

#include "monitor/FindBar.h"
#include "monitor/LineDrawer.h"
#include "monitor/LiveViewSettings.h"
#include "monitor/LogListModel.h"
#include "monitor/LogTab.h"
#include "monitor/MenuImages.h"
#include "monitor/ProducerPump.h"
#include "monitor/core/JournalProducer.h"
#include "monitor/core/LineProducer.h"
#include "monitor/core/ProducedSources.h"
#include "monitor/core/SpoolFile.h"
#include "settings/OptionsDialog.h"
#include "support/core/PathUtils.h"

#include <QFile>
#include <QSignalBlocker>
#include <QTabWidget>

namespace marrowlight {

LogTabs::LogTabs(QTabWidget& pageControl, QWidget& statusBar, const std::array<QLabel*, 4>& panels,
                 const OptionsView& options, const MenuChecks& menu, QObject* parent)
    : QObject(parent), pageControl_(pageControl), status_(panels, &statusBar), options_(options),
      settings_(std::make_unique<LiveViewSettings>(options, menu)),
      drawer_(std::make_unique<LineDrawer>(*settings_)),
      produced_(std::make_unique<ProducedLogs>()) {
    connect(&pageControl_, &QTabWidget::currentChanged, this, [this] { ActiveTabChanged(); });
}

LogTabs::~LogTabs() {
    // Pages draw through drawer_, which goes with this object.
    while (pageControl_.count() > 0) {
        QWidget* page = pageControl_.widget(0);
        QSignalBlocker block(&pageControl_);
        pageControl_.removeTab(0);
        delete page;
    }
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
        pageControl_.setTabIcon(index, MenuImage(image));
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
    // A tab caption takes "&" for a shortcut mark; a file name means it literally.
    QString caption = QFile::decodeName(QByteArray::fromStdString(FileNameOfPath(path)));
    caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
    const QString toolTip = QFile::decodeName(QByteArray::fromStdString(path));
    NewTab(path, caption, toolTip);
}

LogTab* LogTabs::NewTab(const std::string& address, const QString& caption,
                        const QString& toolTip) {
    auto* tab = new LogTab(address, *drawer_);
    tab->Finder().NewestAtTop = [this] { return settings_->LastEntriesAtTop(); };
    connect(tab, &LogTab::StatusMessage, this, &LogTabs::StatusMessage);
    const int index = pageControl_.addTab(tab, MenuImage(MenuImageIndex::NormalLog), caption);
    pageControl_.setTabToolTip(index, toolTip);
    ApplyFont(tab);
    ResetLog(*tab);
    Activate(*tab);
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
    return AddProducedTab(address, std::move(producer), shown, caption);
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
        logTab->SetListFont(settings_->FontFace(), settings_->FontSize());
}

void LogTabs::ApplyFontToAll() {
    for (int i = 0; i < Count(); ++i)
        ApplyFont(pageControl_.widget(i));
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
    return tab && tab->Reopenable ? tab->FileName() : std::string();
}

} // namespace marrowlight
