// A long run of the main window (offscreen) over 50 logs written at 1,000
// lines a second in all, half rotated by rename-and-create and half by
// copy-and-truncate every 10 s. Every row that enters a tab is recorded as it
// arrives (a rotation empties the list, so the end alone tells little), and
// at the end each log's rows are held against what its files hold.
//
// MARROWLIGHT_SOAK_SECONDS sets the length (default 600). Prints one line
// and exits non-zero when a line was lost, doubled or out of order, or when
// memory grew by more than 5 % after the first minute. With
// MARROWLIGHT_SOAK_VERBOSE set, the first lines missing from each log are
// named on standard error.

#include "WindowBenchSupport.h"
#include "app/MainWindow.h"
#include "monitor/LogListModel.h"
#include "monitor/LogTab.h"
#include "monitor/LogTabs.h"
#include "settings/OptionsDialog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace marrowlight {
namespace {

constexpr int LogCount = 50;
constexpr int LinesPerSecond = 1000;
constexpr int RotateEverySeconds = 10;
// The copy of a rotation by copy-and-truncate takes this long; lines written
// meanwhile are the writer's loss. Lines written before it must have been
// read by then: they are gone from the file once it is cut.
constexpr int TruncateAfterMs = 250;

double ResidentMiB() {
    std::ifstream statm("/proc/self/statm");
    double size = 0, resident = 0;
    statm >> size >> resident;
    return resident * double(::sysconf(_SC_PAGESIZE)) / double(1 << 20);
}

bool CopyTruncated(int log) {
    return log % 2 == 1;
}

std::string LogPath(const std::string& folder, int log) {
    char name[32];
    std::snprintf(name, sizeof name, "/soak-%02d.log", log);
    return folder + name;
}

// "soak 07 00001234 ..." : the log and the line's number in it.
bool ParseLine(const std::string& text, int& log, long& seq) {
    return std::sscanf(text.c_str(), "soak %d %ld", &log, &seq) == 2;
}

// Writes the logs from its own thread and rotates them; the window only reads.
class Writer {
  public:
    explicit Writer(std::string folder) : folder_(std::move(folder)) {
        for (int log = 0; log < LogCount; ++log)
            logs_[log].fd = Open(log);
    }
    ~Writer() {
        Stop();
        for (const Log& log : logs_)
            ::close(log.fd);
    }
    void Start() {
        thread_ = std::thread([this] { Run(); });
    }
    void Stop() {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
    }
    long Written() const {
        long all = 0;
        for (const Log& log : logs_)
            all += log.next;
        return all;
    }
    long Written(int log) const { return logs_[log].next; }
    int Rotations() const { return rotations_; }

