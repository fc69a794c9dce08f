#include "app/Notifier.h"

#include "FakeNotificationService.h"
#include "RunEventsUntil.h"
#include "support/core/Clock.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace marrowlight {
namespace {

struct SetClock : Clock {
    DateTime value = 45000.5;
    DateTime Now() const override { return value; }
    void Advance(double seconds) { value += seconds / 86'400; }
};

std::string GroupName(int g) {
    const char* names[] = {"Information", "Warnings", "Errors"};
    return names[g - 1];
}

GroupArrival Lines(int group, const std::string& log, uint64_t lines, int32_t lineNo = 1) {
    return {group, "/var/log/" + log, log, lines, "first <line> of " + log, lineNo};
}

class NotifierTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(bus.Address.isEmpty()) << "dbus-daemon did not start";
        ASSERT_TRUE(service.Serve(bus.Connect()));
        notifier = std::make_unique<Notifier>(bus.Connect(), clock, GroupName);
        notifier->ReportFailure = [this](const QString& text) { failures << text; };
        notifier->ShowLine = [this](const std::string& log, int32_t lineNo) {
            shown.emplace_back(log, lineNo);
        };
    }

    bool Received(size_t calls) {
        return RunEventsUntil([&] { return service.Calls.size() >= calls; });
    }

    PrivateSessionBus bus;
    FakeNotificationService service;
    SetClock clock;
    std::unique_ptr<Notifier> notifier;
    QStringList failures;
    std::vector<std::pair<std::string, int32_t>> shown;
};

TEST_F(NotifierTest, SendsOneNoticePerGroupNamingTheLogs) {
    notifier->Take({Lines(3, "app.log", 3)});
    ASSERT_TRUE(Received(1));
    const FakeNotificationService::Call& one = service.Calls[0];
    EXPECT_EQ(one.App, "Marrowlight");
    EXPECT_EQ(one.Summary, "3 new Errors in app.log");
    EXPECT_EQ(one.Body, "first &lt;line&gt; of app.log");
    EXPECT_EQ(one.Actions, (QStringList{"default", "Show", "show", "Show"}));
    EXPECT_EQ(one.Replaces, 0u);

    notifier->Take({Lines(2, "app.log", 1), Lines(2, "db.log", 2), Lines(2, "web.log", 1)});
    ASSERT_TRUE(Received(2));
    EXPECT_EQ(service.Calls[1].Summary, "4 new Warnings in app.log and 2 more");
    EXPECT_EQ(service.Calls[1].Replaces, 0u) << "another group, another notice";
    EXPECT_TRUE(failures.isEmpty());
}

TEST_F(NotifierTest, ALaterNoticeOfTheGroupReplacesTheEarlierAfterTenQuietSeconds) {
    struct Step {
        double after; // seconds since the step before
        std::vector<GroupArrival> arrivals;
        const char* sent; // nullptr: nothing sent by this step
    };
    const Step steps[] = {
        {0, {Lines(3, "app.log", 1)}, "1 new Errors in app.log"},
        {3, {Lines(3, "app.log", 2)}, nullptr},
        {4, {Lines(3, "db.log", 1)}, nullptr},
        {3, {}, "3 new Errors in app.log and 1 more"}, // the quiet time is over
        {1, {Lines(3, "db.log", 1)}, nullptr},
        {10, {}, "1 new Errors in db.log"},
    };
    size_t sent = 0;
    for (const Step& step : steps) {
        clock.Advance(step.after);
        notifier->Take(step.arrivals);
        notifier->SendDue(); // what the timer does when the quiet time runs out
        if (step.sent) {
            ASSERT_TRUE(Received(++sent)) << step.sent;
            EXPECT_EQ(service.Calls.back().Summary, step.sent);
        }
        QTest::qWait(20);
        EXPECT_EQ(service.Calls.size(), sent) << "at most one per group in ten seconds";
    }
    ASSERT_EQ(service.Calls.size(), 3u);
    EXPECT_EQ(service.Calls[1].Replaces, service.Calls[0].Id);
    EXPECT_EQ(service.Calls[2].Replaces, service.Calls[0].Id);

    // Closed by the person: the next one is a new notification.
    service.Close(service.Calls[2].Id);
    clock.Advance(11);
    RunEventsUntil([] { return false; }, 50);
    notifier->Take({Lines(3, "app.log", 1)});
    ASSERT_TRUE(Received(4));
    EXPECT_EQ(service.Calls[3].Replaces, 0u);
}

TEST_F(NotifierTest, ShowAndAClickLeadToTheFirstLine) {
    notifier->Take({Lines(3, "app.log", 2, 17), Lines(3, "db.log", 1, 3)});
    ASSERT_TRUE(Received(1));
    const uint id = service.Calls[0].Id;
    const struct {
        uint id;
        const char* key;
        bool leads;
    } cases[] = {
        {id, "show", true}, {id, "default", true}, {id + 7, "show", false}, {id, "other", false}};
    for (const auto& c : cases) {
        shown.clear();
        service.Invoke(c.id, c.key);
        if (c.leads) {
            ASSERT_TRUE(RunEventsUntil([&] { return !shown.empty(); })) << c.key;
            EXPECT_EQ(shown[0], (std::pair<std::string, int32_t>{"/var/log/app.log", 17}));
        } else {
            QTest::qWait(50);
            EXPECT_TRUE(shown.empty()) << c.key << " of " << c.id;
        }
    }
}

TEST_F(NotifierTest, WithoutAServiceNothingWaitsAndTheFailureIsToldOnce) {
    for (const bool busRuns : {true, false}) {
        SCOPED_TRACE(busRuns ? "no service on the bus" : "no bus");
        PrivateSessionBus empty;
        const QDBusConnection connection =
            busRuns ? empty.Connect()
                    : QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"),
                                                    QStringLiteral("marrowlight-test-nobus"));
        QStringList told;
        {
            Notifier lonely(connection, clock, GroupName);
            lonely.ReportFailure = [&](const QString& text) { told << text; };
            lonely.Take({Lines(3, "app.log", 1)});
            lonely.Take({Lines(2, "app.log", 1)});
            EXPECT_TRUE(RunEventsUntil([&] { return !told.isEmpty(); }));
            QTest::qWait(50);
        }
        EXPECT_EQ(told.size(), 1) << told.join("; ").toStdString();
        EXPECT_TRUE(told.value(0).startsWith("desktop notifications are not shown"));
        QDBusConnection::disconnectFromBus("marrowlight-test-nobus");
    }
    EXPECT_TRUE(service.Calls.empty());

    // No address and no bus socket: no bus is started just for notifications.
    const QByteArray address = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    QTemporaryDir noBus;
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(noBus.path()));
    EXPECT_FALSE(Notifier::SessionBus().isConnected());
    qputenv("DBUS_SESSION_BUS_ADDRESS", address);
    qputenv("XDG_RUNTIME_DIR", runtime);
}

} // namespace
} // namespace marrowlight
