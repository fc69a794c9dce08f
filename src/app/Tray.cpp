#include "app/Tray.h"

#include "app/MenuAccessKeys.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QWidget>

namespace marrowlight {

Tray::Tray(QWidget& window, QAction& mute, QObject* parent) : QObject(parent), window_(window) {
    Menu = new QMenu(&window);
    Menu->setObjectName("TrayMenu");
    Menu->setAccessibleName("Marrowlight");
    ShowAction = Menu->addAction("Show");
    ShowAction->setObjectName("TrayShowMnu");
    MuteAction = Menu->addAction(mute.text());
    MuteAction->setObjectName("TrayMuteAlertsMnu");
    MuteAction->setCheckable(true);
    MuteAction->setChecked(mute.isChecked());
    connect(&mute, &QAction::toggled, MuteAction, &QAction::setChecked);
    // triggered, not toggled: a click runs what the menu item's click runs.
    connect(MuteAction, &QAction::triggered, &mute, [&mute](bool on) {
        if (mute.isChecked() != on)
            mute.trigger();
    });
    Menu->addSeparator();
    ExitAction = Menu->addAction("Exit");
    ExitAction->setObjectName("TrayExitMnu");
    AssignMenuAccessKeys(*Menu);
    connect(ShowAction, &QAction::triggered, this, &Tray::ShowWindow);
    connect(ExitAction, &QAction::triggered, this, [this] {
        const bool hidden = window_.isHidden();
        window_.close();
        // A hidden window's closing is no last window closing.
        if (hidden)
            QCoreApplication::quit();
    });

    icon_ = new QSystemTrayIcon(window.windowIcon(), this);
    icon_->setContextMenu(Menu);
    icon_->setToolTip("Marrowlight");
    connect(icon_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason why) {
                if (why == QSystemTrayIcon::Trigger)
                    ToggleWindow();
            });
}

Tray::~Tray() = default;

void Tray::SetShown(bool shown) {
    shown = shown && QSystemTrayIcon::isSystemTrayAvailable();
    if (shown == icon_->isVisible())
        return;
    icon_->setVisible(shown);
    // Without the icon, a hidden window could not be brought back.
    if (!shown && window_.isHidden())
        ShowWindow();
}

bool Tray::Shown() const {
    return icon_->isVisible();
}

void Tray::SetUnseen(const QString& summary) {
    icon_->setToolTip(summary.isEmpty() ? QStringLiteral("Marrowlight")
                                        : QStringLiteral("Marrowlight\n") + summary);
}

QString Tray::ToolTip() const {
    return icon_->toolTip();
}

void Tray::ShowWindow() {
    if (window_.isMinimized())
        window_.showNormal();
    else
        window_.show();
    window_.raise();
    window_.activateWindow();
}

void Tray::ToggleWindow() {
    if (window_.isVisible() && !window_.isMinimized())
        window_.hide();
    else
        ShowWindow();
}

} // namespace marrowlight
