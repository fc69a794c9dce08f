// Journal tabs: loading a million entries from journal files against
// journalctl writing them as text in the same run, the longest slice the
// window waits for while they load, the resident memory an entry costs, and
// how long a new entry takes to reach a row.

#include "LogBenchSupport.h"
#include "monitor/LogListModel.h"
#include "monitor/core/JournalProducer.h"
#include "monitor/core/LogReader.h"
#include "monitor/core/ProducedSources.h"
#include "monitor/core/SpoolFile.h"

#include <QCoreApplication>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <filesystem>
#include <poll.h>
#include <sys/resource.h>

using namespace marrowlight;
using namespace marrowlight::bench;
using SteadyClock = std::chrono::steady_clock;

namespace {

std::string JournalRemote() {
    for (const char* path :
         {"/lib/systemd/systemd-journal-remote", "/usr/lib/systemd/systemd-journal-remote"})
        if (::access(path, X_OK) == 0)
            return path;
    return {};
}

uint64_t EntryCount() {
    const char* env = std::getenv("MARROWLIGHT_BENCH_JOURNAL_ENTRIES");
    const long n = env ? std::atol(env) : 1000000;
    return n > 0 ? static_cast<uint64_t>(n) : 1000000;
}

std::string ExportEntry(uint64_t n, const char* host, std::mt19937& rng) {
    static const char* units[] = {"nginx", "postgres", "sshd", "cron", "app"};
    static const char* words[] = {"upstream timed out", "request handled", "checkpoint complete",
                                  "session opened", "connection reset by peer"};
    char text[512];
    const int len =
        std::snprintf(text, sizeof text,
                      "__REALTIME_TIMESTAMP=%llu\n__MONOTONIC_TIMESTAMP=%llu\n"
                      "_BOOT_ID=0123456789abcdef0123456789abcdef\n_HOSTNAME=%s\n"
                      "SYSLOG_IDENTIFIER=%s\n_PID=%u\nPRIORITY=%u\nMESSAGE=%s %08llu in %u ms\n\n",
                      1796780580000000ULL + n * 1000, 1000000ULL + n * 1000, host, units[rng() % 5],
                      unsigned(100 + rng() % 900), unsigned(rng() % 8), words[rng() % 5],
                      static_cast<unsigned long long>(n), unsigned(rng() % 900));
    return std::string(text, static_cast<size_t>(len));
}

// Two machines' entries, interleaved in time, made once; systemd-journal-remote
// rotates a file that grows large, so all the folder's files are the journal.
std::vector<std::string> JournalFiles(uint64_t entries) {
    const std::string folder = "/tmp/marrowlight-bench-journal-" + std::to_string(entries);
    if (!std::filesystem::exists(folder + "/done")) {
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        std::mt19937 rng(42);
        for (int f = 0; f < 2; ++f) {
            const char* host = f == 0 ? "web01" : "db02";
            const std::string command =
                JournalRemote() + " -o '" + folder + "/remote-" + host + ".journal' - 2>/dev/null";
            FILE* pipe = ::popen(command.c_str(), "w");
            for (uint64_t n = uint64_t(f); n < entries; n += 2) {
                const std::string e = ExportEntry(n, host, rng);
                std::fwrite(e.data(), 1, e.size(), pipe);
            }
            ::pclose(pipe);
        }
        std::ofstream(folder + "/done") << "1";
    }
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().extension() == ".journal")
            files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

double CpuSeconds(int who) {
    rusage use{};
    ::getrusage(who, &use);
    return double(use.ru_utime.tv_sec + use.ru_stime.tv_sec) +
           double(use.ru_utime.tv_usec + use.ru_stime.tv_usec) / 1e6;
}

double ResidentBytes(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0)
            return std::atof(line.c_str() + std::strlen(field)) * 1024.0;
    return 0;
}

// A journal tab without its window: producer, spool, reader and list, each
// slice timed as the event loop would run it.
struct JournalTab {
    explicit JournalTab(const JournalSource& source) : producer(source) {
        std::string error;
        spool = SpoolFile::Create(error);
        logs.Add(Address, spool);
        page.FileName = Address;
        page.Produced = true;
        page.LoadsWhole = true;
        reader.SetSliceBudget(std::chrono::milliseconds(20));
    }
    // One turn: a producer slice, then a reader pass; the longer is kept.
    ProduceStatus Turn() {
        auto start = SteadyClock::now();
        const ProduceStatus status =
            producer.Produce(*spool, start + std::chrono::milliseconds(20));
        spool->Flush();
        longestMs = std::max(longestMs, Seconds(start) * 1000);
        start = SteadyClock::now();
        page.LoadsWhole = !producer.Follows();
        reader.Pass(page, model);
        longestMs = std::max(longestMs, Seconds(start) * 1000);
        return status;
    }
    void Load() {
        while (Turn() == ProduceStatus::More || LogReader::Loading(page)) {
        }
    }

