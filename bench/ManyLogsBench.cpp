// The main window (offscreen, painting included) watching a folder whose
// logs it opens automatically, at 200 and 2,000 logs: the longest wait
// between two turns of the event loop while they open and while each of
// them gets a line within the same second, the share of a core the program
// takes while nothing is written, and the resident bytes each open log
// costs over the same window with none.

#include "LogBenchSupport.h"
#include "WindowBenchSupport.h"
#include "app/MainWindow.h"
#include "monitor/LogListModel.h"
#include "monitor/LogTab.h"
#include "monitor/LogTabs.h"
#include "monitor/UpdateCycle.h"
#include "settings/OptionsDialog.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace marrowlight {
namespace {

using namespace bench;

constexpr int LinesAtOpen = 10;

// Resident bytes now (not the peak).
double ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    double size = 0, resident = 0;
    statm >> size >> resident;
    return resident * double(::sysconf(_SC_PAGESIZE));
}

void Idle(int ms) {
    RunUntil([] { return false; }, ms);
}

// N logs of LinesAtOpen lines each, made aside and renamed into the watched
// folder in one step, so the window meets all of them in one pass.
struct Folder {
    explicit Folder(int logs) : count(logs) {
        std::filesystem::remove_all(path);
        std::filesystem::remove_all(staging);
        std::filesystem::create_directories(staging);
        for (int i = 0; i < count; ++i) {
            std::string text;
            for (int n = 0; n < LinesAtOpen; ++n)
                text += Line(i, n);
            const int fd =
                ::open(Log(staging, i).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
            if (fd < 0 || ::write(fd, text.data(), text.size()) != ssize_t(text.size()))
                std::abort();
            ::close(fd);
        }
    }
    ~Folder() {
        std::filesystem::remove_all(path);
        std::filesystem::remove_all(staging);
    }
    void Publish() const { std::filesystem::rename(staging, path); }
    static std::string Log(const std::string& folder, int i) {
        char name[32];
        std::snprintf(name, sizeof name, "/service-%05d.log", i);
        return folder + name;
    }
    static std::string Line(int log, int n) {
        return "2026-12-09 03:00:00 [log " + std::to_string(log) + "] Info line " +
               std::to_string(n) + " of the many-logs bench\n";
    }
    // One more line in every log, from another thread: the writer's time is
    // not the window's. Joined by the caller.
    std::thread Burst() const {
        return std::thread([this] {
            for (int i = 0; i < count; ++i) {
                const std::string line = Line(i, LinesAtOpen);
                const int fd = ::open(Log(path, i).c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
                if (fd < 0 || ::write(fd, line.data(), line.size()) != ssize_t(line.size()))
                    std::abort();
                ::close(fd);
            }
        });
    }

    int count;
    std::string path = "/tmp/marrowlight-many-logs";
    std::string staging = "/tmp/marrowlight-many-logs.staging";
};

// Every tab holds `rows` rows and no load is under way.
bool AllShow(const Window& w, int logs, int rows) {
    LogTabs& tabs = *w.frm->Tabs();
    if (tabs.Count() != logs || w.Loading())
        return false;
    for (int i = 0; i < logs; ++i)
        if (tabs.Tab(i)->Model().rowCount() != rows)
            return false;
    return true;
}

void BM_ManyLogs(benchmark::State& state) {
    const int logs = int(state.range(0));
    double openGap = 0, burstGap = 0, openS = 0, burstS = 0, idleCpu = 0, idleCpuWithTick = 0,
           perLog = 0;
    for (auto _ : state) {
        Folder folder(logs);
        Window w;
        w.frm->show();
        RunUntil([&] { return w.frm->FirstCycle; }, 10'000);
        // The folder's logs qualify by their ending alone; the menu was
        // restored by the show.
        w.options->LogFolderField->setText(QString::fromStdString(folder.path));
        w.options->MatchMaskBox->setChecked(false);
        w.options->MatchDateBox->setChecked(false);
        w.options->MatchWildcardsBox->setChecked(true);
        w.options->WildcardMasksField->setText("*.log");
        w.frm->AllEntriesAction->setChecked(true);
        w.frm->AutomaticModeAction->setChecked(true);
        Idle(1500);
        const double emptyBytes = ResidentBytes();

        QElapsedTimer clock;
        {
            GapProbe probe;
            folder.Publish();
            clock.start();
            if (!RunUntil([&] { return AllShow(w, logs, LinesAtOpen); }, 300'000))
                state.SkipWithError("the logs did not all open");
            openS = Ms(clock) / 1000;
            Idle(1000); // what follows the opening
            openGap = probe.longest;
        }
        Idle(2000);
        perLog = (ResidentBytes() - emptyBytes) / logs;

        // The loop of Idle wakes every 10 ms itself: kept apart, for a
        // comparison with earlier runs, from the program left to its timers.
        double cpu = CpuSeconds();
        clock.start();
        Idle(5000);
        idleCpuWithTick = (CpuSeconds() - cpu) / (Ms(clock) / 1000) * 100;
        cpu = CpuSeconds();
        clock.start();
        {
            QEventLoop loop;
            QTimer::singleShot(5000, &loop, &QEventLoop::quit);
            loop.exec();
        }
        idleCpu = (CpuSeconds() - cpu) / (Ms(clock) / 1000) * 100;

        {
            GapProbe probe;
            clock.start();
            std::thread writer = folder.Burst();
            const bool arrived =
                RunUntil([&] { return AllShow(w, logs, LinesAtOpen + 1); }, 300'000);
            writer.join();
            if (!arrived)
                state.SkipWithError("the burst did not all arrive");
            burstS = Ms(clock) / 1000;
            Idle(1000);
            burstGap = probe.longest;
        }
    }
    state.counters["open_max_gap_ms"] = openGap;
    state.counters["open_s"] = openS;
    state.counters["burst_max_gap_ms"] = burstGap;
    state.counters["burst_s"] = burstS;
    state.counters["idle_cpu_pct"] = idleCpu;
    state.counters["idle_cpu_with_tick_pct"] = idleCpuWithTick;
    state.counters["resident_B_per_log"] = perLog;
}

BENCHMARK(BM_ManyLogs)->Unit(benchmark::kMillisecond)->Iterations(1)->Arg(200)->Arg(2000);

} // namespace
} // namespace marrowlight

int main(int argc, char** argv) {
    return marrowlight::bench::RunWidgetBenchmarks(argc, argv);
}
