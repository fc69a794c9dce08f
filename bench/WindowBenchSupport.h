#pragma once

#include "LogBenchSupport.h"
#include "app/MainWindow.h"
#include "monitor/LogListModel.h"
#include "monitor/LogTab.h"
#include "monitor/LogTabs.h"
#include "monitor/UpdateCycle.h"
#include "settings/OptionsDialog.h"
#include "settings/core/SettingsStore.h"
#include "support/core/SoundOutput.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace marrowlight::bench {

// An empty store that keeps nothing, for windows that must not read or
// write the user's settings.
struct NoStore : SettingsBackend {
    struct Key : SettingsKey {
        bool Exists(const std::string&) const override { return false; }
        std::string Read(const std::string&) const override { return {}; }
        void Write(const std::string&, const std::string&) override {}
        void Remove(const std::string&) override {}
    };
    std::unique_ptr<SettingsKey> OpenSettingsKey() override { return std::make_unique<Key>(); }
};

// No sound.
struct Silence : SoundOutput {
    void PlayEvent(const std::string&) override {}
    void PlayTone(int, int) override {}
};

inline double Ms(const QElapsedTimer& since) {
    return double(since.nsecsElapsed()) / 1e6;
}

// Runs the event loop until done() or the limit; false at the limit. Sleeps
// while there is nothing to do, so it adds no CPU of its own.
template <typename Done> bool RunUntil(Done done, int limitMs = 300'000) {
    QElapsedTimer timer;
    timer.start();
    QTimer tick; // wakes the loop to look at done() and the limit
    tick.start(10);
    while (!done() && timer.elapsed() < limitMs)
        QApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    return done();
}

// The longest wait between two turns of the event loop while the probe
// lives, as a person's input would wait for its turn (a zero-interval
// timer); each turn is also handed the ms since the probe began.
struct GapProbe {
    explicit GapProbe(std::function<void(double ms)> eachTurn = {}) : turn(std::move(eachTurn)) {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            const double now = Ms(clock);
            longest = std::max(longest, now - last);
            last = now;
            if (turn)
                turn(now);
        });
        clock.start();
        timer.start(0);
    }
    std::function<void(double)> turn;
    double longest = 0, last = 0;
    QElapsedTimer clock;
    QTimer timer;
};

// The program's window with its Options dialog over a store that keeps
// nothing, started on `logs`.
struct Window {
    explicit Window(const std::vector<std::string>& logs = {}) {
        std::vector<std::string> args{"marrowlight"};
        args.insert(args.end(), logs.begin(), logs.end());
        frm = std::make_unique<MainWindow>(store, args);
        options = new OptionsDialog(store, sound, false, frm.get());
        frm->AttachOptions(*options);
        frm->resize(900, 700);
    }
    ~Window() { frm->close(); }
    LogListModel& Model(int tab) const { return frm->Tabs()->Tab(tab)->Model(); }
    bool Loading() const { return frm->Cycle()->Loading(); }

    NoStore backend;
    SettingsStore store{backend, "Marrowlight"};
    Silence sound;
    std::unique_ptr<MainWindow> frm;
    OptionsDialog* options = nullptr;
};

// main() of a benchmark of widgets: the offscreen platform unless another
// is named, and `prepare` once the application exists.
inline int RunWidgetBenchmarks(int argc, char** argv, const std::function<void()>& prepare = {}) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (prepare)
        prepare();
    return RunBenchmarks(argc, argv);
}

} // namespace marrowlight::bench
