#pragma once
// A live Options dialog and View/Options menu items without the main window,
// with settings kept in memory and sounds recorded instead of played.

#include "monitor/LogTabs.h"
#include "monitor/MenuChecks.h"
#include "settings/TOptionsFrm.h"
#include "settings/core/MemorySettingsBackend.h"
#include "settings/core/SettingsStore.h"
#include "support/core/RecordingSoundOutput.h"

#include <QAction>
#include <QLabel>
#include <QStatusBar>
#include <QStringList>
#include <QTabWidget>
#include <array>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace marrowlight::testing {

using MemoryBackend = MemorySettingsBackend;
using RecordingSound = RecordingSoundOutput;

// The View and mode items of the main window's menu, answering the monitor.
struct RigMenu : MenuChecks {
    QAction* AllEntriesMnu = nullptr;
    QAction* InformationMnu = nullptr;
    QAction* WarningsMnu = nullptr;
    QAction* ErrorsMnu = nullptr;
    QAction* OpenCloseLogsAutomaticallyMnu = nullptr;
    QAction* KeepModifedLogFocusedMnu = nullptr;

    bool AllEntries() const override { return AllEntriesMnu->isChecked(); }
    bool GroupShown(int g) const override {
        const QAction* item = g == 1 ? InformationMnu : g == 2 ? WarningsMnu : ErrorsMnu;
        return g >= 1 && g <= 3 && item->isChecked();
    }
    bool KeepModifedLogFocused() const override { return KeepModifedLogFocusedMnu->isChecked(); }
    bool OpenCloseLogsAutomatically() const override {
        return OpenCloseLogsAutomaticallyMnu->isChecked();
    }
};

// Owns everything the log tabs and the update cycle read live.
struct MonitorRig {
    MonitorRig() : store(backend, "Marrowlight"), options(store, sound, false) {
        auto action = [this](const char* name, bool checked) {
            auto* a = new QAction(QString::fromLatin1(name), &options);
            a->setObjectName(QString::fromLatin1(name));
            a->setCheckable(true);
            a->setChecked(checked);
            return a;
        };
        menu.AllEntriesMnu = action("AllEntriesMnu", true);
        menu.InformationMnu = action("InformationMnu", true);
        menu.WarningsMnu = action("WarningsMnu", true);
        menu.ErrorsMnu = action("ErrorsMnu", true);
        menu.OpenCloseLogsAutomaticallyMnu = action("OpenCloseLogsAutomaticallyMnu", false);
        menu.KeepModifedLogFocusedMnu = action("KeepModifedLogFocusedMnu", false);
    }

    MemoryBackend backend;
    SettingsStore store;
    RecordingSound sound;
    TOptionsFrm options;
    RigMenu menu;
};

// Adds a PageControl and its status bar, as the main window has them.
struct TabsRig : MonitorRig {
    TabsRig() {
        for (auto& panel : panels)
            panel = new QLabel(&statusBar);
        tabs = std::make_unique<LogTabs>(pageControl, statusBar, panels, options, menu);
    }
    QString ActiveName() const {
        return pageControl.currentIndex() < 0 ? QString()
                                              : pageControl.tabText(pageControl.currentIndex());
    }
    QStringList Names() const {
        QStringList names;
        for (int i = 0; i < pageControl.count(); ++i)
            names << pageControl.tabText(i);
        return names;
    }

    QTabWidget pageControl;
    QStatusBar statusBar;
    std::array<QLabel*, 4> panels{};
    std::unique_ptr<LogTabs> tabs;
};

} // namespace marrowlight::testing
