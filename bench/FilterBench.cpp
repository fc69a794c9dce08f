// The filter pane over a large log: a whole pass through the real row index
// and its kept descriptor (plain text, a common word, an expression) against
// a memchr line count of the same bytes; the longest wait of the event loop
// while the pane fills in a shown window; what following a log costs with
// the pane open, against the same passes with it closed.

#include "LogBenchSupport.h"
#include "WindowBenchSupport.h"
#include "monitor/FilterPane.h"
#include "monitor/LineDrawer.h"
#include "monitor/LogLineDelegate.h"
#include "monitor/LogListModel.h"
#include "monitor/LogListView.h"
#include "monitor/core/FilterScan.h"
#include "monitor/core/LogReader.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <random>
#include <unistd.h>

namespace marrowlight {
namespace {

using namespace bench;

std::string logPath;
double memchrCpuSeconds = 0, memchrSeconds = 0;

struct DrawSettings : LineDrawSettings {
    std::string GroupKeywords(int g) const override {
        static const char* lists[] = {"Info", "Warn;warn", "Error;error"};
        return lists[g - 1];
    }
    QColor GroupColor(int group) const override {
        return group == 3 ? Qt::red : group == 2 ? Qt::darkYellow : Qt::darkGreen;
    }
    bool ShowLineNumbers() const override { return false; }
    bool ShowLineTime() const override { return false; }
    QString LineTimeMask() const override { return {}; }
};

// A log's list with the filter pane under it, as a tab holds them.
struct PaneWindow {
    PaneWindow() {
        list = new LogListView(&window);
        list->setItemDelegate(&delegate);
        list->setModel(&model);
        pane = new FilterPane(*list, model, drawer, delegate, &window);
        pane->Store = &store;
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(list, 1);
        layout->addWidget(pane);
        window.resize(900, 700);
    }
    // The log as a bulk load gives it: all lines, no records.
    void Load(const std::string& path) {
        page = LogPage();
        page.FileName = path;
        reader.reader.Pass(page, model);
    }
    void Filter(const char* pattern) {
        pane->Open();
        pane->PatternField->setEditText(QString::fromLatin1(pattern));
    }

    NoStore backend;
    SettingsStore store{backend, "Marrowlight"};
    DrawSettings settings;
    LineDrawer drawer{settings};
    LogListModel model;
    LogLineDelegate delegate{drawer};
    QWidget window;
    LogListView* list = nullptr;
    FilterPane* pane = nullptr;
    BenchReader<> reader;
    LogPage page;
};

void BM_MemchrLineCount(benchmark::State& state) {
    uint64_t lines = 0;
    double total = 0, cpu = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        const double cpuStart = CpuSeconds();
        lines = MemchrLineCount(logPath);
        total += Seconds(start);
        cpu += CpuSeconds() - cpuStart;
    }
    memchrSeconds = total / double(state.iterations());
    memchrCpuSeconds = cpu / double(state.iterations());
    state.counters["lines"] = double(lines);
}

MemoryLineList list;

// A whole pass over the list in the steps the pane takes.
void Pass(benchmark::State& state, const char* text, bool regex) {
    auto pattern = std::make_shared<const SearchPattern>(text, true, regex);
    double total = 0, cpu = 0;
    size_t results = 0, bytes = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        const double cpuStart = CpuSeconds();
        FilterScan scan(pattern, false, false, list.Lines());
        while (scan.Step(list.Lines(), uint64_t{1} << 20) == FilterState::Running) {
        }
        total += Seconds(start);
        cpu += CpuSeconds() - cpuStart;
        if (scan.State() != FilterState::UpToDate)
            state.SkipWithError(scan.Error().c_str());
        results = scan.Results().size();
        bytes = scan.Results().MemoryBytes();
    }
    state.counters["rows"] = double(list.Lines().size());
    state.counters["results"] = double(results);
    state.counters["result_B_per_row"] = results ? double(bytes) / double(results) : 0;
    state.counters["x_memchr"] = total / double(state.iterations()) / memchrSeconds;
    state.counters["x_memchr_cpu"] = cpu / double(state.iterations()) / memchrCpuSeconds;
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(LogMegabytes() << 20));
}

