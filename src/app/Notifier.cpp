#include "app/Notifier.h"

#include "monitor/LogListModel.h"
#include "monitor/LogTab.h"
#include "support/core/Clock.h"
#include "support/core/PathUtils.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QFile>
#include <QGuiApplication>
#include <QVariantMap>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

namespace marrowlight {

namespace {

constexpr const char* Interface = "org.freedesktop.Notifications";

QString ShownName(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(FileNameOfPath(path)));
}

} // namespace

std::vector<GroupArrival> NoticeArrivals(const std::vector<UpdateCycle::TakenLines>& taken,
                                         const std::function<bool(int)>& notifies,
                                         const std::function<bool(const LogTab&)>& lookedAt) {
    std::vector<GroupArrival> arrivals;
    for (const UpdateCycle::TakenLines& each : taken) {
        if (!each.Tab || lookedAt(*each.Tab))
            continue;
        const LogListModel& model = each.Tab->Model();
        for (int g = 1; g <= 3; ++g) {
            const uint64_t lines = each.Outcome.GroupLines[g - 1];
            if (lines == 0 || !notifies(g))
                continue;
            const int row = static_cast<int>(each.Outcome.FirstGroupRow[g - 1]);
            const LineRecord* record = model.Record(row);
            // A character more than a notice shows, so a cut line is known as cut.
            arrivals.push_back(
                {g, each.Tab->FileName(), ShownName(each.Tab->FileName()).toStdString(), lines,
                 model.Utf8Part(row, 0, NoticeBodyChars + 1), record ? record->LineNo : 0});
        }
    }
    return arrivals;
}

QDBusConnection Notifier::SessionBus() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS") &&
        (runtime.isEmpty() || !QFile::exists(runtime + "/bus")))
        return QDBusConnection(QStringLiteral("marrowlight-no-session-bus"));
    return QDBusConnection::sessionBus();
}

Notifier::Notifier(const QDBusConnection& bus, const Clock& clock,
                   std::function<std::string(int)> groupName, QObject* parent)
    : QObject(parent), bus_(bus), clock_(clock), queue_(std::move(groupName)) {
    ReportFailure = [](const QString& text) {
        std::fprintf(stderr, "Marrowlight: %s\n", text.toLocal8Bit().constData());
    };
    due_.setSingleShot(true);
    connect(&due_, &QTimer::timeout, this, &Notifier::SendDue);
    if (bus_.isConnected()) {
        bus_.connect(Service, Path, Interface, "ActionInvoked", this,
                     SLOT(ActionInvoked(uint, QString)));
        bus_.connect(Service, Path, Interface, "NotificationClosed", this,
                     SLOT(NotificationClosed(uint, uint)));
    }
}

Notifier::~Notifier() {
    if (bus_.isConnected()) {
        bus_.disconnect(Service, Path, Interface, "ActionInvoked", this,
                        SLOT(ActionInvoked(uint, QString)));
        bus_.disconnect(Service, Path, Interface, "NotificationClosed", this,
                        SLOT(NotificationClosed(uint, uint)));
    }
}

void Notifier::Take(const std::vector<GroupArrival>& arrivals) {
    queue_.Take(arrivals);
    SendDue();
}

void Notifier::SendDue() {
    for (const Notice& notice : queue_.Due(clock_.Now()))
        Send(notice);
    ArmTimer();
}

void Notifier::ArmTimer() {
    const std::optional<double> left = queue_.NextDueIn(clock_.Now());
    if (!left) {
        due_.stop();
        return;
    }
    due_.start(static_cast<int>(std::ceil(std::max(0.0, *left) * 1000)));
}

void Notifier::Seen(const std::string& log) {
    queue_.Seen(log);
    ArmTimer();
}

void Notifier::Clear() {
    queue_.Clear();
    due_.stop();
}

void Notifier::Send(const Notice& notice) {
    if (!bus_.isConnected()) {
        const QString why = bus_.lastError().message();
        Failed(why.isEmpty() ? QStringLiteral("no D-Bus session bus") : why);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(Service, Path, Interface, "Notify");
    QVariantMap hints;
    if (!QGuiApplication::desktopFileName().isEmpty())
        hints.insert("desktop-entry", QGuiApplication::desktopFileName());
    const uint replaces = shownId_[notice.Group - 1];
    call << QStringLiteral("Marrowlight") << replaces << QStringLiteral("marrowlight")
         << QString::fromStdString(notice.Summary) << QString::fromStdString(notice.Body)
         << QStringList{"default", "Show", "show", "Show"} << hints << int(-1);
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, notice](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                const QDBusPendingReply<uint> reply = *finished;
                if (reply.isError()) {
                    Failed(reply.error().message());
                    return;
                }
                uint& id = shownId_[notice.Group - 1];
                if (id != 0 && id != reply.value())
                    shown_.erase(id);
                id = reply.value();
                shown_[id] = notice;
            });
}

void Notifier::Failed(const QString& why) {
    if (std::exchange(reported_, true))
        return;
    if (ReportFailure)
        ReportFailure("desktop notifications are not shown: " + why);
}

void Notifier::ActionInvoked(uint id, const QString& action) {
    const auto it = shown_.find(id);
    if (it == shown_.end() || (action != "default" && action != "show"))
        return;
    if (ShowLine)
        ShowLine(it->second.Log, it->second.FirstLineNo);
}

void Notifier::NotificationClosed(uint id, uint) {
    shown_.erase(id);
    for (uint& shown : shownId_)
        if (shown == id)
            shown = 0;
}

} // namespace marrowlight
