// The main window as a user meets it (offscreen, painting included): how
// soon a large log's first rows are in the list, how long the event loop
// waits at most while the log loads, how soon a written line is a row, and
// what following a log costs; each next to the bare cost of the same run (a
// memchr line count, an idle event loop, a bare inotify watch).

#include "LogBenchSupport.h"
#include "WindowBenchSupport.h"
#include "app/MainWindow.h"
#include "monitor/LogListModel.h"
#include "monitor/LogTab.h"
#include "monitor/LogTabs.h"
#include "monitor/UpdateCycle.h"
#include "settings/OptionsDialog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <filesystem>
#include <memory>
#include <string>
#include <sys/inotify.h>
#include <utility>
#include <vector>

namespace marrowlight {
namespace {

using namespace bench;

double Percentile(std::vector<double> values, double p) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(p * double(values.size() - 1) + 0.5))];
}

std::string logPath;
// Pass start -> the first rows of the log in the list model: the first
// slice of the load, inside the pass.
void BM_PassToFirstRows(benchmark::State& state) {
    std::vector<double> times;
    int rows = 0;
    bench::MemchrBaseline baseline;
    for (auto _ : state) {
        baseline.Measure(state, logPath);
        Window w;
        w.frm->show();
        RunUntil([&] { return w.frm->FirstCycle; });
        w.frm->Tabs()->OpenLog(logPath);
        QElapsedTimer timer;
        timer.start();
        w.frm->PollLogs();
        times.push_back(Ms(timer));
        rows = w.Model(0).rowCount();
        if (rows == 0)
            state.SkipWithError("no rows after the first pass");
    }
    const double median = Percentile(times, 0.5);
    state.counters["first_rows_ms"] = median;
    state.counters["rows"] = rows;
    baseline.Report(state, median / 1000);
}

// From the window's show: when the first rows are in the list, the longest
// wait between two turns of the event loop (a zero-interval timer) while the
// log loads, and when it is loaded; the same timer on the idle window is the
// baseline.
void BM_LoadInTheWindow(benchmark::State& state) {
    double firstRows = 0, maxGap = 0, idleMaxGap = 0, loaded = 0, p99 = 0;
    bench::MemchrBaseline baseline;
    for (auto _ : state) {
        baseline.Measure(state, logPath);
        Window w({logPath});
        QElapsedTimer clock;
        clock.start();
        w.frm->show();
        std::vector<double> gaps;
        double last = -1;
        bool measuring = false;
        QTimer probe;
        QObject::connect(&probe, &QTimer::timeout, [&] {
            const double now = Ms(clock);
            if (!measuring && w.frm->Activated) {
                measuring = true; // the first pass, queued by the activation, comes next
                last = now;
                return;
            }
            if (measuring)
                gaps.push_back(now - last);
            last = now;
            if (!firstRows && w.frm->Tabs()->Count() > 0 && w.Model(0).rowCount() > 0)
                firstRows = now;
        });
        probe.start(0);
        // Argument 1: the group filters of the View menu, so every line's
        // keywords are tested. Set after the show restored the menu.
        w.frm->AllEntriesAction->setChecked(state.range(0) == 0);
        const bool done = RunUntil(
            [&] { return w.frm->FirstCycle && !w.Loading() && w.Model(0).rowCount() > 0; });
        loaded = Ms(clock);
        if (!done)
            state.SkipWithError("the log did not load");
        maxGap = gaps.empty() ? 0 : *std::max_element(gaps.begin(), gaps.end());
        p99 = Percentile(gaps, 0.99);

        // The same window with nothing to do.
        std::vector<double> idle;
        const double idleStart = Ms(clock);
        QObject::disconnect(&probe, nullptr, nullptr, nullptr);
        last = idleStart;
        QObject::connect(&probe, &QTimer::timeout, [&] {
            const double now = Ms(clock);
            idle.push_back(now - last);
            last = now;
        });
        RunUntil([&] { return Ms(clock) - idleStart > 1000; });
        idleMaxGap = idle.empty() ? 0 : *std::max_element(idle.begin(), idle.end());
    }
    state.counters["show_to_rows_ms"] = firstRows;
    state.counters["max_gap_ms"] = maxGap;
    state.counters["p99_gap_ms"] = p99;
    state.counters["idle_max_gap_ms"] = idleMaxGap;
    state.counters["loaded_s"] = loaded / 1000;
    baseline.Report(state, loaded / 1000);
}

constexpr int Writes = 100;
constexpr int WriteEveryMs = 100; // 10 lines a second

struct FollowedLog {
    std::string path = "/tmp/marrowlight-live-follow.log";
    int fd = -1;
    uint64_t n = 0;
    std::mt19937 rng{11};
    FollowedLog() {
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644);
        // A log of some size: over few rows every line would move the
        // scroll bar's thumb.
        for (int i = 0; i < 100'000; ++i)
            WriteLine();
    }
    ~FollowedLog() {
        ::close(fd);
        std::filesystem::remove(path);
    }
    void WriteLine() {
        const std::string line = bench::MakeLine(rng, n++);
        if (::write(fd, line.data(), line.size()) < 0)
            std::abort();
    }
};

