// The find bar's search through a large log with no match, through the real
// row index and its kept descriptor, against a memchr line count of the same
// bytes taken between the iterations: plain text (as typed and without case)
// and a simple expression.

#include "LogBenchSupport.h"
#include "monitor/core/LineSink.h"
#include "monitor/core/LogReader.h"
#include "monitor/core/RowSearch.h"

#include <benchmark/benchmark.h>
#include <memory>

using namespace marrowlight;
using namespace marrowlight::bench;

namespace {

std::string logPath;
MemoryLineList list;

// The whole list, oldest to newest, in the steps the find bar takes.
void Search(benchmark::State& state, const char* text, bool matchCase, bool regex) {
    auto pattern = std::make_shared<SearchPattern>(text, matchCase, regex);
    double total = 0, cpu = 0;
    SearchState result = SearchState::Running;
    MemchrBaseline baseline;
    for (auto _ : state) {
        baseline.Measure(state, logPath);
        auto start = std::chrono::steady_clock::now();
        double cpuStart = CpuSeconds();
        RowSearch search(pattern, SearchDirection::Newer, false, list.Lines(), std::nullopt);
        while ((result = search.Step(list.Lines(), uint64_t{16} << 20)) == SearchState::Running) {
        }
        total += Seconds(start);
        cpu += CpuSeconds() - cpuStart;
    }
    if (result != SearchState::NotFound)
        state.SkipWithError("the text was found");
    state.counters["rows"] = double(list.Lines().size());
    // Wall and CPU time against the memchr count; CPU is steadier on a busy machine.
    const double iterations = double(state.iterations());
    baseline.Report(state, total / iterations, cpu / iterations);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(LogMegabytes() << 20));
}

void BM_FindPlainText(benchmark::State& state) {
    Search(state, "Connection reset by peer", true, false);
}
void BM_FindPlainTextAnyCase(benchmark::State& state) {
    Search(state, "connection RESET by peer", false, false);
}
void BM_FindExpression(benchmark::State& state) {
    Search(state, "ERR[0-9]+", true, true);
}

} // namespace

BENCHMARK(BM_FindPlainText)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_FindPlainTextAnyCase)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_FindExpression)->Unit(benchmark::kMillisecond)->Iterations(5);

int main(int argc, char** argv) {
    logPath = GenerateLog(LogMegabytes());
    {
        // The rows as a bulk load gives them: all lines, no records.
        BenchReader<> rig;
        LogReader& reader = rig.reader;
        LogPage page;
        page.FileName = logPath;
        reader.Pass(page, list);
    }
    MemchrLineCount(logPath); // warm the page cache
    return RunBenchmarks(argc, argv);
}
