#pragma once

#include "support/core/Clock.h"
#include "support/core/DateTimeFormat.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace marrowlight {

// The conditions a file must meet to be kept open in the automatic mode, as
// the Options dialog holds them at the moment of a pass.
struct AutoOpenConditions {
    std::string DateMasks;       // FileMasksField
    std::string Wildcards;       // WildcardMasksField
    bool MatchMask = false;      // MatchMaskBox
    bool MatchWildcards = false; // MatchWildcardsBox
    bool MatchDate = false;      // MatchDateBox
    bool operator==(const AutoOpenConditions&) const = default;
};

// The name half of the conditions, with the date masks expanded and both
// lists cut once, for a pass over many names.
class AutoOpenNameFilter {
  public:
    AutoOpenNameFilter(const AutoOpenConditions& conditions, CalendarDate today);
    bool operator()(std::string_view fileName) const;
    // Neither mask kind is on (or both lists are empty): no name passes.
    bool PassesNothing() const { return dateMasks_.empty() && wildcards_.empty(); }

  private:
    std::vector<std::string> dateMasks_;
    std::vector<std::string> wildcards_;
};

// A file name (no folder) qualifies when it matches a date mask or a wildcard
// mask, each kind only when switched on, and, when MatchDate is on, was last
// written today. With MatchDate on, a file whose time is not known does not
// qualify.
bool QualifiesForAutoOpen(std::string_view fileName, std::optional<DateTime> modificationTime,
                          const AutoOpenConditions& conditions, CalendarDate today);

// The check for an open log: its path must name a regular file (links
// followed) that qualifies. At most one stat, none when the name fails.
bool PathQualifiesForAutoOpen(const std::string& path, const AutoOpenConditions& conditions,
                              CalendarDate today);

// The full paths of the files in one watched folder that qualify, in listing
// order, from one read of the folder. A stat is spent only on names that
// match and only where the type or the time is not known from the listing.
std::vector<std::string> QualifyingFiles(const std::string& folder,
                                         const AutoOpenConditions& conditions, CalendarDate today);

// The watched folders of a ";"-separated list: each entry trimmed and ended
// with a separator, up to the first entry that is empty after trimming.
std::vector<std::string> WatchedFolders(const std::string& list);

} // namespace marrowlight