void BM_FilterPassPlain(benchmark::State& state) {
    Pass(state, "Connection reset by peer", false);
}
void BM_FilterPassCommonWord(benchmark::State& state) {
    Pass(state, "Error", false);
}
void BM_FilterPassExpression(benchmark::State& state) {
    Pass(state, "ERR[0-9]+", true);
}

// The pane filling in a shown window: the longest wait between two turns of
// the event loop (a zero-interval timer) until the last row is looked at.
void BM_FilterGapInTheWindow(benchmark::State& state) {
    double maxGap = 0, filled = 0, p99 = 0;
    int results = 0;
    for (auto _ : state) {
        PaneWindow w;
        w.Load(logPath);
        w.window.show();
        QElapsedTimer clock;
        clock.start();
        std::vector<double> gaps;
        double last = 0;
        QTimer probe;
        QObject::connect(&probe, &QTimer::timeout, [&] {
            const double now = Ms(clock);
            gaps.push_back(now - last);
            last = now;
        });
        probe.start(0);
        // The first slice runs inside the change of the pattern.
        w.Filter("Error");
        gaps.push_back(Ms(clock));
        last = Ms(clock);
        if (!RunUntil([&] { return !w.pane->Filling(); }))
            state.SkipWithError("the pane did not fill");
        filled = Ms(clock);
        results = w.pane->ResultCount();
        maxGap = *std::max_element(gaps.begin(), gaps.end());
        std::sort(gaps.begin(), gaps.end());
        p99 = gaps[size_t(0.99 * double(gaps.size() - 1))];
    }
    state.counters["max_gap_ms"] = maxGap;
    state.counters["p99_gap_ms"] = p99;
    state.counters["target_gap_ms"] = 50;
    state.counters["filled_s"] = filled / 1000;
    state.counters["results"] = results;
}

// Lines written one at a time, each taken by a pass of the reader, with the
// pane open on a pattern that every tenth line matches and then closed.
void BM_FilterFollowing(benchmark::State& state) {
    const std::string path = "/tmp/marrowlight-filter-follow.log";
    constexpr int Lines = 2000;
    double perLine = 0, openMs = 0, closedMs = 0;
    for (auto _ : state) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND, 0644);
        std::mt19937 rng(5);
        uint64_t n = 0;
        std::string block;
        for (int i = 0; i < 100'000; ++i)
            block += MakeLine(rng, n++);
        if (::write(fd, block.data(), block.size()) < 0)
            std::abort();
        PaneWindow w;
        w.Load(path);
        w.Filter("Error");
        RunUntil([&] { return !w.pane->Filling(); });
        auto follow = [&] {
            QElapsedTimer timer;
            timer.start();
            for (int i = 0; i < Lines; ++i) {
                const std::string line = MakeLine(rng, n++);
                if (::write(fd, line.data(), line.size()) < 0)
                    std::abort();
                w.reader.reader.Pass(w.page, w.model);
            }
            return Ms(timer);
        };
        openMs = follow();
        w.pane->Close();
        closedMs = follow();
        perLine = (openMs - closedMs) / Lines;
        ::close(fd);
    }
    std::filesystem::remove(path);
    state.counters["pane_ms_per_line"] = perLine;
    state.counters["pass_ms_per_line_open"] = openMs / Lines;
    state.counters["pass_ms_per_line_closed"] = closedMs / Lines;
    state.counters["target_ms_per_line"] = 0.05;
}

} // namespace
} // namespace marrowlight

using namespace marrowlight;

BENCHMARK(BM_MemchrLineCount)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_FilterPassPlain)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_FilterPassCommonWord)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_FilterPassExpression)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_FilterGapInTheWindow)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_FilterFollowing)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv) {
    return bench::RunWidgetBenchmarks(argc, argv, [] {
        logPath = bench::GenerateLog(bench::LogMegabytes());
        {
            bench::BenchReader<> rig;
            LogPage page;
            page.FileName = logPath;
            rig.reader.Pass(page, list);
        }
        bench::MemchrLineCount(logPath); // warm the page cache
    });
}