// Writes one line every WriteEveryMs from a timer; Arrived(n) tells that
// the first n lines arrived. Event-driven throughout, so the CPU measured
// meanwhile is the program's.
struct Pacer {
    explicit Pacer(FollowedLog& followed) : log(followed) {
        clock.start();
        writer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&writer, &QTimer::timeout, [this] {
            if (writtenAt.size() == Writes)
                return;
            writtenAt.push_back(Ms(clock));
            log.WriteLine();
        });
    }
    void Run() {
        writer.start(WriteEveryMs);
        QTimer::singleShot(Writes * WriteEveryMs + 5000, &loop, &QEventLoop::quit);
        loop.exec();
        writer.stop();
    }
    void Arrived(size_t lines) {
        while (latencies.size() < std::min(lines, writtenAt.size()))
            latencies.push_back(Ms(clock) - writtenAt[latencies.size()]);
        if (latencies.size() == Writes)
            loop.quit();
    }

    FollowedLog& log;
    QElapsedTimer clock;
    QTimer writer;
    QEventLoop loop;
    std::vector<double> writtenAt, latencies;
};

// The window following the log while it gains WriteEveryMs lines: the ms
// from each write to its row in the list model, and the share of a core the
// program took meanwhile (painting included).
std::vector<double> Follow(FollowedLog& log, bool watching, double& cpuShare) {
    Window w({log.path});
    w.frm->Cycle()->SetWatching(watching);
    w.frm->show();
    RunUntil([&] { return w.frm->FirstCycle && !w.Loading() && w.Model(0).rowCount() > 0; });
    RunUntil([] { return false; }, 1000); // settled
    const int start = w.Model(0).rowCount();
    Pacer pacer(log);
    QObject::connect(&w.Model(0), &QAbstractItemModel::rowsInserted,
                     [&] { pacer.Arrived(size_t(w.Model(0).rowCount() - start)); });
    const double cpu = CpuSeconds();
    QElapsedTimer wall;
    wall.start();
    pacer.Run();
    cpuShare = (CpuSeconds() - cpu) / (double(wall.nsecsElapsed()) / 1e9);
    return pacer.latencies;
}

// Write -> row in the list model for single lines at 10 a second, against a
// bare inotify watch of the same file, and the CPU taken meanwhile. The
// writer runs in this process, so the bare run's CPU is the writer's (and a
// watch's): what the program takes is the difference.
void BM_WriteToRow(benchmark::State& state) {
    std::vector<double> ours, bare;
    double cpuShare = 0, bareShare = 0;
    for (auto _ : state) {
        FollowedLog log;
        {
            const int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
            inotify_add_watch(fd, log.path.c_str(), IN_MODIFY);
            QSocketNotifier notifier(fd, QSocketNotifier::Read);
            Pacer pacer(log);
            QObject::connect(&notifier, &QSocketNotifier::activated, [&] {
                char buffer[4096];
                while (::read(fd, buffer, sizeof buffer) > 0) {
                }
                pacer.Arrived(pacer.writtenAt.size());
            });
            const double cpu = CpuSeconds();
            QElapsedTimer wall;
            wall.start();
            pacer.Run();
            bareShare = (CpuSeconds() - cpu) / (double(wall.nsecsElapsed()) / 1e9);
            bare = pacer.latencies;
            ::close(fd);
        }
        ours = Follow(log, true, cpuShare);
    }
    if (ours.size() != Writes || bare.size() != Writes)
        state.SkipWithError("a write did not arrive");
    state.counters["median_ms"] = Percentile(ours, 0.5);
    state.counters["p95_ms"] = Percentile(ours, 0.95);
    state.counters["bare_median_ms"] = Percentile(bare, 0.5);
    state.counters["bare_p95_ms"] = Percentile(bare, 0.95);
    state.counters["x_bare_median"] = Percentile(ours, 0.5) / std::max(1e-3, Percentile(bare, 0.5));
    state.counters["cpu_pct"] = cpuShare * 100;
    state.counters["writer_cpu_pct"] = bareShare * 100;
    state.counters["program_cpu_pct"] = (cpuShare - bareShare) * 100;
}

// The same by polling alone, as before notifications: the yardstick for
// what following costs.
void BM_WriteToRowByPollingAlone(benchmark::State& state) {
    std::vector<double> latencies;
    double cpuShare = 0;
    for (auto _ : state) {
        FollowedLog log;
        latencies = Follow(log, false, cpuShare);
    }
    if (latencies.size() != Writes)
        state.SkipWithError("a write did not arrive");
    state.counters["median_ms"] = Percentile(latencies, 0.5);
    state.counters["p95_ms"] = Percentile(latencies, 0.95);
    state.counters["cpu_pct"] = cpuShare * 100;
}

BENCHMARK(BM_PassToFirstRows)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_LoadInTheWindow)->Unit(benchmark::kMillisecond)->Iterations(1)->Arg(0)->Arg(1);
BENCHMARK(BM_WriteToRow)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_WriteToRowByPollingAlone)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
} // namespace marrowlight

int main(int argc, char** argv) {
    return marrowlight::bench::RunWidgetBenchmarks(argc, argv, [] {
        marrowlight::logPath = marrowlight::bench::GenerateLog(marrowlight::bench::LogMegabytes());
        marrowlight::bench::MemchrLineCount(marrowlight::logPath); // warm the page cache
    });
}
