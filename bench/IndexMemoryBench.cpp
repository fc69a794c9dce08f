// Memory of a bulk-loaded log list, through the real reader into the real
// list model: the heap the load leaves behind per line, as the allocator counts
// it (its own overhead included; the target is checked on this), the index's
// own sum of sizes per line read and per row shown, and the peak resident
// memory of the whole program while loading.

#include "LogBenchSupport.h"
#include "monitor/LogListModel.h"
#include "monitor/core/LogReader.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include <malloc.h>

using namespace marrowlight;
using namespace marrowlight::bench;

namespace {

std::string logPath;

struct FilterSettings : BenchSettings {
    std::array<bool, 3> shown{true, true, true};
    bool GroupShown(int g) const override { return shown[size_t(g - 1)]; }
};

double HeapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return double(info.uordblks + info.hblkhd);
}

void IndexMemory(benchmark::State& state, bool allEntries, std::array<bool, 3> shown) {
    BenchReader<FilterSettings> rig;
    rig.settings.allEntries = allEntries;
    rig.settings.shown = shown;
    LogReader& reader = rig.reader;
    double indexBytes = 0, heap = 0, peak = 0, rows = 0, lines = 0;
    {
        // The reader keeps its buffers for the next log: they are the
        // program's, not the list's, and are taken before counting.
        LogListModel warm;
        LogPage page;
        page.FileName = logPath;
        reader.Pass(page, warm);
    }
    for (auto _ : state) {
        LogListModel model;
        LogPage page;
        page.FileName = logPath;
        malloc_trim(0);
        ResetPeakMemory();
        const double before = HeapInUse();
        const PassOutcome out = reader.Pass(page, model);
        heap = HeapInUse() - before;
        peak = PeakMemory();
        indexBytes = double(model.Lines().MemoryBytes());
        rows = double(model.rowCount());
        lines = double(out.LinesTaken);
    }
    state.counters["lines"] = lines;
    state.counters["rows"] = rows;
    state.counters["index_B_per_line"] = indexBytes / lines;
    state.counters["index_B_per_row"] = rows > 0 ? indexBytes / rows : 0;
    state.counters["heap_B_per_line"] = heap / lines;
    state.counters["peak_MiB"] = peak / 1048576.0;
}

void BM_IndexMemoryAllEntries(benchmark::State& state) {
    IndexMemory(state, true, {true, true, true});
}
// Every line is in a shown group: rows as many as lines, with group bits.
void BM_IndexMemoryGroupFilters(benchmark::State& state) {
    IndexMemory(state, false, {true, true, true});
}
// One line in ten is shown: each row's start is a skip, not a line end.
void BM_IndexMemoryErrorsOnly(benchmark::State& state) {
    IndexMemory(state, false, {false, false, true});
}

} // namespace

BENCHMARK(BM_IndexMemoryAllEntries)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_IndexMemoryGroupFilters)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_IndexMemoryErrorsOnly)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    logPath = GenerateLog(LogMegabytes());
    MemchrLineCount(logPath); // warm the page cache
    return RunBenchmarks(argc, argv);
}
