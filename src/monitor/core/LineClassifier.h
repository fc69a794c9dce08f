#pragma once

#include "monitor/core/LineIndex.h"

#include <array>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace marrowlight {

class PassProgress;
class SearchPattern;
class ViewSettings;
struct ViewFilter;

// Keywords of one group are either plain text or, with the group's
// "Keywords as regular expressions" box, PCRE2 expressions (case-sensitive, "^" and "$"
// at the line's ends).
enum class KeywordKind { Plain, Regex };
using GroupKinds = std::array<KeywordKind, 3>;

// Why a ";"-separated list of expressions cannot be used: which entry (from
// 1), its text and PCRE2's message with the character it stopped at; nullopt
// when every entry compiles.
struct KeywordError {
    int Entry = 0;
    std::string Text;
    std::string Message;
};
std::optional<KeywordError> CheckRegexKeywords(std::string_view list);
// "Keyword 2 (ERR[): Invalid regular expression: ... (at character 4)".
std::string DescribeKeywordError(const KeywordError& error);

// True when the line holds one of the ";"-separated entries as a
// case-sensitive substring. Cutting stops at the first empty entry, so
// "Error;;Fatal" looks for Error only and ";x" matches nothing. The drawing,
// the filter and the alerts all test keywords through KeywordList, so a
// line's colour and its verdict never disagree.
bool MatchesKeywords(std::string_view line, std::string_view list);

// Membership of a line (UTF-8 text) in group g = 1..3, from the live keywords.
bool InGroup(std::string_view line, int g, const ViewSettings& settings);
bool InGroup1(std::string_view line, const ViewSettings& settings);
bool InGroup2(std::string_view line, const ViewSettings& settings);
bool InGroup3(std::string_view line, const ViewSettings& settings);
// 3, 2, 1 for the highest group the line is in, 0 for none.
int HighestGroup(std::string_view line, const ViewSettings& settings);
// The View menu's verdict.
bool IsLineShown(std::string_view line, const ViewSettings& settings);

// Where one line of a block of many lines lies: bytes [Begin, End), without
// its line end. A block's lines are in order and its line ends are CR, LF or
// CR LF.
struct LineSpan {
    size_t Begin = 0;
    size_t End = 0;
};

// A keyword list cut once, for testing many lines. Expressions are compiled
// (and JIT-compiled) here, once; an entry that does not compile matches
// nothing, and so does one too costly for a line.
class KeywordList {
  public:
    explicit KeywordList(std::string_view list, KeywordKind kind = KeywordKind::Plain);
    // lineStart/lineEnd false: line is a piece cut out of a longer line, so
    // "^" or "$" do not hold at that end.
    bool Matches(std::string_view line, bool lineStart = true, bool lineEnd = true) const;
    // Raw bytes of an 8-bit or UTF-8 line find what its text finds: plain
    // ASCII keywords only.
    bool AllAscii() const { return allAscii_; }
    bool Empty() const { return entries_.empty() && patterns_.empty(); }
    // Bytes of the longest entry; for expressions, the longest match found
    // across the cut between two pieces of a line too long to hold.
    size_t Longest() const { return longest_; }
    static constexpr size_t RegexSeamBytes = size_t{64} << 10;

    // Expressions that give a line of a block the verdict they give the line
    // alone: no lookaround, no \A, \z, \Z, \G or \K, no option that could
    // turn "^" and "$" off line ends. Plain lists are not searched so.
    bool BlockSearchable() const { return blockSafe_; }
    // Sets `bit` in bits[i] for each line i of an ASCII block that holds an
    // entry and has none of bit | skip set yet: one search over the block
    // for each expression rather than one for each line. A match that runs
    // across a line end is tried again within its line.
    void MarkLines(std::string_view block, const std::vector<LineSpan>& lines, unsigned bit,
                   unsigned skip, unsigned* bits) const;

  private:
    struct Entry {
        std::string Text;
        size_t Anchor = 0; // the byte least likely in ordinary text, searched first
        size_t Probe = 0;  // a second byte tested with it, far from the anchor
    };
    static bool Find(const Entry& e, std::string_view line);
    std::vector<Entry> entries_;
    std::vector<std::shared_ptr<const SearchPattern>> patterns_;
    bool blockSafe_ = false;
    bool allAscii_ = true;
    size_t longest_ = 0;
};

