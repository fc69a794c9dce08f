#pragma once
// A live Options dialog and View/Options menu actions without the main window,
// with settings kept in memory and sounds recorded instead of played.

#include "settings/TOptionsFrm.h"
#include "settings/core/SettingsStore.h"
#include "monitor/LogTabs.h"
#include "shell/MainMenu.h"
#include "support/core/SoundOutput.h"

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

class MemoryKey : public SettingsKey {
  public:
    explicit MemoryKey(std::map<std::string, std::string>& values) : values_(values) {}
    bool exists(const std::string& name) const override { return values_.count(name) > 0; }
    std::string read(const std::string& name) const override {
        auto it = values_.find(name);
        return it == values_.end() ? std::string() : it->second;
    }
    void write(const std::string& name, const std::string& value) override {
        values_[name] = value;
    }

  private:
    std::map<std::string, std::string>& values_;
};

class MemoryBackend : public SettingsBackend {
  public:
    std::unique_ptr<SettingsKey> OpenSettingsKey() override {
        return std::make_unique<MemoryKey>(values);
    }
    std::map<std::string, std::string> values;
};

class RecordingSound : public SoundOutput {
  public:
    void playEvent(const std::string& alias) override { played.push_back(alias); }
    void playTone(int frequencyHz, int durationMs) override {
        played.push_back(std::to_string(frequencyHz) + "Hz/" + std::to_string(durationMs) + "ms");
    }
    std::vector<std::string> played;
};

// Owns everything the log tabs and the update cycle read live.
struct ShellRig {
    ShellRig() : store(backend, "Marrowlight"), options(store, sound, false) {
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
    MainMenuItems menu;
};

// Adds a PageControl and its status bar, as the main window has them.
struct TabsRig : ShellRig {
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
