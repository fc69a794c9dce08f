#pragma once

#include <QDBusConnection>
#include <QFile>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariantMap>
#include <vector>

namespace marrowlight {

// A session bus of the test's own: a dbus-daemon started for it and ended
// with it, so no test reaches the desktop's notification service. It starts
// no service by itself (no service folders), so "none runs" stays true
// whatever notification daemons the machine has installed.
class PrivateSessionBus {
  public:
    PrivateSessionBus() {
        const QString config = folder_.filePath("bus.conf");
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly))
            return;
        file.write("<busconfig><type>session</type><listen>unix:tmpdir=" +
                   QFile::encodeName(folder_.path()) +
                   "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
                   "<allow send_destination=\"*\" eavesdrop=\"true\"/>"
                   "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n");
        file.close();
        daemon_.setProgram("dbus-daemon");
        daemon_.setArguments({"--config-file=" + config, "--print-address", "--nofork"});
        daemon_.start(QIODevice::ReadOnly);
        if (daemon_.waitForStarted(10000) && daemon_.waitForReadyRead(10000))
            Address = QString::fromUtf8(daemon_.readLine()).trimmed();
    }
    ~PrivateSessionBus() {
        for (const QString& name : names_)
            QDBusConnection::disconnectFromBus(name);
        daemon_.kill();
        daemon_.waitForFinished(10000);
    }
    PrivateSessionBus(const PrivateSessionBus&) = delete;
    PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

    // A connection of its own on the bus, as another program would have.
    QDBusConnection Connect() {
        static int serial = 0;
        const QString name = QStringLiteral("marrowlight-test-%1").arg(++serial);
        names_ << name;
        return QDBusConnection::connectToBus(Address, name);
    }

    QString Address; // empty when the daemon did not start

  private:
    QTemporaryDir folder_;
    QProcess daemon_;
    QStringList names_;
};

// org.freedesktop.Notifications as a desktop offers it, keeping every call.
class FakeNotificationService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

  public:
    struct Call {
        QString App;
        uint Replaces = 0;
        QString Summary, Body;
        QStringList Actions;
        uint Id = 0; // as answered
    };
    std::vector<Call> Calls;

    // Serves on its own connection of the bus; false when it could not.
    bool Serve(QDBusConnection bus) {
        bus_ = bus;
        return bus.registerObject("/org/freedesktop/Notifications", this,
                                  QDBusConnection::ExportAllSlots |
                                      QDBusConnection::ExportAllSignals) &&
               bus.registerService("org.freedesktop.Notifications");
    }
    // What a click on the notification (or its button) sends.
    void Invoke(uint id, const QString& key) { emit ActionInvoked(id, key); }
    void Close(uint id) { emit NotificationClosed(id, 2); }

  public slots:
    uint Notify(const QString& app, uint replaces, const QString&, const QString& summary,
                const QString& body, const QStringList& actions, const QVariantMap&, int) {
        const uint id = replaces ? replaces : nextId_++;
        Calls.push_back({app, replaces, summary, body, actions, id});
        return id;
    }
    void CloseNotification(uint id) { emit NotificationClosed(id, 3); }
    QStringList GetCapabilities() { return {"actions", "body", "body-markup"}; }

  signals:
    void ActionInvoked(uint id, const QString& key);
    void NotificationClosed(uint id, uint reason);

  private:
    QDBusConnection bus_{QString()};
    uint nextId_ = 1;
};

} // namespace marrowlight
