#include "app/MarrowlightApplication.h"
#include "app/TVtMarrowlightFrm.h"
#include "app/core/CommandLine.h"
#include "app/core/ProgramInfo.h"
#include "settings/QSettingsBackend.h"
#include "settings/TOptionsFrm.h"
#include "support/ConnectionProbe.h"
#include "support/SystemSoundOutput.h"

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

using namespace marrowlight;

namespace {

int signalPipe[2] = {-1, -1};

// Only async-signal-safe work here: the main loop reads the byte.
void OnTerminationSignal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
    errno = saved;
}

// SIGTERM (logout, kill), SIGINT (Ctrl+C) and SIGHUP close the window like Exit does,
// so the menu states and placement are saved.
void CloseOnTerminationSignals(QWidget& window) {
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &window);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window] {
        char buffer[16];
        while (::read(signalPipe[0], buffer, sizeof buffer) > 0) {
        }
        window.close();
        // Also ends the loop of a dialog that happens to be open.
        QCoreApplication::quit();
    });
    struct sigaction action = {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    // SIGHUP: the terminal that started us went away. A signal ignored on
    // purpose (nohup) stays ignored.
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        struct sigaction previous = {};
        if (sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN)
            continue;
        sigaction(signal, &action, nullptr);
    }
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv, argv + argc);
    if (const std::optional<int> code = AnswerInfoRequest(args, std::cout))
        return *code;
    if (IsConnectionProbe(args))
        return RunConnectionProbe(argc, argv);

    MarrowlightApplication app(argc, argv);
    QApplication::setApplicationName("Marrowlight");

    SettingsStore& store = ApplicationSettingsStore();
    SystemSoundOutput sound;
    TVtMarrowlightFrm window(store, args);
    // A child of the window, so it goes only after the window has let go of it.
    auto* options = new TOptionsFrm(store, sound, window.Cmd().SwitchPresent("-ot"), &window);
    window.AttachOptions(*options);
    CloseOnTerminationSignals(window);

    window.show();
    return QApplication::exec();
}
