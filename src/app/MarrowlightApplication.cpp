#include "app/MarrowlightApplication.h"

#include "support/AppIcon.h"

#include <QMessageBox>
#include <cstdio>
#include <exception>

namespace marrowlight {

std::optional<QString> CatchFailure(const std::function<void()>& deliver) {
    try {
        deliver();
    } catch (const std::exception& error) {
        return QString::fromUtf8(error.what());
    } catch (...) {
        return QStringLiteral("An unexpected error occurred.");
    }
    return std::nullopt;
}

MarrowlightApplication::MarrowlightApplication(int& argc, char** argv) : QApplication(argc, argv) {
    SetDesktopIdentity();
}

StartedApplication StartApplication(int& argc, char** argv) {
    StartedApplication started;
    started.app = std::make_unique<MarrowlightApplication>(argc, argv);
    QApplication::setApplicationName("Marrowlight");
    started.args.assign(argv, argv + argc);
    return started;
}

bool MarrowlightApplication::notify(QObject* receiver, QEvent* event) {
    bool handled = false;
    const std::optional<QString> failure =
        CatchFailure([&] { handled = QApplication::notify(receiver, event); });
    if (!failure)
        return handled;
    // A handler that fails again while its box is up (a repaint, a timer)
    // would stack boxes without end; those go to the terminal instead.
    if (reporting_) {
        std::fprintf(stderr, "Marrowlight: %s\n", failure->toLocal8Bit().constData());
        return false;
    }
    reporting_ = true;
    QMessageBox::critical(activeWindow(), QStringLiteral("Marrowlight"), *failure);
    reporting_ = false;
    return false;
}

} // namespace marrowlight
