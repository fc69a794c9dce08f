#pragma once

// Logs and baselines shared by the log-reading benchmarks.

#include "monitor/core/FileSource.h"
#include "monitor/core/LogReader.h"
#include "monitor/core/PassProgress.h"
#include "monitor/core/ViewSettings.h"
#include "support/core/Clock.h"

#include <array>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace marrowlight::bench {

inline int RunBenchmarks(int& argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

inline uint64_t LogMegabytes() {
    const char* env = std::getenv("MARROWLIGHT_BENCH_MB");
    long mb = env ? std::atol(env) : 256;
    return mb > 0 ? static_cast<uint64_t>(mb) : 256;
}

// One ~100-byte CR LF line: about 70% Info, 20% Warn, 10% Error.
inline std::string MakeLine(std::mt19937& rng, uint64_t n) {
    static const char* users[] = {"alice", "bob", "carol", "dave", "erin"};
    unsigned pick = rng() % 10;
    const char* level = pick < 7 ? "Info " : pick < 9 ? "Warn " : "Error";
    char line[160];
    int len = std::snprintf(
        line, sizeof line,
        "2026-12-08 02:%02u:%02u.%03u [worker-%02u] %s Request %08llu handled in "
        "%3u ms for %s@example.com\r\n",
        unsigned(n / 60 % 60), unsigned(n % 60), unsigned(rng() % 1000), unsigned(rng() % 16),
        level, static_cast<unsigned long long>(n), unsigned(rng() % 900), users[rng() % 5]);
    return std::string(line, static_cast<size_t>(len));
}

// A log of about megabytes MiB in /tmp, reused while its size fits.
inline std::string GenerateLog(uint64_t megabytes) {
    std::string path = "/tmp/marrowlight-bench-" + std::to_string(megabytes) + ".log";
    const uint64_t target = megabytes << 20;
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && uint64_t(st.st_size) >= target &&
        uint64_t(st.st_size) < target + 4096)
        return path;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::mt19937 rng(42);
    std::string block;
    uint64_t written = 0, n = 0;
    while (written < target) {
        block.clear();
        while (block.size() < (1u << 20) && written + block.size() < target)
            block += MakeLine(rng, n++);
        out.write(block.data(), static_cast<std::streamsize>(block.size()));
        written += block.size();
    }
    return path;
}

// The hardware limit: read the file in large blocks and count LF with memchr.
inline uint64_t MemchrLineCount(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    static std::vector<char> buffer(size_t{4} << 20);
    uint64_t lines = 0, offset = 0;
    for (;;) {
        ssize_t got = ::pread(fd, buffer.data(), buffer.size(), static_cast<off_t>(offset));
        if (got <= 0)
            break;
        offset += static_cast<uint64_t>(got);
        const char* p = buffer.data();
        const char* end = p + got;
        while ((p = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p))))) {
            ++lines;
            ++p;
        }
    }
    ::close(fd);
    return lines;
}

inline double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

inline double CpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

// The baseline of a ratio: memchr line counts of the same log, taken by the
// benchmark that reports the ratio, between its own iterations, so the figure
// and what it is divided by come from one run on one machine state.
class MemchrBaseline {
  public:
    // One pass, outside the benchmark's timing.
    void Measure(benchmark::State& state, const std::string& path) {
        state.PauseTiming();
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = CpuSeconds();
        benchmark::DoNotOptimize(MemchrLineCount(path));
        seconds_ += bench::Seconds(start);
        cpuSeconds_ += CpuSeconds() - cpuStart;
        ++passes_;
        state.ResumeTiming();
    }
    // Mean seconds of a pass, wall and CPU.
    double Seconds() const { return seconds_ / passes_; }
    double CpuSecondsPerPass() const { return cpuSeconds_ / passes_; }
    // Figures in seconds as multiples of a pass; the baseline goes with them.
    void Report(benchmark::State& state, double seconds, double cpuSeconds = -1) const {
        state.counters["memchr_ms"] = Seconds() * 1000;
        state.counters["x_memchr"] = seconds / Seconds();
        if (cpuSeconds >= 0)
            state.counters["x_memchr_cpu"] = cpuSeconds / CpuSecondsPerPass();
    }

  private:
    double seconds_ = 0, cpuSeconds_ = 0;
    int passes_ = 0;
};

// Peak resident memory since the last ResetPeakMemory, in bytes.
inline double PeakMemory() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atof(line.c_str() + 6) * 1024.0;
    return 0;
}
inline void ResetPeakMemory() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

struct BenchSettings : ViewSettings {
    bool allEntries = true;
    bool atTop = false;
    bool addedOnly = false;
    bool AllEntries() const override { return allEntries; }
    bool GroupShown(int) const override { return true; }
    std::string GroupKeywords(int g) const override {
        static const std::array<std::string, 3> lists{"Info", "Warn;warn", "Error;error"};
        return lists[g - 1];
    }
    bool LastEntriesAtTop() const override { return atTop; }
    bool AddedLogLinesOnly() const override { return addedOnly; }
    bool AllLogLines() const override { return !addedOnly; }
    bool UpdateForced() const override { return false; }
};

struct BenchClock : Clock {
    DateTime Now() const override { return 46000.25; }
};

// A reader of real files with a fixed clock and no progress shown; its
// settings may be changed before a pass.
template <class Settings = BenchSettings> struct BenchReader {
    Settings settings;
    BenchClock clock;
    SilentProgress progress;
    PosixFileSource files;
    LogReader reader{files, settings, clock, progress};
};

} // namespace marrowlight::bench
