#pragma once

#include "monitor/MenuImages.h"
#include "monitor/StatusPanels.h"
#include "settings/OptionsView.h"

#include <QFont>
#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <array>
#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

class QLabel;
class QTabWidget;
class QWidget;

namespace marrowlight {

class LineDrawer;
class LineProducer;
class LiveViewSettings;
class LogTab;
class MenuChecks;
class ProducedLogs;

// The log tabs of TabWidget: one LogTab page per open log. Tab indices are
// TabWidget's; a "tab" argument is the page widget and may be null.
class LogTabs : public QObject {
    Q_OBJECT

  public:
    // The View filter and the modes of the menu are read live through `menu`;
    // every other setting from the Options dialog's controls.
    LogTabs(QTabWidget& pageControl, QWidget& statusBar, const std::array<QLabel*, 4>& panels,
            const OptionsView& options, const MenuChecks& menu, QObject* parent = nullptr);
    ~LogTabs() override;

    // Activates the tab of an open log (paths compared by SamePath) or adds a
    // new one after the others and activates it. The file need not exist.
    // The path is bytes as the file system takes them; it is decoded only for
    // the tab's caption and tooltip, so a name that is not UTF-8 still opens.
    // A journal source's written form ("journal://...") opens a journal tab.
    void OpenLog(const std::string& path);
    // Adds a tab for the path after the others and activates it, without
    // looking for an open one: for callers that compared the paths exactly
    // themselves, since OpenLog would take "a.log " for the open "a.log".
    void AddLog(const std::string& path);
    // AddLog for each path in turn, activating only the last: a folder of
    // thousands of logs opens without making each tab current on the way.
    // Qt's tab bar lays out all its tabs for every tab added, so a large
    // batch is added AddSliceMs at a time, the window answering in between;
    // a path still waiting is not queued again.
    void AddLogs(const std::vector<std::string>& paths);
    static constexpr int AddSliceMs = 20;
    // Opens a log whose text a producer makes (see LineProducer), or
    // activates the open tab of that address and drops the producer. The
    // address names the log to the reader, automatic opening and the last
    // focused log; it need not be a path. The producer ends with its tab.
    // Null, with a status message, when no spool could be made for it.
    LogTab* OpenProducedLog(const std::string& address, std::unique_ptr<LineProducer> producer,
                            const QString& caption);
    // The log of what arrives on fd (the standard input), captioned
    // "standard input"; it cannot be opened again, so it is never stored.
    LogTab* OpenStandardInput(int fd);
    void ResetLog(LogTab& tab);
    void ResetPage(QWidget* tab);
    void ResetAllLogs();
    void ApplyFont(QWidget* tab);
    void ApplyFontToAll();
    // "Wrap Long Lines" of the View menu, to one tab's list or all.
    void ApplyWrap(QWidget* tab);
    void ApplyWrapToAll();
    // Removing a tab activates the one that followed it, or the first when it
    // was the last; none when no tab is left.
    void CloseLog(QWidget* tab);
    // The status panels show the active tab's texts, or nothing without one.
    void ActiveTabChanged();

    // The active log's path as opened ("" without a tab), for "LastFocusedFile".
    std::string ActiveFileName() const;

    int Count() const;
    // Changes whenever a tab is added or closed.
    unsigned TabSetVersion() const { return tabSetVersion_; }
    LogTab* Tab(int index) const;
    LogTab* ActiveTab() const;
    int IndexOf(const LogTab& tab) const;
    void Activate(LogTab& tab);
    void SetTabImage(LogTab& tab, MenuImageIndex image);
    // Gives the tab the new-lines image, which only the log that received
    // lines last keeps.
    void MarkNewLines(LogTab& tab);

    QTabWidget& TabWidget() const { return pageControl_; }
    StatusBarPanels& Status() { return status_; }
    LiveViewSettings& Settings() const { return *settings_; }
    const OptionsView& Options() const { return options_; }
    // The spools of the produced logs, by address, for the reader.
    const ProducedLogs& Produced() const { return *produced_; }
    const MenuChecks& Menu() const { return menu_; }
    LineDrawer& Drawer() const { return *drawer_; }

  signals:
    // A passing note from a tab for the status bar, such as how a search ended.
    void StatusMessage(const QString& text);
    // A produced log has new text or a new state: it wants a pass.
    void ProducedLogChanged(const std::string& address);
    // A tab was added for this log: its rows are wanted at once.
    void LogAdded(const std::string& address);

  private:
    LogTab* Insert(const std::string& path);
    void AddQueued();
    // One picture and one font for all tabs, made once: thousands of tabs
    // would otherwise hold thousands of copies.
    const QIcon& TabIcon(MenuImageIndex image);
    const QFont& ListFont();
    LogTab* NewTab(const std::string& address, const QString& caption, const QString& toolTip);
    LogTab* AddProducedTab(const std::string& address, std::unique_ptr<LineProducer> producer,
                           const QString& caption, const QString& toolTip);

    QTabWidget& pageControl_;
    StatusBarPanels status_;
    OptionsView options_;
    const MenuChecks& menu_;
    std::unique_ptr<LiveViewSettings> settings_;
    std::unique_ptr<LineDrawer> drawer_;
    std::map<MenuImageIndex, QIcon> icons_;
    // The tab that has the new-lines image: none other is looked at.
    QPointer<LogTab> newLines_;
    unsigned tabSetVersion_ = 0;
    std::deque<std::string> queue_; // logs waiting for their tabs
    std::set<std::string> queued_;
    QTimer addTimer_;
    QFont font_;
    QString fontFace_;
    int fontSize_ = -1;
    std::unique_ptr<ProducedLogs> produced_;
};

} // namespace marrowlight