    static constexpr const char* Address = "journal://bench";
    JournalProducer producer;
    std::shared_ptr<SpoolFile> spool;
    ProducedLogs logs;
    BenchReader<> rig;
    ProducedSources sources{logs, rig.files};
    LogReader reader{sources, rig.settings, rig.clock, rig.progress};
    LogListModel model;
    LogPage page;
    double longestMs = 0;
};

JournalSource FilesSource(const std::vector<std::string>& files) {
    JournalSource source;
    source.SourceKind = JournalSource::Kind::Files;
    source.Paths = files;
    return source;
}

void BM_JournalLoad(benchmark::State& state) {
    if (JournalRemote().empty()) {
        state.SkipWithError("systemd-journal-remote is not installed");
        return;
    }
    const uint64_t entries = EntryCount();
    const std::vector<std::string> files = JournalFiles(entries);
    std::string command = "journalctl";
    for (const std::string& file : files)
        command += " --file='" + file + "'";
    command += " -o short-iso --no-pager -q | wc -l";
    double ours = 0, theirs = 0, oursWall = 0, theirsWall = 0, longest = 0, rows = 0;
    double rss = 0, anon = 0;
    for (auto _ : state) {
        // journalctl and wc as children: their CPU time, and the wall time.
        const double childBefore = CpuSeconds(RUSAGE_CHILDREN);
        auto start = SteadyClock::now();
        FILE* pipe = ::popen(command.c_str(), "r");
        char count[64] = {};
        if (!std::fgets(count, sizeof count, pipe))
            count[0] = 0;
        ::pclose(pipe);
        theirsWall = Seconds(start);
        theirs = CpuSeconds(RUSAGE_CHILDREN) - childBefore;

        const double rssBefore = ResidentBytes("VmRSS:");
        const double anonBefore = ResidentBytes("RssAnon:");
        const double selfBefore = CpuSeconds(RUSAGE_SELF);
        start = SteadyClock::now();
        {
            JournalTab tab(FilesSource(files));
            tab.Load();
            oursWall = Seconds(start);
            ours = CpuSeconds(RUSAGE_SELF) - selfBefore;
            longest = tab.longestMs;
            rows = double(tab.model.rowCount());
            rss = ResidentBytes("VmRSS:") - rssBefore;
            anon = ResidentBytes("RssAnon:") - anonBefore;
            if (uint64_t(std::atoll(count)) != uint64_t(rows))
                state.SkipWithError("journalctl and the tab count different lines");
        }
    }
    state.counters["entries"] = rows;
    state.counters["ours_cpu_s"] = ours;
    state.counters["journalctl_cpu_s"] = theirs;
    state.counters["x_journalctl_cpu"] = ours / theirs;
    state.counters["x_journalctl_wall"] = oursWall / theirsWall;
    state.counters["max_slice_ms"] = longest;
    state.counters["rss_B_per_entry"] = rss / rows;
    state.counters["anon_B_per_entry"] = anon / rows;
}
BENCHMARK(BM_JournalLoad)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// A second writer appends one entry at a time to a followed file; the time
// from the write to the row that shows it.
void BM_JournalEntryToRow(benchmark::State& state) {
    if (JournalRemote().empty()) {
        state.SkipWithError("systemd-journal-remote is not installed");
        return;
    }
    const std::string folder = "/tmp/marrowlight-bench-journal-follow";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const std::string file = folder + "/remote-web01.journal";
    std::mt19937 rng(7);
    FILE* writer = ::popen((JournalRemote() + " -o '" + file + "' - 2>/dev/null").c_str(), "w");
    const std::string first = ExportEntry(0, "web01", rng);
    std::fwrite(first.data(), 1, first.size(), writer);
    std::fflush(writer);
    while (!std::filesystem::exists(file))
        ::usleep(1000);
    JournalTab tab(FilesSource({file}));
    while (tab.model.rowCount() < 1)
        tab.Turn();
    std::vector<double> latencies;
    uint64_t n = 1;
    for (auto _ : state) {
        const int rowsBefore = tab.model.rowCount();
        const std::string e = ExportEntry(n++, "web01", rng);
        const auto start = SteadyClock::now();
        std::fwrite(e.data(), 1, e.size(), writer);
        std::fflush(writer);
        while (tab.model.rowCount() == rowsBefore) {
            pollfd wake{tab.producer.WakeDescriptor(), POLLIN, 0};
            if (::poll(&wake, 1, 2000) != 1)
                break;
            tab.Turn();
        }
        latencies.push_back(Seconds(start) * 1000);
        ::usleep(20000);
    }
    ::pclose(writer);
    std::sort(latencies.begin(), latencies.end());
    state.counters["median_ms"] = latencies[latencies.size() / 2];
    state.counters["p95_ms"] = latencies[latencies.size() * 95 / 100];
}
BENCHMARK(BM_JournalEntryToRow)->Unit(benchmark::kMillisecond)->Iterations(40)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    return RunBenchmarks(argc, argv);
}
