#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <functional>

class QAction;
class QMenu;
class QWidget;

namespace marrowlight {

class LogTabs;
class MenuChecks;

// The context menu of a log tab and the middle click that closes a tab.
// While logs are opened and closed automatically, no tab is closed by hand.
class LogTabMenu : public QObject {
    Q_OBJECT

  public:
    LogTabMenu(LogTabs& tabs, const MenuChecks& menu, QObject* parent = nullptr);
    ~LogTabMenu() override;

    QMenu* Menu = nullptr;
    QAction* CloseTabAction = nullptr;
    QAction* CloseOtherLogsAction = nullptr;
    QAction* CopyPathAction = nullptr;
    QAction* OpenContainingFolderAction = nullptr;

    // Shows a folder in the desktop's file manager; QDesktopServices by default.
    std::function<bool(const QUrl& folder)> OpenUrl;
    // Tells why a command did nothing; nothing by default.
    std::function<void(const QString& text)> ShowStatus;

    // Readies the items for the tab at `index`; false when there is no such tab.
    bool Prepare(int index);
    // The tab the items act on, -1 when none.
    int TargetIndex() const;
    // A middle click on the tab at `index`.
    void MiddleClick(int index);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Popup(const QPoint& tabBarPos);
    void CloseTarget();
    void CloseOthers();
    void CopyPath();
    void OpenFolder();
    bool OpenedAutomatically() const;

    LogTabs& tabs_;
    const MenuChecks& menu_;
    // The page, not its index: closing tabs moves indices.
    QPointer<QWidget> target_;
    QPointer<QWidget> middlePressed_;
};

} // namespace marrowlight
