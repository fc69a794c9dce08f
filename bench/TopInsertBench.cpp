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
constexpr uint64_t SmallListRows = 10000;

// A list model of `rows` rows of 98 bytes, each row 100 bytes after the last.
struct TopList {
    explicit TopList(uint64_t rows) : offset(rows * 100) {
        LineIndex bulk;
        for (uint64_t i = 0; i < rows; ++i)
            bulk.push_back(LineEntry(i * 100, 98));
        model.LoadLines(std::move(bulk));
    }
    // Seconds to insert a batch of new lines at the top.
    double InsertBatch() {
        LineIndex batch;
        for (int k = 0; k < BatchLines; ++k) {
            batch.push_front(LineEntry(offset, 98), {46000.0, ++lineNo});
            offset += 100;
        }
        auto start = std::chrono::steady_clock::now();
        model.InsertLinesAtTop(std::move(batch));
        return Seconds(start);
    }
    LogListModel model;
    uint64_t offset;
    int32_t lineNo = 0;
};

// Lines inserted at the top of a long list, against the same batches at the
// top of a list of 10,000 rows in the same iterations (the time column counts
// both; the counters part them).
void BM_InsertAtTop(benchmark::State& state) {
    TopList list(uint64_t(state.range(0)));
    TopList small(SmallListRows);
    double total = 0, smallTotal = 0;
    for (auto _ : state) {
        total += list.InsertBatch();
        smallTotal += small.InsertBatch();
    }
    const double lines = double(state.iterations() * BatchLines);
    state.counters["ns_per_line"] = total * 1e9 / lines;
    state.counters["x_10k_list"] = total / smallTotal;
}

} // namespace

BENCHMARK(BM_InsertAtTop)->Arg(10000000)->Iterations(1000);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    return RunBenchmarks(argc, argv);
}
