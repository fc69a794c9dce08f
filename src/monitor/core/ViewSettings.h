#pragma once

#include <string>

namespace marrowlight {

// The live settings the monitor core asks at the moment of each test. The
// shell answers from the Options dialog and the View menu, so no copy of a
// setting is kept here.
class ViewSettings {
  public:
    virtual ~ViewSettings() = default;
    // "All Entries" of the View menu.
    virtual bool AllEntries() const = 0;
    // The View menu item of group g (1..3).
    virtual bool GroupShown(int g) const = 0;
    // UTF-8 text of Group1KeywordsField..Group3KeywordsField for g = 1..3.
    virtual std::string GroupKeywords(int g) const = 0;
    // Group g's keywords are regular expressions.
    virtual bool GroupUsesRegex(int /*g*/) const { return false; }
    virtual bool LastEntriesAtTop() const = 0;
    virtual bool AddedLogLinesOnly() const = 0;
    virtual bool AllLogLines() const = 0;
    virtual bool UpdateForced() const = 0;
};

} // namespace marrowlight
