#pragma once

#include "shell/StatusPanels.h"

#include <QObject>
#include <QString>
#include <array>
#include <memory>

class QLabel;
class QTabWidget;
class QWidget;

namespace marrowlight {

class LineDrawer;
class LiveViewSettings;
class LogTab;
class TOptionsFrm;
struct MainMenuItems;

// The log tabs of PageControl: one LogTab page per open log. Tab indices are
// PageControl's; a "tab" argument is the page widget and may be null.
class LogTabs : public QObject {
    Q_OBJECT

  public:
    // The View filter is read live from the menu's AllEntriesMnu,
    // InformationMnu, WarningsMnu and ErrorsMnu; every other setting from
    // the Options dialog's controls.
    LogTabs(QTabWidget& pageControl, QWidget& statusBar, const std::array<QLabel*, 4>& panels,
            TOptionsFrm& options, const MainMenuItems& menu, QObject* parent = nullptr);
    ~LogTabs() override;

    // Activates the tab of an open log (paths compared by SamePath) or adds a
    // new one after the others and activates it. The file need not exist.
    void OpenLog(const QString& path);
    void ResetLog(LogTab& tab);
    void ResetPage(QWidget* tab);
    void ResetAllLogs();
    void ApplyFont(QWidget* tab);
    void ApplyFontToAll();
    // Removing a tab activates the one that followed it, or the first when it
    // was the last; none when no tab is left.
    void CloseLog(QWidget* tab);
    // The status panels show the active tab's texts, or nothing without one.
    void PageControlChange();

    // The active log's path ("" without a tab), for "LastFocusedFile".
    QString ActiveFileName() const;

    int Count() const;
    LogTab* Tab(int index) const;
    LogTab* ActiveTab() const;
    int IndexOf(const LogTab& tab) const;
    void Activate(LogTab& tab);
    // Tab images are MenuImage indices: 35 normal, 33 new lines, 65 unreadable.
    void SetTabImage(LogTab& tab, int image);

    QTabWidget& PageControl() const { return pageControl_; }
    StatusBarPanels& Status() { return status_; }
    LiveViewSettings& Settings() const { return *settings_; }
    TOptionsFrm& Options() const { return options_; }
    LineDrawer& Drawer() const { return *drawer_; }

  private:
    QTabWidget& pageControl_;
    StatusBarPanels status_;
    TOptionsFrm& options_;
    std::unique_ptr<LiveViewSettings> settings_;
    std::unique_ptr<LineDrawer> drawer_;
};

} // namespace marrowlight
