#include "autoopen/core/AutoOpenRules.h"

#include "autoopen/core/FileMasks.h"
#include "autoopen/core/FolderListing.h"
#include "support/core/PathUtils.h"
#include "support/core/TextUtils.h"

#include <functional>

namespace marrowlight {

namespace {

std::vector<std::string> Entries(std::string list) {
    std::vector<std::string> entries;
    for (std::string entry = CutToken(list); !entry.empty(); entry = CutToken(list))
        entries.push_back(std::move(entry));
    return entries;
}

bool TimeQualifies(std::optional<DateTime> modificationTime, const AutoOpenConditions& conditions,
                   CalendarDate today) {
    return !conditions.MatchDate || (modificationTime && SameDay(*modificationTime, today));
}

} // namespace

AutoOpenNameFilter::AutoOpenNameFilter(const AutoOpenConditions& conditions, CalendarDate today) {
    if (conditions.MatchMask) {
        for (const std::string& mask : Entries(conditions.DateMasks))
            dateMasks_.push_back(ExpandDateMask(mask, today));
    }
    if (conditions.MatchWildcards)
        wildcards_ = Entries(conditions.Wildcards);
}

bool AutoOpenNameFilter::operator()(std::string_view fileName) const {
    for (const std::string& mask : dateMasks_) {
        if (MatchesDateMask(fileName, mask))
            return true;
    }
    for (const std::string& mask : wildcards_) {
        if (MatchesFileMask(fileName, mask))
            return true;
    }
    return false;
}

bool QualifiesForAutoOpen(std::string_view fileName, std::optional<DateTime> modificationTime,
                          const AutoOpenConditions& conditions, CalendarDate today) {
    return AutoOpenNameFilter(conditions, today)(fileName) &&
           TimeQualifies(modificationTime, conditions, today);
}

bool PathQualifiesForAutoOpen(const std::string& path, const AutoOpenConditions& conditions,
                              CalendarDate today) {
    if (!AutoOpenNameFilter(conditions, today)(FileNameOfPath(path)))
        return false;
    const std::optional<DateTime> modified = RegularFileModificationTime(path);
    return modified && TimeQualifies(modified, conditions, today);
}

std::vector<std::string> QualifyingFiles(const std::string& folder,
                                         const AutoOpenConditions& conditions, CalendarDate today) {
    std::vector<std::string> paths;
    const AutoOpenNameFilter names(conditions, today);
    if (names.PassesNothing())
        return paths;
    const std::string prefix = WithTrailingSeparator(folder);
    for (const FolderEntry& entry : ListFolder(prefix, conditions.MatchDate, std::cref(names))) {
        if (TimeQualifies(entry.ModificationTime, conditions, today))
            paths.push_back(prefix + entry.Name);
    }
    return paths;
}

std::vector<std::string> WatchedFolders(const std::string& list) {
    std::vector<std::string> folders;
    std::string rest = list;
    for (std::string entry = TrimText(CutToken(rest)); !entry.empty();
         entry = TrimText(CutToken(rest)))
        folders.push_back(WithTrailingSeparator(entry));
    return folders;
}

} // namespace marrowlight
