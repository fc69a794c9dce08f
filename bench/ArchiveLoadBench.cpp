// Loading a compressed log in the window (offscreen): from opening it to
// its last row, next to `zcat FILE | wc -l` (xzcat, zstdcat) of the same
// run, and the longest wait between two turns of the event loop meanwhile.

#include "LogBenchSupport.h"
#include "WindowBenchSupport.h"
#include "app/MainWindow.h"
#include "monitor/LogListModel.h"
#include "monitor/LogTab.h"
#include "monitor/LogTabs.h"
#include "monitor/ProducerPump.h"
#include "monitor/UpdateCycle.h"
#include "settings/OptionsDialog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <vector>

namespace marrowlight {
namespace {

using namespace bench;

struct Format {
    const char* name;
    const char* suffix;
    const char* compress; // from the log on stdin to the archive on stdout
    const char* cat;
};
const Format Formats[] = {
    {"gzip", ".gz", "gzip -c", "zcat"},
    {"xz", ".xz", "xz -c -1 -T2", "xzcat"},
    {"zstd", ".zst", "zstd -q -c", "zstdcat"},
};

std::string logPath;

// The log compressed once, kept while it is newer than the log.
std::string Archive(const Format& format) {
    const std::string path = logPath + format.suffix;
    struct stat log {
    }, archive{};
    if (::stat(path.c_str(), &archive) == 0 && ::stat(logPath.c_str(), &log) == 0 &&
        archive.st_mtime >= log.st_mtime && archive.st_size > 0)
        return path;
    const std::string command = std::string(format.compress) + " < " + logPath + " > " + path;
    if (std::system(command.c_str()) != 0)
        return {};
    return path;
}

double ChildrenCpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double OwnCpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void BM_LoadArchive(benchmark::State& state) {
    const Format& format = Formats[state.range(0)];
    const std::string archive = Archive(format);
    if (archive.empty()) {
        state.SkipWithError("the archive could not be made");
        return;
    }
    // The baseline, in the same run: wall time and the pipeline's CPU.
    const std::string count = std::string(format.cat) + " " + archive + " | wc -l > /dev/null";
    double catMs = 0, catCpu = 0;
    {
        const double cpu = ChildrenCpuSeconds();
        QElapsedTimer timer;
        timer.start();
        if (std::system(count.c_str()) != 0)
            state.SkipWithError("the baseline failed");
        catMs = Ms(timer);
        catCpu = ChildrenCpuSeconds() - cpu;
    }
    const uint64_t lines = bench::MemchrLineCount(logPath);

    double loadedMs = 0, loadCpu = 0, firstRowsMs = 0, maxGap = 0, grownMiB = 0;
    for (auto _ : state) {
        Window w;
        w.frm->show();
        RunUntil([&] { return w.frm->FirstCycle; });
        bench::ResetPeakMemory();
        const double before = bench::PeakMemory();
        const double cpu = OwnCpuSeconds();
        LogTab* tab = nullptr;
        // From the opening, which the first wait includes.
        GapProbe probe([&](double ms) {
            if (!firstRowsMs && tab->Model().rowCount() > 0)
                firstRowsMs = ms;
        });
        w.frm->Tabs()->OpenLog(archive);
        tab = w.frm->Tabs()->Tab(0);
        const bool done = RunUntil(
            [&] {
                return tab->Pump && tab->Pump->Finished() && !w.Loading() &&
                       uint64_t(tab->Model().rowCount()) == lines;
            },
            600'000);
        maxGap = probe.longest;
        loadedMs = Ms(probe.clock);
        loadCpu = OwnCpuSeconds() - cpu;
        grownMiB = (bench::PeakMemory() - before) / 1048576.0;
        if (!done)
            state.SkipWithError("the archive did not load");
    }
    state.counters["lines"] = double(lines);
    state.counters["cat_wc_ms"] = catMs;
    state.counters["loaded_ms"] = loadedMs;
    state.counters["x_cat_wc"] = loadedMs / catMs;
    state.counters["x_cat_wc_cpu"] = loadCpu / catCpu;
    state.counters["cpu_ms"] = loadCpu * 1000;
    state.counters["cat_wc_cpu_ms"] = catCpu * 1000;
    state.counters["first_rows_ms"] = firstRowsMs;
    state.counters["max_gap_ms"] = maxGap;
    // What the load added to the peak: the index, about 4 bytes a line, and
    // buffers of bounded size; the text stays in the spool.
    state.counters["peak_growth_MiB"] = grownMiB;
    state.counters["index_MiB"] = 4.0 * double(lines) / 1048576.0;
}

BENCHMARK(BM_LoadArchive)->Unit(benchmark::kMillisecond)->Iterations(1)->Arg(0)->Arg(1)->Arg(2);

} // namespace
} // namespace marrowlight

int main(int argc, char** argv) {
    return marrowlight::bench::RunWidgetBenchmarks(argc, argv, [] {
        marrowlight::logPath = marrowlight::bench::GenerateLog(marrowlight::bench::LogMegabytes());
    });
}
