#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>

class QMainWindow;

namespace marrowlight {

class LogTab;
class LogTabs;

// "Keep Modified Log Focused" without fighting the person: the log that last
// received lines comes to the front once per pass, not every log in turn,
// and never while the person works in the window: while a field (the find
// bar, say) has the keyboard, a menu is open, a mouse button is down, or the
// window took a click, a wheel turn or a key within the last HandsOffMs.
// The switch held back is made as soon as that ends.
class FocusKeeper : public QObject {
    Q_OBJECT

  public:
    static constexpr int HandsOffMs = 3000;
    // How often a held-back switch looks again.
    static constexpr int RetryMs = 250;

    // now gives monotonic milliseconds (tests pass their own).
    FocusKeeper(LogTabs& tabs, QMainWindow& window, std::function<qint64()> now = {});
    ~FocusKeeper() override;

    // The tab received lines; the last one of a pass is brought forward.
    void Modified(LogTab& tab);
    // The pass is over: the last modified log comes forward, now or once
    // the person leaves the window alone.
    void PassEnded();
    bool PersonAtWork() const;
    void SetClock(std::function<qint64()> now);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BringForward();
    bool InTheWindow(const QObject* object) const;

    LogTabs& tabs_;
    QMainWindow& window_;
    std::function<qint64()> now_;
    QElapsedTimer steady_;
    QPointer<LogTab> pending_;
    qint64 lastHandsOn_ = 0;
    bool handsOn_ = false;
    QTimer retry_;
};

} // namespace marrowlight