// The three groups' keywords, taken once per chunk: nothing can change them
// while a chunk is read, since the pass runs on the GUI thread.
class GroupMatcher {
  public:
    explicit GroupMatcher(const ViewSettings& settings);
    explicit GroupMatcher(const std::array<std::string, 3>& keywords, const GroupKinds& kinds = {});
    // Whether the UTF-8 line is in group g = 1..3.
    bool Holds(std::string_view line, int g) const { return groups_[g - 1].Matches(line); }
    // Bit g-1 set when the UTF-8 line is in group g. A piece of a longer
    // line says which of the line's ends it holds.
    unsigned Membership(std::string_view line, bool lineStart = true, bool lineEnd = true) const;
    // The highest group the UTF-8 line is in, 0 for none; stops at the first
    // that holds, from group 3 down.
    int Highest(std::string_view line) const;
    // The bit of the first group that both holds the line and is shown by
    // the filter, else 0: enough for a verdict, cheaper than Membership.
    // Only the groups of bits `among` (bit g-1 = group g) are tested.
    unsigned ShownGroup(std::string_view line, const ViewFilter& filter, unsigned among = 7u) const;
    // Bit g-1 set when group g's expressions can be searched a block of many
    // lines at a time (KeywordList::BlockSearchable).
    unsigned BlockGroups() const;
    const KeywordList& Group(int g) const { return groups_[g - 1]; }
    // True when raw bytes of an 8-bit or UTF-8 log can be tested without
    // decoding them (ASCII keywords find the same places in both).
    bool RawBytesSuffice() const { return allAscii_; }
    // Bytes of the longest keyword of any group: text cut into pieces is
    // searched again across each cut over one byte less than this.
    size_t LongestKeyword() const { return longest_; }

  private:
    std::array<KeywordList, 3> groups_;
    bool allAscii_ = true;
    size_t longest_ = 0;
};

// The highest group set in a membership (bit g-1 = group g): 3, 2, 1 or 0.
inline int HighestOf(unsigned membership) {
    return membership & 4u ? 3 : membership & 2u ? 2 : membership & 1u ? 1 : 0;
}

// The matcher of the live keywords, cut again only when they changed: the
// drawing asks for every painted line, the reader for every chunk.
class GroupMatcherCache {
  public:
    const GroupMatcher& For(const ViewSettings& settings);
    // Group1KeywordsField..Group3KeywordsField's keywords, as the drawing reads them.
    const GroupMatcher& For(std::array<std::string, 3> keywords, const GroupKinds& kinds = {});

  private:
    std::optional<GroupMatcher> matcher_;
    std::array<std::string, 3> keywords_;
    GroupKinds kinds_{};
};

// The View menu's state, taken once per chunk like the keywords.
struct ViewFilter {
    bool AllEntries = true;
    std::array<bool, 3> GroupShown{};

    static ViewFilter From(const ViewSettings& settings);
    // Whether a line with this group membership (bit g-1 = group g) is shown.
    // Inline and without branches on the line: the filtering pass asks once
    // per line, and which group a line is in is unpredictable.
    bool Shows(unsigned groups) const { return AllEntries || (groups & ShownGroups()) != 0; }
    // Bit g-1 set when group g is shown.
    unsigned ShownGroups() const {
        return unsigned{GroupShown[0]} | unsigned{GroupShown[1]} << 1 |
               unsigned{GroupShown[2]} << 2;
    }
    // Whether the verdict needs the keyword tests at all.
    bool NeedsGroups() const { return !AllEntries; }
};

// One step of the filtering pass over a chunk of n lines: tells whether line
// i is shown and, at every i that is a multiple of 5000, reports
// "Filtering lines: " + (n - i) * 100 / n + "%".
inline constexpr size_t FilterProgressStep = 5000;
void ReportFilterProgress(size_t i, size_t n, PassProgress& progress);
inline bool FilterLine(const LineEntry& line, size_t i, size_t n, const ViewFilter& filter,
                       PassProgress& progress) {
    if (i % FilterProgressStep == 0)
        ReportFilterProgress(i, n, progress);
    return filter.Shows(line.Membership());
}

// The filtering pass the reader runs over each chunk it split: FilterLine
// over i = 0..n-1, or n-1..0 when newestFirst, returning the shown lines in
// the order the list shows them. The entries must carry their group bits
// when the filter needs them.
LineIndex FilterChunk(LineIndex&& chunk, bool newestFirst, const ViewFilter& filter,
                      PassProgress& progress);

} // namespace marrowlight