  private:
    struct Log {
        int fd = -1;
        long next = 0;
        std::chrono::steady_clock::time_point truncateAt{};
        bool truncatePending = false;
    };
    int Open(int log) const {
        const int fd =
            ::open(LogPath(folder_, log).c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (fd < 0)
            std::abort();
        return fd;
    }
    void WriteLine(int index) {
        Log& log = logs_[index];
        char line[128];
        const int len = std::snprintf(line, sizeof line,
                                      "soak %02d %08ld 2026-12-09 worker-%02d Info request "
                                      "handled in %3ld ms\n",
                                      index, log.next, index % 16, log.next % 997);
        if (::write(log.fd, line, size_t(len)) != len)
            std::abort();
        ++log.next;
    }
    void Rotate(int index) {
        Log& log = logs_[index];
        const std::string path = LogPath(folder_, index);
        const std::string kept = path + "." + std::to_string(rotations_ + 1);
        if (!CopyTruncated(index)) {
            ::close(log.fd);
            std::filesystem::rename(path, kept);
            log.fd = Open(index);
            return;
        }
        std::filesystem::copy_file(path, kept);
        log.truncatePending = true;
        log.truncateAt =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(TruncateAfterMs);
    }
    void Run() {
        using namespace std::chrono;
        const auto start = steady_clock::now();
        auto nextRotation = start + seconds(RotateEverySeconds);
        long lines = 0;
        while (!stop_) {
            const auto now = steady_clock::now();
            for (int index = 0; index < LogCount; ++index) {
                Log& log = logs_[index];
                if (log.truncatePending && now >= log.truncateAt) {
                    if (::ftruncate(log.fd, 0) != 0)
                        std::abort();
                    log.truncatePending = false;
                }
            }
            if (now >= nextRotation) {
                for (int index = 0; index < LogCount; ++index)
                    Rotate(index);
                ++rotations_;
                nextRotation += seconds(RotateEverySeconds);
            }
            // Catches up after a slow step, so the rate holds over the run.
            const long due = long(duration<double>(now - start).count() * LinesPerSecond);
            for (; lines < due; ++lines)
                WriteLine(int(lines % LogCount));
            std::this_thread::sleep_for(milliseconds(1));
        }
    }

    std::string folder_;
    std::array<Log, LogCount> logs_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<int> rotations_{0};
};

// What entered each tab, in the order it came: a bit a line number, so the
// recording adds a few KB, not memory of its own to the figures measured.
struct Recorder {
    struct Tab {
        std::vector<uint64_t> seen; // bit n: line n entered
        long last = -1, shown = 0, duplicated = 0, outOfOrder = 0;
        bool Seen(long n) const {
            return size_t(n / 64) < seen.size() && (seen[size_t(n / 64)] >> (n % 64) & 1);
        }
    };
    void Record(int tab, const LogListModel& model, int first, int last) {
        for (int row = first; row <= last; ++row) {
            int log = -1;
            long seq = -1;
            if (!ParseLine(model.Utf8Text(row), log, seq) || log != tab || seq < 0) {
                if (std::getenv("MARROWLIGHT_SOAK_VERBOSE") && foreign < 5)
                    std::fprintf(stderr, "tab %02d: foreign row \"%s\"\n", tab,
                                 std::string(model.Utf8Text(row)).c_str());
                ++foreign;
                continue;
            }
            Tab& t = tabs[size_t(tab)];
            ++t.shown;
            t.outOfOrder += seq < t.last;
            t.last = seq;
            if (t.Seen(seq)) {
                ++t.duplicated;
                continue;
            }
            if (size_t(seq / 64) >= t.seen.size())
                t.seen.resize(size_t(seq / 64) + 1024);
            t.seen[size_t(seq / 64)] |= uint64_t{1} << (seq % 64);
        }
    }
    std::array<Tab, LogCount> tabs;
    long foreign = 0;
};

// The numbers of the lines a log's files hold as they ended: the live file
// and every copy kept by a rotation.
std::vector<long> LinesInFiles(const std::string& folder, int log, int rotations) {
    std::vector<long> numbers;
    std::vector<std::string> files{LogPath(folder, log)};
    for (int k = 1; k <= rotations; ++k)
        files.push_back(LogPath(folder, log) + "." + std::to_string(k));
    for (const std::string& file : files) {
        std::ifstream in(file);
        std::string text;
        while (std::getline(in, text)) {
            int at = -1;
            long seq = -1;
            if (ParseLine(text, at, seq) && at == log)
                numbers.push_back(seq);
        }
    }
    return numbers;
}

int Soak(int seconds) {
    const std::string folder = "/tmp/marrowlight-soak-" + std::to_string(::getpid());
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    Writer writer(folder);

    std::vector<std::string> logs;
    for (int log = 0; log < LogCount; ++log)
        logs.push_back(LogPath(folder, log));
    auto window = std::make_unique<bench::Window>(logs);
    MainWindow* frm = window->frm.get();
    frm->show();
    bench::RunUntil([&] { return frm->FirstCycle; }, 10'000);
    LogTabs& tabs = *frm->Tabs();
    if (tabs.Count() != LogCount) {
        std::fprintf(stderr, "soak: %d tabs open, not %d\n", tabs.Count(), LogCount);
        return 2;
    }

    Recorder recorder;
    for (int i = 0; i < LogCount; ++i) {
        LogListModel& model = tabs.Tab(i)->Model();
        QObject::connect(&model, &QAbstractItemModel::rowsInserted,
                         [&recorder, &model, i](const QModelIndex&, int first, int last) {
                             recorder.Record(i, model, first, last);
                         });
        // A list loaded anew (the first lines of a new file) is one reset.
        QObject::connect(&model, &QAbstractItemModel::modelReset, [&recorder, &model, i] {
            if (model.rowCount() > 0)
                recorder.Record(i, model, 0, model.rowCount() - 1);
        });
    }

    writer.Start();
    const int firstMinute = std::min(60, std::max(1, seconds / 2));
    double memoryFirst = 0, memoryLast = 0;
    QTimer::singleShot(firstMinute * 1000, [&] { memoryFirst = ResidentMiB(); });
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    writer.Stop();
    memoryLast = ResidentMiB();
    // The window catches up with what was written last.
    QTimer::singleShot(3000, &loop, &QEventLoop::quit);
    loop.exec();

    long shown = 0, missing = 0, missingRenamed = 0, missingCopied = 0, duplicated = 0,
         outOfOrder = 0;
    const bool verbose = std::getenv("MARROWLIGHT_SOAK_VERBOSE") != nullptr;
    for (int log = 0; log < LogCount; ++log) {
        const Recorder::Tab& seen = recorder.tabs[size_t(log)];
        shown += seen.shown;
        outOfOrder += seen.outOfOrder;
        duplicated += seen.duplicated;
        std::vector<long> expected;
        if (CopyTruncated(log)) {
            expected = LinesInFiles(folder, log, writer.Rotations());
            std::sort(expected.begin(), expected.end());
        } else {
            for (long n = 0; n < writer.Written(log); ++n)
                expected.push_back(n);
        }
        long lost = 0;
        for (long n : expected)
            if (!seen.Seen(n)) {
                if (verbose && lost < 5)
                    std::fprintf(stderr, "log %02d (%s): line %ld missing\n", log,
                                 CopyTruncated(log) ? "copy-and-truncate" : "rename-and-create", n);
                ++lost;
            }
        missing += lost;
        (CopyTruncated(log) ? missingCopied : missingRenamed) += lost;
    }
    const double growth = memoryFirst > 0 ? (memoryLast / memoryFirst - 1) * 100 : 0;
    std::printf("soak %d s, %d logs: lines written %ld, lines shown %ld, missing %ld "
                "(renamed %ld, copied %ld), duplicated %ld, out of order %ld, foreign %ld, "
                "memory first minute %.1f MiB, last %.1f MiB (%+.1f %%)\n",
                seconds, LogCount, writer.Written(), shown, missing, missingRenamed, missingCopied,
                duplicated, outOfOrder, recorder.foreign, memoryFirst, memoryLast, growth);
    window.reset();
    std::filesystem::remove_all(folder);
    const bool faultless =
        missing == 0 && duplicated == 0 && outOfOrder == 0 && recorder.foreign == 0;
    return faultless && growth <= 5 ? 0 : 1;
}

} // namespace
} // namespace marrowlight

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const char* env = std::getenv("MARROWLIGHT_SOAK_SECONDS");
    const int seconds = env && std::atoi(env) > 0 ? std::atoi(env) : 600;
    return marrowlight::Soak(seconds);
}
