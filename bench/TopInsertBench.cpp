// Newest lines at the top: the cost per inserted line must not depend on how
// long the list already is.

#include "LogBenchSupport.h"
#include "monitor/LogListModel.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

using namespace marrowlight;
using namespace marrowlight::bench;

namespace {

constexpr int BatchLines = 5;
double smallListNsPerLine = 0;

void BM_InsertAtTop(benchmark::State& state) {
    const uint64_t rows = uint64_t(state.range(0));
    LogListModel model;
    {
        LineIndex bulk;
        for (uint64_t i = 0; i < rows; ++i)
            bulk.push_back(LineEntry(i * 100, 98));
        model.LoadLines(std::move(bulk));
    }
    uint64_t offset = rows * 100;
    int32_t lineNo = 0;
    double total = 0;
    for (auto _ : state) {
        LineIndex batch;
        for (int k = 0; k < BatchLines; ++k) {
            batch.push_front(LineEntry(offset, 98), {46000.0, ++lineNo});
            offset += 100;
        }
        auto start = std::chrono::steady_clock::now();
        model.InsertLinesAtTop(std::move(batch));
        total += Seconds(start);
    }
    double nsPerLine = total * 1e9 / double(state.iterations() * BatchLines);
    if (rows <= 10000)
        smallListNsPerLine = nsPerLine;
    state.counters["ns_per_line"] = nsPerLine;
    if (rows > 10000 && smallListNsPerLine > 0)
        state.counters["x_10k_list"] = nsPerLine / smallListNsPerLine;
}

} // namespace

BENCHMARK(BM_InsertAtTop)->Arg(10000)->Arg(10000000)->Iterations(1000);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    return RunBenchmarks(argc, argv);
}
