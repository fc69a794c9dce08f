// The whole automatic pass as the update cycle runs it: conditions read from
// the Options dialog, every tab checked, the folder listed, over a watched
// folder of 10,000 files of which 50 qualify and are open in tabs, against
// a bare readdir of the same folder.

#include "WindowBenchSupport.h"
#include "autoopen/AutoOpenClose.h"
#include "monitor/LogTabs.h"
#include "monitor/MenuChecks.h"
#include "settings/OptionsDialog.h"
#include "settings/OptionsView.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QTabWidget>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace marrowlight {
namespace {

using bench::NoStore;
using bench::Silence;

constexpr int FileCount = 10'000;
constexpr int QualifyingCount = 50;

struct Folder {
    std::string path = "/tmp/marrowlight-autoopen-pass/";
    std::vector<std::string> logs;

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
                logs.push_back(path + name);
        }
    }
    ~Folder() { std::filesystem::remove_all(path); }
};

struct NoMenu : MenuChecks {
    bool AllEntries() const override { return true; }
    bool GroupShown(int) const override { return true; }
    bool KeepModifiedLogFocused() const override { return false; }
    bool OpenCloseLogsAutomatically() const override { return true; }
};

double Seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

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

void BM_AutoOpenClosePassWithTabs(benchmark::State& state) {
    Folder folder;
    NoStore backend;
    SettingsStore store(backend, "Marrowlight");
    Silence sound;
    OptionsDialog options(store, sound, false);
    // Both mask kinds and the day check: the pass asks for the time of every log it keeps.
    options.LogFolderField->setText(QString::fromStdString(folder.path));
    options.MatchMaskBox->setChecked(true);
    options.MatchWildcardsBox->setChecked(true);
    options.MatchDateBox->setChecked(true);
    QTabWidget pageControl;
    QStatusBar statusBar;
    std::array<QLabel*, 4> panels{};
    for (QLabel*& panel : panels)
        panel = new QLabel(&statusBar);
    NoMenu menu;
    LogTabs tabs(pageControl, statusBar, panels, OptionsView(options), menu);
    for (const std::string& log : folder.logs)
        tabs.OpenLog(log);
    const bool notFirstCycle = true;
    AutoOpenClose autoOpen(tabs, store, notFirstCycle);

    double total = 0, interleaved = 0;
    for (auto _ : state) {
        state.PauseTiming();
        // The baseline right before the pass, so both see the same machine load.
        interleaved += PlainListing(folder.path);
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        autoOpen.AutoOpenClosePass();
        total += Seconds(start);
    }
    if (tabs.Count() != QualifyingCount)
        state.SkipWithError("the pass did not keep exactly the logs of the folder");
    state.counters["open_tabs"] = tabs.Count();
    state.counters["x_interleaved"] = total / interleaved;
}

BENCHMARK(BM_AutoOpenClosePassWithTabs)->Unit(benchmark::kMicrosecond)->Iterations(300);

} // namespace
} // namespace marrowlight

int main(int argc, char** argv) {
    return marrowlight::bench::RunWidgetBenchmarks(argc, argv);
}
