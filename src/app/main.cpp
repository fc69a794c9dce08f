#include "app/MainWindow.h"
#include "app/MarrowlightApplication.h"
#include "app/core/CommandLine.h"
#include "app/core/ProgramInfo.h"
#include "settings/OptionsDialog.h"
#include "settings/QSettingsBackend.h"
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
// so the menu states and placement are saved; a failure to save ends the program
// with code 1 instead of waiting for a click.
void CloseOnTerminationSignals(MainWindow& window) {
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &window);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window] {
        char buffer[16];
        while (::read(signalPipe[0], buffer, sizeof buffer) > 0) {
        }
        // Also ends the loop of a dialog that happens to be open.
        QCoreApplication::exit(window.CloseForSignal());
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
    // Answered without a display, before Qt sees the command line.
    {
        const std::vector<std::string> given(argv, argv + argc);
        if (const std::optional<int> code = AnswerInfoRequest(given, std::cout))
            return *code;
        if (IsConnectionProbe(given))
            return RunConnectionProbe(argc, argv);
    }

    const StartedApplication started = StartApplication(argc, argv);

    SettingsStore& store = ApplicationSettingsStore();
    SystemSoundOutput sound;
    MainWindow window(store, started.args);
    // A child of the window, so it goes only after the window has let go of it.
    auto* options = new OptionsDialog(store, sound, window.Cmd().SwitchPresent("-ot"), &window);
    window.AttachOptions(*options);
    CloseOnTerminationSignals(window);

    window.show();
    return QApplication::exec();
}
