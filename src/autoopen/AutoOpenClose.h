#pragma once

#include "autoopen/core/AutoOpenRules.h"
#include "autoopen/core/FolderListing.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

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
    // The qualifying files of the watched folders, and what they were
    // found under.
    struct Listing {
        std::vector<std::string> Folders;
        std::vector<std::optional<FolderStamp>> Stamps;
        AutoOpenConditions Conditions;
        CalendarDate Today;
        std::chrono::steady_clock::time_point Made;
        std::vector<std::string> Qualifying; // in listing order
        std::unordered_set<std::string> Listed;
    };
    // The last listing while no folder changed, else a new one.
    const Listing& ListWatchedFolders(const AutoOpenConditions& conditions, CalendarDate today);
    // Returns how many open logs are listed.
    size_t CloseLogsThatNoLongerQualify(const AutoOpenConditions& conditions, CalendarDate today,
                                        const Listing& listing);
    void OpenQualifyingFiles(const Listing& listing);
    void RestoreLastFocusedLog();

    LogTabs& tabs_;
    const SettingsStore& store_;
    const bool& firstCycle_;
    std::unique_ptr<Clock> ownClock_;
    const Clock* clock_;
    std::optional<Listing> listing_;
};

} // namespace marrowlight
