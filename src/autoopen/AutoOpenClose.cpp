#include "autoopen/AutoOpenClose.h"

#include "monitor/LogTab.h"
#include "monitor/LogTabs.h"
#include "settings/OptionsView.h"
#include "settings/core/SettingsStore.h"
#include "settings/core/StoredNames.h"
#include "support/core/Clock.h"

#include <unordered_set>

namespace marrowlight {

AutoOpenClose::AutoOpenClose(LogTabs& tabs, const SettingsStore& store, const bool& firstCycle,
                             const Clock* clock)
    : tabs_(tabs), store_(store), firstCycle_(firstCycle), clock_(clock) {
    if (!clock_) {
        ownClock_ = std::make_unique<SystemClock>();
        clock_ = ownClock_.get();
    }
}

AutoOpenClose::~AutoOpenClose() = default;

AutoOpenConditions AutoOpenClose::Conditions() const {
    const OptionsView& options = tabs_.Options();
    AutoOpenConditions conditions;
    conditions.DateMasks = options.FileMasks();
    conditions.Wildcards = options.WildcardMasks();
    conditions.MatchMask = options.MatchMask();
    conditions.MatchWildcards = options.MatchWildcards();
    conditions.MatchDate = options.MatchDate();
    return conditions;
}

bool AutoOpenClose::IsLogOpen(const std::string& path) const {
    for (int i = 0; i < tabs_.Count(); ++i)
        if (const LogTab* tab = tabs_.Tab(i); tab && tab->FileName() == path)
            return true;
    return false;
}

void AutoOpenClose::AutoOpenClosePass() {
    // One "today" for the whole pass, so a pass across midnight cannot close
    // a log by one date and open it again by the other.
    const CalendarDate today = Today(*clock_);
    const AutoOpenConditions conditions = Conditions();
    CloseLogsThatNoLongerQualify(conditions, today);
    OpenQualifyingFiles(conditions, today);
    if (!firstCycle_)
        RestoreLastFocusedLog();
}

void AutoOpenClose::CloseLogsThatNoLongerQualify(const AutoOpenConditions& conditions,
                                                 CalendarDate today) {
    for (int i = tabs_.Count() - 1; i >= 0; --i) {
        LogTab* tab = tabs_.Tab(i);
        // A log that cannot be opened again (the standard input) stays.
        if (tab && tab->Reopenable && !PathQualifiesForAutoOpen(tab->FileName(), conditions, today))
            tabs_.CloseLog(tab);
    }
}

void AutoOpenClose::OpenQualifyingFiles(const AutoOpenConditions& conditions, CalendarDate today) {
    // IsLogOpen for every file would cost tabs x files on a large folder.
    std::unordered_set<std::string> open;
    for (int i = 0; i < tabs_.Count(); ++i)
        if (const LogTab* tab = tabs_.Tab(i))
            open.insert(tab->FileName());
    for (const std::string& folder : WatchedFolders(tabs_.Options().LogFolders()))
        for (std::string& path : QualifyingFiles(folder, conditions, today))
            if (open.insert(path).second)
                tabs_.AddLog(path);
}

void AutoOpenClose::RestoreLastFocusedLog() {
    std::string last;
    try {
        last = store_.ReadSetting(stored::LastFocusedFile);
    } catch (const SettingsError&) {
        // A damaged value only costs the restore, not every later pass.
        return;
    }
    if (last.empty())
        return;
    for (int i = 0; i < tabs_.Count(); ++i)
        if (LogTab* tab = tabs_.Tab(i); tab && tab->FileName() == last)
            tabs_.Activate(*tab);
}

} // namespace marrowlight
