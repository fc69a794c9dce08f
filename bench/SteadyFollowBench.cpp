// 100 open logs, each gaining 10 lines between passes: one pass over all of
// them against the bare cost of 100 stat calls plus reading the new bytes.

#include "LogBenchSupport.h"
#include "monitor/LogListModel.h"
#include "monitor/core/LogReader.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include <filesystem>

using namespace marrowlight;
using namespace marrowlight::bench;

namespace {

constexpr int LogCount = 100;
constexpr int LinesPerPass = 10;

struct Logs {
    std::string folder = "/tmp/marrowlight-follow";
    std::vector<std::string> paths;
    std::vector<int> writers;
    std::mt19937 rng{7};
    uint64_t lineNo = 0;

    Logs() {
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        for (int i = 0; i < LogCount; ++i) {
            paths.push_back(folder + "/log-" + std::to_string(i) + ".log");
            writers.push_back(::open(paths.back().c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644));
        }
        Grow(1000);
    }
    ~Logs() {
        for (int fd : writers)
            ::close(fd);
        std::filesystem::remove_all(folder);
    }
    void Grow(int lines) {
        for (int fd : writers) {
            std::string text;
            for (int k = 0; k < lines; ++k)
                text += MakeLine(rng, lineNo++);
            if (::write(fd, text.data(), text.size()) < 0)
                std::abort();
        }
    }
};

// 100 stat calls and reading the bytes each log gained; seconds taken.
double StatAndRead(const Logs& logs, std::vector<uint64_t>& readPos) {
    static std::vector<char> buffer(1 << 20);
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < LogCount; ++i) {
        struct stat st {};
        ::stat(logs.paths[i].c_str(), &st);
        int fd = ::open(logs.paths[i].c_str(), O_RDONLY | O_CLOEXEC);
        uint64_t size = uint64_t(st.st_size);
        ssize_t got =
            ::pread(fd, buffer.data(), std::min<uint64_t>(size - readPos[i], buffer.size()),
                    off_t(readPos[i]));
        benchmark::DoNotOptimize(got);
        readPos[i] = size;
        ::close(fd);
    }
    return Seconds(start);
}

void BM_FollowPass(benchmark::State& state) {
    Logs logs;
    BenchReader<> rig;
    LogReader& reader = rig.reader;
    std::vector<LogPage> pages(LogCount);
    std::vector<std::unique_ptr<LogListModel>> lists;
    for (int i = 0; i < LogCount; ++i) {
        pages[i].FileName = logs.paths[i];
        lists.push_back(std::make_unique<LogListModel>());
        reader.Pass(pages[i], *lists[i]); // the first pass loads what is there
    }
    std::vector<uint64_t> readPos(LogCount);
    for (int i = 0; i < LogCount; ++i)
        readPos[i] = pages[i].ReadPos;
    double total = 0, interleaved = 0;
    uint64_t appended = 0;
    for (auto _ : state) {
        state.PauseTiming();
        logs.Grow(LinesPerPass);
        // The baseline right before the pass, so both see the same machine load.
        interleaved += StatAndRead(logs, readPos);
        state.ResumeTiming();
        auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < LogCount; ++i)
            appended += reader.Pass(pages[i], *lists[i]).LinesShown;
        total += Seconds(start);
    }
    state.counters["lines_per_pass"] = double(appended) / double(state.iterations());
    state.counters["x_interleaved"] = total / interleaved;
}

// One log gaining one line per pass, as a pass per write brings it: the
// reader's share of a core at 10 lines a second, and the same against the
// bare stat and read of the line.
void BM_PassPerWrittenLine(benchmark::State& state) {
    Logs logs;
    BenchReader<> rig;
    LogReader& reader = rig.reader;
    LogPage page;
    page.FileName = logs.paths[0];
    LogListModel list;
    reader.Pass(page, list);
    std::vector<uint64_t> readPos(LogCount, page.ReadPos);
    const std::string line = MakeLine(logs.rng, 0);
    double total = 0, bare = 0;
    for (auto _ : state) {
        state.PauseTiming();
        if (::write(logs.writers[0], line.data(), line.size()) < 0)
            std::abort();
        struct stat st {};
        auto start = std::chrono::steady_clock::now();
        ::stat(logs.paths[0].c_str(), &st);
        const int fd = ::open(logs.paths[0].c_str(), O_RDONLY | O_CLOEXEC);
        char buffer[256];
        benchmark::DoNotOptimize(::pread(fd, buffer, line.size(), off_t(readPos[0])));
        ::close(fd);
        readPos[0] = uint64_t(st.st_size);
        bare += Seconds(start);
        state.ResumeTiming();
        start = std::chrono::steady_clock::now();
        if (reader.Pass(page, list).LinesShown != 1)
            state.SkipWithError("the line was not taken");
        total += Seconds(start);
    }
    const double pass = total / double(state.iterations());
    state.counters["cpu_pct_at_10_lines_s"] = pass * 10 * 100;
    state.counters["x_bare"] = total / bare;
}

} // namespace

BENCHMARK(BM_FollowPass)->Unit(benchmark::kMicrosecond)->Iterations(300);
BENCHMARK(BM_PassPerWrittenLine)->Unit(benchmark::kMicrosecond)->Iterations(1000);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    return RunBenchmarks(argc, argv);
}
