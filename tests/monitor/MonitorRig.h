#pragma once
// A live Options dialog and View/Options menu items without the main window,
// with settings kept in memory and sounds recorded instead of played.

#include "monitor/LogTabs.h"
#include "monitor/MenuChecks.h"
#include "settings/OptionsDialog.h"
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
    QAction* AllEntriesAction = nullptr;
    QAction* Group1Action = nullptr;
    QAction* Group2Action = nullptr;
    QAction* Group3Action = nullptr;
    QAction* AutomaticModeAction = nullptr;
    QAction* KeepModifiedLogFocusedAction = nullptr;

    bool AllEntries() const override { return AllEntriesAction->isChecked(); }
    bool GroupShown(int g) const override {
        const QAction* item = g == 1 ? Group1Action : g == 2 ? Group2Action : Group3Action;
        return g >= 1 && g <= 3 && item->isChecked();
    }
    bool KeepModifiedLogFocused() const override {
        return KeepModifiedLogFocusedAction->isChecked();
    }
    bool OpenCloseLogsAutomatically() const override { return AutomaticModeAction->isChecked(); }
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
        menu.AllEntriesAction = action("AllEntriesMnu", true);
        menu.Group1Action = action("InformationMnu", true);
        menu.Group2Action = action("WarningsMnu", true);
        menu.Group3Action = action("ErrorsMnu", true);
        menu.AutomaticModeAction = action("OpenCloseLogsAutomaticallyMnu", false);
        menu.KeepModifiedLogFocusedAction = action("KeepModifedLogFocusedMnu", false);
    }

    MemoryBackend backend;
    SettingsStore store;
    RecordingSound sound;
    OptionsDialog options;
    RigMenu menu;
};

// Adds a TabWidget and its status bar, as the main window has them.
struct TabsRig : MonitorRig {
    TabsRig() {
        for (auto& panel : panels)
            panel = new QLabel(&statusBar);
        tabs =
            std::make_unique<LogTabs>(pageControl, statusBar, panels, OptionsView(options), menu);
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
