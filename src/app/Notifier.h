#pragma once

#include "app/core/NoticeQueue.h"
#include "monitor/UpdateCycle.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QTimer>
#include <array>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace marrowlight {

class Clock;
class LogTab;

// What of a pass's lines is worth a notice: those of groups that notify, in
// logs the person is not looking at.
std::vector<GroupArrival> NoticeArrivals(const std::vector<UpdateCycle::TakenLines>& taken,
                                         const std::function<bool(int group)>& notifies,
                                         const std::function<bool(const LogTab&)>& lookedAt);

// Sends the groups' desktop notifications to org.freedesktop.Notifications
// on a D-Bus connection, as NoticeQueue decides them. A later notice of a
// group replaces the one shown before; "Show" and a click on one call
// ShowLine with its log and first line. Every call is asynchronous: with no
// service, or no bus, nothing is shown and nothing waits, and the first
// failure goes to standard error once.
class Notifier : public QObject {
    Q_OBJECT

  public:
    static constexpr const char* Service = "org.freedesktop.Notifications";
    static constexpr const char* Path = "/org/freedesktop/Notifications";

    // The desktop's session bus; a connection that is not connected when no
    // address is set and the user has no bus socket, where libdbus would
    // otherwise start a bus of its own and wait for it.
    static QDBusConnection SessionBus();

    // groupName(g): the group's caption as it is now, UTF-8.
    Notifier(const QDBusConnection& bus, const Clock& clock,
             std::function<std::string(int group)> groupName, QObject* parent = nullptr);
    ~Notifier() override;

    // Lines a pass brought: sends what is due, waits with the rest.
    void Take(const std::vector<GroupArrival>& arrivals);
    // Sends the notices whose quiet time is over; a timer calls it too.
    void SendDue();
    // The person looks at the log: its waiting lines need no notice.
    void Seen(const std::string& log);
    // Forgets the waiting lines (alerts were muted).
    void Clear();

    std::function<void(const std::string& log, int32_t lineNo)> ShowLine;

    // Where failures go; standard error by default.
    std::function<void(const QString& text)> ReportFailure;

  private slots:
    void ActionInvoked(uint id, const QString& action);
    void NotificationClosed(uint id, uint reason);

  private:
    void Send(const Notice& notice);
    void Failed(const QString& why);
    void ArmTimer();

    QDBusConnection bus_;
    const Clock& clock_;
    NoticeQueue queue_;
    QTimer due_;
    std::array<uint, 3> shownId_{}; // per group, what a new notice replaces
    std::map<uint, Notice> shown_;  // where a click on each leads
    bool reported_ = false;
};

} // namespace marrowlight
