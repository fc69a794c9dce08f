// Painting one screen of a log list must not depend on how long the list is:
// a screen of a 10-million-line log against the same screen of a 100-line log,
// for a repaint, a page down and ten new lines at the bottom. Wrapped rows
// must paint as fast as unwrapped ones, for that log and for a 10 MiB line.
// A 1 MiB row full of terminal colour sequences must paint as fast as a
// plain row of the same visible text.
#include "monitor/LineDrawer.h"
#include "monitor/LogListModel.h"
#include "monitor/LogListView.h"
#include "monitor/LogTab.h"
#include "monitor/core/FileSource.h"
#include "monitor/core/LineClassifier.h"
#include "monitor/core/LogReader.h"
#include "monitor/core/TerminalEscapes.h"
#include "monitor/core/ViewSettings.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QScrollBar>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <ctime>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace marrowlight {
namespace {

struct BenchSettings : ViewSettings, LineDrawSettings {
    bool AllEntries() const override { return true; }
    bool GroupShown(int) const override { return true; }
    std::string GroupKeywords(int g) const override {
        return g == 1 ? "Info" : g == 2 ? "Warn;warn" : "Error;error";
    }
    bool LastEntriesAtTop() const override { return false; }
    bool AddedLogLinesOnly() const override { return false; }
    bool AllLogLines() const override { return true; }
    bool UpdateForced() const override { return false; }

    QColor GroupColor(int g) const override {
        return g == 1 ? Qt::darkGreen : g == 2 ? Qt::darkRed : Qt::red;
    }
    bool ShowLineNumbers() const override { return false; }
    bool ShowLineTime() const override { return true; }
    QString LineTimeMask() const override { return "hh:mm:ss"; }
};

struct FixedClock : Clock {
    DateTime Now() const override { return 45000.5; }
};

// Realistic ~90-byte lines, about 70% Info, 20% Warn, 10% Error.
std::string MakeLog(long lines) {
    const std::string path =
        QDir::tempPath().toStdString() + "/marrowlight-drawbench-" + std::to_string(lines) + ".log";
    const char* kinds[10] = {"Info", "Info",  "Info", "Warn", "Info",
                             "Info", "Error", "Info", "Warn", "Info"};
    std::string block;
    for (long i = 0; i < 10; ++i)
        block += "2024-05-07 14:05:0" + std::to_string(i) + " [" + kinds[i] +
                 "] worker-3 request handled in 12 ms, queue depth 4, cache hit\r\n";
    const long long size = static_cast<long long>(block.size()) * (lines / 10);
    if (QFileInfo(QString::fromStdString(path)).size() == size)
        return path;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    std::string chunk;
    for (int i = 0; i < 1000; ++i)
        chunk += block;
    long written = 0;
    for (; written + 10000 <= lines; written += 10000)
        std::fwrite(chunk.data(), 1, chunk.size(), file);
    for (; written < lines; written += 10)
        std::fwrite(block.data(), 1, block.size(), file);
    std::fclose(file);
    return path;
}

// One line of 10 MiB of words between short ones.
std::string MakeLongLineLog() {
    const std::string path = QDir::tempPath().toStdString() + "/marrowlight-drawbench-long.log";
    std::string shortLines;
    for (int i = 0; i < 50; ++i)
        shortLines += "2024-05-07 14:05:00 [Info] worker-3 request handled in 12 ms\r\n";
    std::string words;
    while (words.size() < (size_t{10} << 20))
        words += "Error lorem ipsum dolor sit amet, consectetur adipiscing elit ";
    const long long size = static_cast<long long>(2 * shortLines.size() + words.size() + 2);
    if (QFileInfo(QString::fromStdString(path)).size() == size)
        return path;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    std::fwrite(shortLines.data(), 1, shortLines.size(), file);
    std::fwrite(words.data(), 1, words.size(), file);
    std::fwrite("\r\n", 1, 2, file);
    std::fwrite(shortLines.data(), 1, shortLines.size(), file);
    std::fclose(file);
    return path;
}

// A log of short lines around one long row, written when its size differs.
std::string MakeRowLog(const std::string& name, const std::string& row) {
    const std::string path = QDir::tempPath().toStdString() + "/marrowlight-drawbench-" + name;
    const std::string shortLine = "2024-05-07 14:05:00 [Info] worker-3 request handled in 12 ms\n";
    std::string text;
    for (int i = 0; i < 3; ++i)
        text += shortLine;
    text += row + "\n";
    for (int i = 0; i < 3; ++i)
        text += shortLine;
    if (QFileInfo(QString::fromStdString(path)).size() == qint64(text.size()))
        return path;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
    return path;
}

// 1 MiB of words whose colour changes every few characters, in the forms
// programs write: basic and bright colours, 256 colours, 24-bit, bold, reset.
std::string SequenceRow() {
    const char* sequences[] = {"\x1b[31m", "\x1b[1;32m",  "\x1b[38;5;208m",       "\x1b[0m",
                               "\x1b[94m", "\x1b[22;33m", "\x1b[38;2;10;200;30m", "\x1b[41;97m",
                               "\x1b[49m", "\x1b[39m"};
    const char* words[] = {"lorem ", "ipsum ", "dolor ", "sit ", "amet, ", "elit "};
    std::string row;
    for (size_t i = 0; row.size() < (size_t{1} << 20); ++i)
        row += std::string(sequences[i % 10]) + words[i % 6];
    return row;
}

// A log tab, shown offscreen, holding the whole log.
struct ListFixture {
    explicit ListFixture(long lines, bool wrap = false)
        : ListFixture(lines > 0 ? MakeLog(lines) : MakeLongLineLog(), wrap) {}
    ListFixture(const std::string& path, bool wrap) : drawer(settings) {
        tab = std::make_unique<LogTab>(path, drawer);
        tab->ListView()->SetWrapping(wrap);
        tab->SetListFont("DejaVu Sans Mono", 9);
        tab->resize(900, 700);
        SilentProgress progress;
        LogReader reader(files, settings, clock, progress);
        reader.Pass(tab->Page, tab->Model());
        tab->SetExtentWidth(drawer.ExtentWidth(tab->ListView()->font(), tab->Page.MaxLineLen));
        tab->show();
        QApplication::processEvents();
        image = QImage(tab->ListView()->viewport()->size(), QImage::Format_RGB32);
    }
    LogListView& List() const { return *tab->ListView(); }
    void Paint() { List().viewport()->render(&image); }

