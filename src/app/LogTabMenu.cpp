#include "app/LogTabMenu.h"

#include "app/FileDrop.h"
#include "app/MenuAccessKeys.h"
#include "monitor/LogTab.h"
#include "monitor/LogTabs.h"
#include "monitor/MenuChecks.h"
#include "support/core/PathUtils.h"

#include <QAction>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QTabBar>
#include <QTabWidget>

namespace marrowlight {
namespace {

QAction* AddItem(QMenu* menu, const char* name, const char* caption) {
    QAction* action = menu->addAction(QString::fromLatin1(caption));
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

QString Decoded(const std::string& bytes) {
    return QFile::decodeName(QByteArray::fromStdString(bytes));
}

// The folder a log lies in, made absolute the way open() resolves the path.
QString ContainingFolder(const std::string& path) {
    const std::string folder = FolderOfPath(path);
    return folder.empty() ? QDir::currentPath() : QDir(Decoded(folder)).absolutePath();
}

} // namespace

LogTabMenu::LogTabMenu(LogTabs& tabs, const MenuChecks& menu, QObject* parent)
    : QObject(parent), tabs_(tabs), menu_(menu) {
    OpenUrl = [](const QUrl& folder) { return QDesktopServices::openUrl(folder); };

    QTabWidget& pageControl = tabs_.TabWidget();
    Menu = new QMenu(&pageControl);
    Menu->setObjectName("TabMnu");
    CloseTabAction = AddItem(Menu, "CloseTabMnu", "Close");
    CloseOtherLogsAction = AddItem(Menu, "CloseOtherLogsMnu", "Close Other Logs");
    Menu->addSeparator();
    CopyPathAction = AddItem(Menu, "CopyPathMnu", "Copy Path");
    OpenContainingFolderAction = AddItem(Menu, "OpenContainingFolderMnu", "Open Containing Folder");
    AssignMenuAccessKeys(*Menu);

    connect(CloseTabAction, &QAction::triggered, this, &LogTabMenu::CloseTarget);
    connect(CloseOtherLogsAction, &QAction::triggered, this, &LogTabMenu::CloseOthers);
    connect(CopyPathAction, &QAction::triggered, this, &LogTabMenu::CopyPath);
    connect(OpenContainingFolderAction, &QAction::triggered, this, &LogTabMenu::OpenFolder);

    QTabBar* bar = pageControl.tabBar();
    bar->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(bar, &QWidget::customContextMenuRequested, this, &LogTabMenu::Popup);
    bar->installEventFilter(this);
}

LogTabMenu::~LogTabMenu() {
    tabs_.TabWidget().tabBar()->removeEventFilter(this);
    delete Menu;
}

bool LogTabMenu::OpenedAutomatically() const {
    return menu_.OpenCloseLogsAutomatically();
}

bool LogTabMenu::Prepare(int index) {
    const LogTab* tab = tabs_.Tab(index);
    target_ = const_cast<LogTab*>(tab);
    if (!tab)
        return false;
    const bool byHand = !OpenedAutomatically();
    CloseTabAction->setEnabled(byHand);
    CloseOtherLogsAction->setEnabled(byHand && tabs_.Count() > 1);
    // The file manager would only report a folder that is not there.
    // The standard input has no folder.
    OpenContainingFolderAction->setEnabled(tab->Reopenable &&
                                           QFileInfo(ContainingFolder(tab->FileName())).isDir());
    return true;
}

int LogTabMenu::TargetIndex() const {
    return target_ ? tabs_.TabWidget().indexOf(target_) : -1;
}

void LogTabMenu::Popup(const QPoint& tabBarPos) {
    QTabBar* bar = tabs_.TabWidget().tabBar();
    if (Prepare(bar->tabAt(tabBarPos)))
        Menu->popup(bar->mapToGlobal(tabBarPos));
}

void LogTabMenu::CloseTarget() {
    if (OpenedAutomatically() || TargetIndex() < 0)
        return;
    tabs_.CloseLog(target_);
}

void LogTabMenu::CloseOthers() {
    if (OpenedAutomatically() || TargetIndex() < 0)
        return;
    for (int i = tabs_.Count() - 1; i >= 0; --i)
        if (QWidget* page = tabs_.TabWidget().widget(i); page != target_)
            tabs_.CloseLog(page);
}

void LogTabMenu::CopyPath() {
    if (const auto* tab = qobject_cast<const LogTab*>(target_.data()))
        QGuiApplication::clipboard()->setText(Decoded(tab->FileName()));
}

void LogTabMenu::OpenFolder() {
    if (const auto* tab = qobject_cast<const LogTab*>(target_.data()))
        if (OpenUrl)
            OpenUrl(QUrl::fromLocalFile(ContainingFolder(tab->FileName())));
}

void LogTabMenu::MiddleClick(int index) {
    QWidget* page = tabs_.TabWidget().widget(index);
    if (!page)
        return;
    if (OpenedAutomatically()) {
        if (ShowStatus)
            ShowStatus(AutomaticModeRefusal());
        return;
    }
    tabs_.CloseLog(page);
}

bool LogTabMenu::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease)
        return QObject::eventFilter(watched, event);
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::MiddleButton)
        return QObject::eventFilter(watched, event);
    const int index = tabs_.TabWidget().tabBar()->tabAt(mouse->position().toPoint());
    // A click: pressed and released on the same tab; a press that wanders off closes nothing.
    if (type == QEvent::MouseButtonPress) {
        middlePressed_ = tabs_.TabWidget().widget(index);
    } else {
        QWidget* released = tabs_.TabWidget().widget(index);
        if (released && released == middlePressed_)
            MiddleClick(index);
        middlePressed_ = nullptr;
    }
    return index >= 0;
}

} // namespace marrowlight
