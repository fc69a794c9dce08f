#pragma once

#include "autoopen/core/AutoOpenRules.h"

#include <memory>
#include <string>

namespace marrowlight {

class Clock;
class LogTabs;
class SettingsStore;

// Keeps the open logs in line with the conditions of the "Automated Open &&
// Close" page, read afresh at every pass; the update cycle runs the pass
// while AutomaticModeAction is checked. No log is marked as opened
// by hand or automatically: every tab is held to the same conditions.
class AutoOpenClose {
  public:
    // `firstCycle` is the main window's flag, false until the update cycle
    // has run once; `clock` defaults to the wall clock.
    AutoOpenClose(LogTabs& tabs, const SettingsStore& store, const bool& firstCycle,
                  const Clock* clock = nullptr);
    ~AutoOpenClose();

    // Closes the tabs whose file no longer qualifies (last to first), opens
    // the qualifying files of the watched folders that are not open yet (each
    // becomes the active tab), and in the first cycle after start-up brings
    // the log stored as last focused to the front.
    void AutoOpenClosePass();

    // Whether a tab holds exactly this path; bytes compared, so case counts
    // and two spellings of one file are two logs.
    bool IsLogOpen(const std::string& path) const;

    // The conditions as the Options dialog holds them at this moment.
    AutoOpenConditions Conditions() const;

  private:
    void CloseLogsThatNoLongerQualify(const AutoOpenConditions& conditions, CalendarDate today);
    void OpenQualifyingFiles(const AutoOpenConditions& conditions, CalendarDate today);
    void RestoreLastFocusedLog();

    LogTabs& tabs_;
    const SettingsStore& store_;
    const bool& firstCycle_;
    std::unique_ptr<Clock> ownClock_;
    const Clock* clock_;
};

} // namespace marrowlight