    BenchSettings settings;
    LineDrawer drawer;
    PosixFileSource files;
    FixedClock clock;
    std::unique_ptr<LogTab> tab;
    QImage image;
};

// Widgets must go before the application object does.
std::map<std::pair<long, bool>, std::unique_ptr<ListFixture>> fixtures;

// The plain row and the row full of sequences.
std::vector<std::unique_ptr<ListFixture>> rowFixtures;

// lines 0: the log with a 10 MiB line.
ListFixture& Fixture(long lines, bool wrap = false) {
    auto& fixture = fixtures[{lines, wrap}];
    if (!fixture)
        fixture = std::make_unique<ListFixture>(lines, wrap);
    return *fixture;
}

// The same screen painted again: the steady cost of a repaint.
void BM_RepaintScreen(benchmark::State& state) {
    ListFixture& fixture = Fixture(state.range(0));
    LogListView& list = fixture.List();
    list.scrollTo(list.model()->index(list.model()->rowCount() / 2, 0),
                  QAbstractItemView::PositionAtCenter);
    QApplication::processEvents();
    for (auto _ : state)
        fixture.Paint();
    state.counters["rows"] = list.model()->rowCount();
    state.counters["rows_per_screen"] = list.viewport()->height() / 16;
}

// Page down, then paint: rows read back from the log as they come into view.
void BM_PageDownAndPaint(benchmark::State& state) {
    ListFixture& fixture = Fixture(state.range(0));
    QScrollBar& bar = *fixture.List().verticalScrollBar();
    for (auto _ : state) {
        const int next = bar.value() + bar.pageStep();
        bar.setValue(next > bar.maximum() ? 0 : next);
        fixture.Paint();
    }
}

// Ten lines arrive at the bottom, the view follows them and paints.
void BM_AppendTenAndPaint(benchmark::State& state) {
    ListFixture& fixture = Fixture(state.range(0));
    LogTab& tab = *fixture.tab;
    for (auto _ : state) {
        LineIndex lines;
        for (int i = 0; i < 10; ++i)
            lines.push_back(LineEntry(0, 80), LineRecord{45000.5, i + 1});
        tab.Model().AppendLines(std::move(lines));
        tab.SelectLastItem();
        QApplication::processEvents();
        fixture.Paint();
    }
}

// Thread CPU time: steadier than the clock on a busy machine, and the
// painting is all on this thread.
double ThreadCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

// Page down and paint, wrapped and unwrapped in turn on the same log: the
// 10-million-line log (argument 1) or the one with a 10 MiB line (0), whose
// pages step onto and past the long line.
void BM_WrappedAgainstUnwrapped(benchmark::State& state) {
    const long lines = state.range(0) ? 10'000'000 : 0;
    ListFixture* both[2] = {&Fixture(lines, false), &Fixture(lines, true)};
    for (ListFixture* fixture : both) {
        LogListView& list = fixture->List();
        list.scrollTo(list.model()->index(lines ? list.model()->rowCount() / 2 : 45, 0),
                      QAbstractItemView::PositionAtTop);
        QApplication::processEvents();
    }
    const int start[2] = {both[0]->List().TopRow(), both[1]->List().TopRow()};
    double seconds[2] = {0, 0};
    for (auto _ : state) {
        for (int k = 0; k < 2; ++k) {
            const double begin = ThreadCpuSeconds();
            QScrollBar& bar = *both[k]->List().verticalScrollBar();
            const int next = bar.value() + bar.pageStep();
            bar.setValue(next > std::min(bar.maximum(), start[k] + 200) ? start[k] : next);
            both[k]->Paint();
            seconds[k] += ThreadCpuSeconds() - begin;
        }
    }
    const double n = double(state.iterations());
    state.counters["unwrapped_cpu_us"] = seconds[0] / n * 1e6;
    state.counters["wrapped_cpu_us"] = seconds[1] / n * 1e6;
    state.counters["x_unwrapped"] = seconds[1] / std::max(seconds[0], 1e-9);
}

// The row full of sequences and the plain row of the same visible text,
// painted in turn, at the row's start (argument 0) and scrolled sideways to
// its middle (1).
void BM_SequencesAgainstPlain(benchmark::State& state) {
    if (rowFixtures.empty()) {
        const std::string row = SequenceRow();
        rowFixtures.push_back(
            std::make_unique<ListFixture>(MakeRowLog("plain.log", VisibleText(row)), false));
        rowFixtures.push_back(
            std::make_unique<ListFixture>(MakeRowLog("sequences.log", row), false));
    }
    ListFixture* both[2] = {rowFixtures[0].get(), rowFixtures[1].get()};
    for (ListFixture* fixture : both) {
        QScrollBar& bar = *fixture->List().horizontalScrollBar();
        bar.setValue(state.range(0) ? bar.maximum() / 2 : 0);
        QApplication::processEvents();
    }
    double seconds[2] = {0, 0};
    for (auto _ : state) {
        for (int k = 0; k < 2; ++k) {
            const double begin = ThreadCpuSeconds();
            both[k]->Paint();
            seconds[k] += ThreadCpuSeconds() - begin;
        }
    }
    const double n = double(state.iterations());
    state.counters["plain_cpu_us"] = seconds[0] / n * 1e6;
    state.counters["sequences_cpu_us"] = seconds[1] / n * 1e6;
    state.counters["x_plain"] = seconds[1] / std::max(seconds[0], 1e-9);
}

BENCHMARK(BM_RepaintScreen)->Arg(100)->Arg(10'000'000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PageDownAndPaint)->Arg(100)->Arg(10'000'000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AppendTenAndPaint)->Arg(100)->Arg(10'000'000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WrappedAgainstUnwrapped)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SequencesAgainstPlain)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace marrowlight

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    marrowlight::fixtures.clear();
    marrowlight::rowFixtures.clear();
    return 0;
}
