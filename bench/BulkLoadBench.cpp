// First pass over a large log in the all-lines mode, through the real reader
// into the real list model, against a memchr line count of the same bytes
// taken between the iterations;
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

// sliced: read in slices of 20 ms as the window reads a large log.
void BulkLoad(benchmark::State& state, bool allEntries, bool sliced = false) {
    BenchReader<> rig;
    rig.settings.allEntries = allEntries;
    LogReader& reader = rig.reader;
    if (sliced)
        reader.SetSliceBudget(std::chrono::milliseconds(20));
    uint64_t slices = 0;
    double total = 0, cpu = 0, peak = 0;
    uint64_t rows = 0, lines = 0;
    MemchrBaseline baseline;
    for (auto _ : state) {
        baseline.Measure(state, logPath);
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
    const double iterations = double(state.iterations());
    baseline.Report(state, total / iterations, cpu / iterations);
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

} // namespace

BENCHMARK(BM_BulkLoadAllEntries)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_BulkLoadGroupFilters)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_BulkLoadInSlicesAllEntries)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_BulkLoadInSlicesGroupFilters)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    logPath = GenerateLog(LogMegabytes());
    MemchrLineCount(logPath); // warm the page cache
    return RunBenchmarks(argc, argv);
}
