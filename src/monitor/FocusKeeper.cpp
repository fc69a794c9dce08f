#include "monitor/FocusKeeper.h"

#include "monitor/LiveViewSettings.h"
#include "monitor/LogTab.h"
#include "monitor/LogTabs.h"
#include "monitor/MenuChecks.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTextEdit>

namespace marrowlight {
namespace {

// A widget that takes typed text; the list itself does not count, it only
// moves its focus row with the keys.
bool TakesText(const QWidget* widget) {
    if (qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QAbstractSpinBox*>(widget) ||
        qobject_cast<const QTextEdit*>(widget) || qobject_cast<const QPlainTextEdit*>(widget))
        return true;
    const auto* list = qobject_cast<const QComboBox*>(widget);
    return list && list->isEditable();
}

bool IsHandsOn(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
    case QEvent::Wheel:
    case QEvent::KeyPress:
        return true;
    default:
        return false;
    }
}

} // namespace

FocusKeeper::FocusKeeper(LogTabs& tabs, QMainWindow& window, std::function<qint64()> now)
    : tabs_(tabs), window_(window), now_(std::move(now)) {
    steady_.start();
    if (!now_)
        now_ = [this] { return steady_.elapsed(); };
    retry_.setSingleShot(true);
    retry_.setInterval(RetryMs);
    connect(&retry_, &QTimer::timeout, this, &FocusKeeper::BringForward);
    // Clicks and keys reach the lists, scroll bars and find bars of tabs
    // made later too.
    qApp->installEventFilter(this);
}

FocusKeeper::~FocusKeeper() {
    qApp->removeEventFilter(this);
}

void FocusKeeper::SetClock(std::function<qint64()> now) {
    now_ = std::move(now);
}

bool FocusKeeper::InTheWindow(const QObject* object) const {
    const auto* widget = qobject_cast<const QWidget*>(object);
    return widget && widget->window() == tabs_.TabWidget().window();
}

bool FocusKeeper::eventFilter(QObject* watched, QEvent* event) {
    if (IsHandsOn(event->type()) && InTheWindow(watched)) {
        lastHandsOn_ = now_();
        handsOn_ = true;
    }
    return QObject::eventFilter(watched, event);
}

bool FocusKeeper::PersonAtWork() const {
    if (QApplication::activePopupWidget() || QGuiApplication::mouseButtons() != Qt::NoButton)
        return true;
    if (const QWidget* focus = QApplication::focusWidget();
        focus && InTheWindow(focus) && TakesText(focus))
        return true;
    return handsOn_ && now_() - lastHandsOn_ < HandsOffMs;
}

void FocusKeeper::Modified(LogTab& tab) {
    pending_ = &tab;
}

void FocusKeeper::PassEnded() {
    if (pending_)
        BringForward();
}

void FocusKeeper::BringForward() {
    if (!pending_ || !tabs_.Menu().KeepModifiedLogFocused()) {
        pending_ = nullptr;
        return;
    }
    if (PersonAtWork()) {
        if (!retry_.isActive())
            retry_.start();
        return;
    }
    LogTab* tab = std::exchange(pending_, nullptr);
    if (tabs_.ActiveTab() != tab)
        tabs_.Activate(*tab);
    if (tabs_.Options().RestoreWindow() && window_.isMinimized())
        window_.showNormal();
}

} // namespace marrowlight
