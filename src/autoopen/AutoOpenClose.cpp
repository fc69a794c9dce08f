#include "autoopen/AutoOpenClose.h"

#include "monitor/LogTab.h"
#include "monitor/LogTabs.h"
#include "settings/OptionsView.h"
#include "settings/core/SettingsStore.h"
#include "settings/core/StoredNames.h"
#include "support/core/Clock.h"

#include <algorithm>
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
    const Listing& listing = ListWatchedFolders(conditions, today);
    const size_t listedOpen = CloseLogsThatNoLongerQualify(conditions, today, listing);
    if (listedOpen < listing.Listed.size())
        OpenQualifyingFiles(listing);
    if (!firstCycle_)
        RestoreLastFocusedLog();
}

// One listing serves both halves of a pass: a log found in it qualifies
// without a stat of its own. A folder of thousands of logs is listed again
// only when its entries changed, its files' times count (MatchDate), or
// a while has passed (links can change their targets unseen).
const AutoOpenClose::Listing&
AutoOpenClose::ListWatchedFolders(const AutoOpenConditions& conditions, CalendarDate today) {
    constexpr auto ListedFor = std::chrono::seconds(10);
    const auto now = std::chrono::steady_clock::now();
    std::vector<std::string> folders = WatchedFolders(tabs_.Options().LogFolders());
    // Taken before listing: a change while listing shows at the next pass.
    std::vector<std::optional<FolderStamp>> stamps;
    for (const std::string& folder : folders)
        stamps.push_back(SettledFolderStamp(folder));
    const bool settled = std::all_of(stamps.begin(), stamps.end(),
                                     [](const auto& stamp) { return stamp.has_value(); });
    if (listing_ && settled && !conditions.MatchDate && now - listing_->Made < ListedFor &&
        listing_->Folders == folders && listing_->Stamps == stamps &&
        listing_->Conditions == conditions && listing_->Today == today)
        return *listing_;

    Listing& fresh = listing_.emplace();
    for (const std::string& folder : folders)
        for (std::string& path : QualifyingFiles(folder, conditions, today))
            fresh.Qualifying.push_back(std::move(path));
    fresh.Listed.insert(fresh.Qualifying.begin(), fresh.Qualifying.end());
    fresh.Folders = std::move(folders);
    fresh.Stamps = std::move(stamps);
    fresh.Conditions = conditions;
    fresh.Today = today;
    fresh.Made = now;
    return fresh;
}

size_t AutoOpenClose::CloseLogsThatNoLongerQualify(const AutoOpenConditions& conditions,
                                                   CalendarDate today, const Listing& listing) {
    size_t listedOpen = 0;
    for (int i = tabs_.Count() - 1; i >= 0; --i) {
        LogTab* tab = tabs_.Tab(i);
        if (!tab)
            continue;
        if (listing.Listed.count(tab->FileName())) {
            ++listedOpen;
            continue;
        }
        // A log that cannot be opened again (the standard input) stays.
        if (tab->Reopenable && !PathQualifiesForAutoOpen(tab->FileName(), conditions, today))
            tabs_.CloseLog(tab);
    }
    return listedOpen;
}

void AutoOpenClose::OpenQualifyingFiles(const Listing& listing) {
    // IsLogOpen for every file would cost tabs x files on a large folder.
    std::unordered_set<std::string> open;
    for (int i = 0; i < tabs_.Count(); ++i)
        if (const LogTab* tab = tabs_.Tab(i))
            open.insert(tab->FileName());
    std::vector<std::string> added;
    for (const std::string& path : listing.Qualifying)
        if (open.insert(path).second)
            added.push_back(path);
    tabs_.AddLogs(added);
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
