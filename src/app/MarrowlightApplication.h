#pragma once

#include <QApplication>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace marrowlight {

// Runs `deliver`; the text of an exception escaping it, nullopt when none did.
std::optional<QString> CatchFailure(const std::function<void()>& deliver);

// The one place where an exception escaping an event handler is caught: it
// is shown in a message box titled "Marrowlight" and the program carries on.
// Every window of the application carries Marrowlight's icon.
class MarrowlightApplication : public QApplication {
    Q_OBJECT

  public:
    MarrowlightApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

  private:
    bool reporting_ = false;
};

struct StartedApplication {
    std::unique_ptr<MarrowlightApplication> app;
    // argv[0] first, as bytes; what Qt left of the command line.
    std::vector<std::string> args;
};

// Builds the application from main's argc and argv (it keeps a reference to
// argc, which must outlive it). Qt takes the options it knows out of argv
// while doing so (-style, -stylesheet, -reverse, -platform, and under X11
// -display, -nograb, ...), so the program's own switches are read from what
// is left; "-display" must not count as "-d".
StartedApplication StartApplication(int& argc, char** argv);

} // namespace marrowlight
