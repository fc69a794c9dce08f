// Widget tests run offscreen, with a settings folder of their own so the
// user's ~/.config is never touched.
#include "app/MarrowlightApplication.h"

#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <iostream>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Started again by a test: print what the program would take as its own
    // command line, one parameter a line.
    if (qEnvironmentVariableIsSet("MARROWLIGHT_PRINT_ARGUMENTS")) {
        const marrowlight::StartedApplication started = marrowlight::StartApplication(argc, argv);
        for (const std::string& arg : started.args)
            std::cout << arg << '\n';
        return 0;
    }
    QTemporaryDir configDir;
    qputenv("XDG_CONFIG_HOME", configDir.path().toLocal8Bit());
    // Notifications of windows under test never reach the desktop's service;
    // the notification tests start a bus of their own.
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + configDir.path().toLocal8Bit() + "/no-bus");
    QApplication app(argc, argv);
    QApplication::setApplicationName("Marrowlight");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
