// One automatic pass over a watched folder of 10,000 files, 50 of which
// qualify and are open, against a bare readdir of the same folder.

#include "LogBenchSupport.h"
#include "autoopen/core/AutoOpenRules.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <filesystem>

using namespace marrowlight;
using namespace marrowlight::bench;

namespace {

constexpr int FileCount = 10'000;
constexpr int QualifyingCount = 50;

struct Folder {
    std::string path = "/tmp/marrowlight-autoopen/";
    std::vector<std::string> openLogs;

    Folder() {
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
        // Every 200th file is a log; the rest are other files of the same folder.
        for (int i = 0; i < FileCount; ++i) {
            char name[32];
            if (i % (FileCount / QualifyingCount) == 0)
                std::snprintf(name, sizeof name, "service-%05d.log", i);
            else
                std::snprintf(name, sizeof name, "record-%05d.dat", i);
            const int fd = ::open((path + name).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd < 0)
                std::abort();
            ::close(fd);
            if (name[0] == 's')
                openLogs.push_back(path + name);
        }
    }
    ~Folder() { std::filesystem::remove_all(path); }
};

// The folder's conditions: the default masks, with the day check on, so the
// pass has to ask for the time of every log it keeps.
AutoOpenConditions Conditions() {
    AutoOpenConditions c;
    c.DateMasks = "yyyymmdd.log;exyymmdd.log";
    c.Wildcards = "*.log";
    c.MatchMask = true;
    c.MatchWildcards = true;
    c.MatchDate = true;
    return c;
}

// Seconds to read every entry of the folder.
double PlainListing(const std::string& folder) {
    const auto start = std::chrono::steady_clock::now();
    DIR* dir = ::opendir(folder.c_str());
    int entries = 0;
    while (const dirent* entry = ::readdir(dir)) {
        benchmark::DoNotOptimize(entry->d_name);
        ++entries;
    }
    ::closedir(dir);
    if (entries < FileCount)
        std::abort();
    return Seconds(start);
}

void BM_AutoOpenPass(benchmark::State& state) {
    Folder folder;
    const AutoOpenConditions conditions = Conditions();
    SystemClock clock;
    double total = 0, interleaved = 0;
    std::size_t kept = 0, found = 0;
    for (auto _ : state) {
        state.PauseTiming();
        // The baseline right before the pass, so both see the same machine load.
        interleaved += PlainListing(folder.path);
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        const CalendarDate today = Today(clock);
        // Closing: every open log is checked against the conditions.
        for (const std::string& path : folder.openLogs)
            kept += PathQualifiesForAutoOpen(path, conditions, today);
        // Opening: the folder's qualifying files not yet open (none here).
        for (const std::string& path : QualifyingFiles(folder.path, conditions, today)) {
            ++found;
            const bool open = std::find(folder.openLogs.begin(), folder.openLogs.end(), path) !=
                              folder.openLogs.end();
            benchmark::DoNotOptimize(open);
        }
        total += Seconds(start);
    }
    const double passes = double(state.iterations());
    if (kept != std::size_t(QualifyingCount * state.iterations()) || found != kept)
        state.SkipWithError("the pass did not keep exactly the logs of the folder");
    state.counters["qualifying"] = double(found) / passes;
    state.counters["x_interleaved"] = total / interleaved;
}

} // namespace

BENCHMARK(BM_AutoOpenPass)->Unit(benchmark::kMicrosecond)->Iterations(300);

int main(int argc, char** argv) {
    return RunBenchmarks(argc, argv);
}
