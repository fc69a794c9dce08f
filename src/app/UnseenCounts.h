#pragma once

#include "monitor/UpdateCycle.h"

#include <QObject>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <vector>

class QWidget;

namespace marrowlight {

class LogTab;
class LogTabs;

// The lines of the second and third groups that each log tab took since the
// person last looked at it (the tab current while the window was active).
// A line counts once, in the group it is drawn in. The tab's caption shows
// the count in that group's colour ("app.log (3)"), its tooltip the count of
// each group, the window title the total ("(5) Marrowlight").
class UnseenCounts : public QObject {
    Q_OBJECT

  public:
    // The window's title as it is now is the one the total goes before.
    UnseenCounts(LogTabs& tabs, QWidget& window, QObject* parent = nullptr);

    // Counts what a pass brought to the logs the person is not looking at.
    void Take(const std::vector<UpdateCycle::TakenLines>& taken,
              const std::function<bool(const LogTab&)>& lookedAt);
    // The person looks at the tab: its count goes.
    void Seen(const LogTab& tab);

    // g is 2 or 3; without g, both.
    uint64_t Count(const LogTab& tab, int g) const;
    uint64_t Count(const LogTab& tab) const;
    uint64_t Total() const;
    // One line per log with unseen lines ("app.log: 2 Warnings, 1 Errors"),
    // for the tray's tooltip; empty when nothing is unseen.
    QString Summary() const;
    // Captions and colours again, after the group names or colours changed.
    void ShowAll();

    // Runs whenever a count changed.
    std::function<void()> Changed;

  private:
    using Counts = std::array<uint64_t, 2>; // groups 2 and 3
    void Show(const LogTab& tab);
    void ShowTitle();
    QString GroupName(int g) const;

    LogTabs& tabs_;
    QWidget& window_;
    QString title_;
    std::map<const LogTab*, Counts> counts_;
};

} // namespace marrowlight
