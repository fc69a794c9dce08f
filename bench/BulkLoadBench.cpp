// First pass over a large log in the all-lines mode, through the real reader
// into the real list model, against a memchr line count of the same bytes;
// read at once, and in the slices the window reads it in.

#include "LogBenchSupport.h"
#include "monitor/LogListModel.h"
#include "monitor/core/LogReader.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

using namespace marrowlight;
using namespace marrowlight::bench;

namespace {

std::string logPath;
double memchrSeconds = 0, memchrCpuSeconds = 0;

double CpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

void BM_MemchrLineCount(benchmark::State& state) {
    uint64_t lines = 0;
    double total = 0, cpu = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        double cpuStart = CpuSeconds();
        lines = MemchrLineCount(logPath);
        total += Seconds(start);
        cpu += CpuSeconds() - cpuStart;
        benchmark::DoNotOptimize(lines);
    }
    memchrSeconds = total / double(state.iterations());
    memchrCpuSeconds = cpu / double(state.iterations());
    state.counters["lines"] = double(lines);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(LogMegabytes() << 20));
}

// Three groups of regular expressions, as a user would write them; most
// lines are in none, so each is tested against all three.
struct RegexGroupSettings : BenchSettings {
    std::string GroupKeywords(int g) const override {
        static const std::array<std::string, 3> lists{"Info +Request 0*[1-9]00 ", "Warn(ing)? ",
                                                      "Error|fail(ed|ure)"};
        return lists[g - 1];
    }
    bool GroupUsesRegex(int) const override { return true; }
};

// sliced: read in slices of 20 ms as the window reads a large log.
template <class Settings = BenchSettings>
void BulkLoad(benchmark::State& state, bool allEntries, bool sliced = false) {
    BenchReader<Settings> rig;
    rig.settings.allEntries = allEntries;
    LogReader& reader = rig.reader;
    if (sliced)
        reader.SetSliceBudget(std::chrono::milliseconds(20));
    uint64_t slices = 0;
    double total = 0, cpu = 0, peak = 0;
    uint64_t rows = 0, lines = 0;
    for (auto _ : state) {
        ResetPeakMemory();
        auto start = std::chrono::steady_clock::now();
        double cpuStart = CpuSeconds();
        {
            LogPage page;
            page.FileName = logPath;
            LogListModel model;
            PassOutcome out = reader.Pass(page, model);
            for (slices = 1; out.Result == PassResult::Loading; ++slices)
                out = reader.Pass(page, model);
            rows = uint64_t(model.rowCount());
            lines = out.LinesTaken;
            total += Seconds(start);
            cpu += CpuSeconds() - cpuStart;
            peak = std::max(peak, PeakMemory());
        }
    }
    state.counters["rows"] = double(rows);
    if (sliced)
        state.counters["slices"] = double(slices);
    // Wall and CPU time against the memchr count; CPU is steadier on a busy machine.
    state.counters["x_memchr"] = total / double(state.iterations()) / memchrSeconds;
    state.counters["x_memchr_cpu"] = cpu / double(state.iterations()) / memchrCpuSeconds;
    state.counters["peak_MiB"] = peak / 1048576.0;
    state.counters["budget_MiB"] = (24.0 * double(lines)) / 1048576.0 + 96.0;
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(LogMegabytes() << 20));
}

void BM_BulkLoadAllEntries(benchmark::State& state) {
    BulkLoad(state, true);
}
void BM_BulkLoadGroupFilters(benchmark::State& state) {
    BulkLoad(state, false);
}
void BM_BulkLoadInSlicesAllEntries(benchmark::State& state) {
    BulkLoad(state, true, true);
}
void BM_BulkLoadInSlicesGroupFilters(benchmark::State& state) {
    BulkLoad(state, false, true);
}
void BM_BulkLoadRegexGroups(benchmark::State& state) {
    BulkLoad<RegexGroupSettings>(state, false);
}

} // namespace

BENCHMARK(BM_MemchrLineCount)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_BulkLoadAllEntries)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_BulkLoadGroupFilters)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_BulkLoadInSlicesAllEntries)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_BulkLoadRegexGroups)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_BulkLoadInSlicesGroupFilters)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    logPath = GenerateLog(LogMegabytes());
    MemchrLineCount(logPath); // warm the page cache
    return RunBenchmarks(argc, argv);
}
