// Widget tests run offscreen, with a settings folder of their own so the
// user's ~/.config is never touched.
#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir configDir;
    qputenv("XDG_CONFIG_HOME", configDir.path().toLocal8Bit());
    QApplication app(argc, argv);
    QApplication::setApplicationName("Marrowlight");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
