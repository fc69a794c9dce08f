#pragma once

#include "support/core/Clock.h"
#include "support/core/DateTimeFormat.h"

#include <string>
#include <string_view>

namespace marrowlight {

// File names are UTF-8: wherever a mask says "one character" ("?", a date
// mask position) it means one UTF-8 sequence, not one byte. A byte that
// starts no valid sequence counts as a character of its own.

// Date masks ("yyyymmdd.log"): the first "yyyy", then the first "yy", "mm"
// and "dd" of the result are replaced by today's date; only lower case counts.
std::string ExpandDateMask(std::string_view mask, CalendarDate today);
// Compares only the positions both texts have: "?" in the mask takes any
// character, every other one must be equal, case included. So a name shorter
// or longer than the mask can match.
bool MatchesDateMask(std::string_view fileName, std::string_view expandedMask);
// The ";"-separated masks up to the first empty entry, each expanded.
bool MatchesAnyDateMask(const std::string& list, std::string_view fileName, CalendarDate today);

// Wildcard masks ("*.log"): base name and extension (from the last ".") are
// matched separately, each with WildcardMatch; a folder part of either text
// is ignored.
bool MatchesFileMask(std::string_view fileName, std::string_view mask);
// The ";"-separated masks up to the first empty entry.
bool MatchesAnyWildcard(const std::string& list, std::string_view fileName);
// "*" takes any run of characters and "?" one character, in either text (a
// "?" facing a "*" takes it as one character). Letters a to z match without
// case, every other character only itself. Time grows with the product of
// the two lengths, whatever the stars.
bool WildcardMatch(std::string_view a, std::string_view b);

// Whether a file last written at `modificationTime` (local) was written on
// the given day.
bool SameDay(DateTime modificationTime, CalendarDate today);
bool SameDay(DateTime modificationTime, const Clock& clock);

} // namespace marrowlight
