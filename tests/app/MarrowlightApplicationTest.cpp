#include "app/MarrowlightApplication.h"

#include "settings/core/SettingsStore.h"

#include <QCoreApplication>
#include <QProcess>
#include <gtest/gtest.h>

namespace marrowlight {
namespace {

TEST(MarrowlightApplication, FailuresOfAHandlerBecomeTheirMessage) {
    const std::pair<std::function<void()>, std::optional<QString>> cases[] = {
        {[] {}, std::nullopt},
        {[] { throw SettingsError("Failed to set data for 'Marrowlight.Group1Mnu'"); },
         QString("Failed to set data for 'Marrowlight.Group1Mnu'")},
        {[] { throw std::runtime_error("stat failed"); }, QString("stat failed")},
        {[] { throw 42; }, QString("An unexpected error occurred.")},
    };
    for (const auto& [deliver, message] : cases)
        EXPECT_EQ(CatchFailure(deliver), message);
}

// Runs this test program again; its main() then builds the application as
// the monitor does and prints the parameters left for the monitor.
TEST(MarrowlightApplication, SwitchesAreReadFromWhatQtLeavesOfTheCommandLine) {
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("MARROWLIGHT_PRINT_ARGUMENTS", "1");
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(),
                {"-stylesheet=x", "-f:/var/log/a.log", "-style", "fusion", "-reverse",
                 "-qwindowtitle", "Title", "-sn:1", "-nothing-of-qt", "/var/log/b.log"});
    ASSERT_TRUE(child.waitForFinished(20000));
    EXPECT_EQ(child.exitCode(), 0);
    QStringList printed = QString::fromUtf8(child.readAllStandardOutput()).split('\n');
    printed.removeAll(QString());
    ASSERT_FALSE(printed.isEmpty());
    printed.removeFirst(); // the program path
    EXPECT_EQ(printed.join(' ').toStdString(),
              "-f:/var/log/a.log -sn:1 -nothing-of-qt /var/log/b.log");
}

} // namespace
} // namespace marrowlight
