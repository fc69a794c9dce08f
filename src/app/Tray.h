#pragma once

#include <QObject>
#include <QString>

class QAction;
class QMenu;
class QSystemTrayIcon;
class QWidget;

namespace marrowlight {

// The main window's icon in the system tray: a click shows or hides the
// window, its menu offers Show, "Mute Alerts" and Exit, its tooltip what
// has not been seen. It shows only while asked for and the desktop has a tray.
class Tray : public QObject {
    Q_OBJECT

  public:
    // mute is the View menu's item: the tray's follows it both ways.
    Tray(QWidget& window, QAction& mute, QObject* parent = nullptr);
    ~Tray() override;

    void SetShown(bool shown);
    bool Shown() const;
    // "Marrowlight", then the unseen counts when there are any.
    void SetUnseen(const QString& summary);
    QString ToolTip() const;

    void ShowWindow();
    void ToggleWindow();

    QMenu* Menu = nullptr;
    QAction* ShowAction = nullptr;
    QAction* MuteAction = nullptr;
    QAction* ExitAction = nullptr;

  private:
    QWidget& window_;
    QSystemTrayIcon* icon_ = nullptr;
};

} // namespace marrowlight
