#include "monitor/core/LineClassifier.h"

#include "monitor/core/TerminalEscapes.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "monitor/core/PassProgress.h"
#include "monitor/core/TextSearch.h"
#include "monitor/core/ViewSettings.h"
#include "support/core/CpuFeatures.h"
#include "support/core/TextUtils.h"

namespace marrowlight {

namespace {

// Keywords are short: a plain loop beats a call to memcmp, whose registers
// the vector loop would have to save around every candidate.
inline bool SameBytes(const char* a, const char* b, size_t n) {
    for (size_t i = 0; i < n; ++i)
        if (a[i] != b[i])
            return false;
    return true;
}

#if defined(MARROWLIGHT_AVX2)
// The SSE2 search below with 32 places a step; most log lines fit in a few
// steps, so halving them is most of the cost of a keyword test.
__attribute__((target("avx2"))) bool FindWide(const char* data, size_t starts, const char* text,
                                              size_t len, size_t anchorAt, size_t probeAt) {
    const __m256i anchor = _mm256_set1_epi8(text[anchorAt]);
    const __m256i probe = _mm256_set1_epi8(text[probeAt]);
    for (size_t s = 0;; s += 32) {
        if (s + 32 > starts)
            s = starts - 32;
        __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + s + anchorAt));
        __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + s + probeAt));
        auto mask = static_cast<unsigned>(_mm256_movemask_epi8(
            _mm256_and_si256(_mm256_cmpeq_epi8(a, anchor), _mm256_cmpeq_epi8(b, probe))));
        while (mask) {
            if (SameBytes(data + s + static_cast<size_t>(__builtin_ctz(mask)), text, len))
                return true;
            mask &= mask - 1;
        }
        if (s + 32 >= starts)
            return false;
    }
}
#endif

constexpr size_t ProgressStep = FilterProgressStep;

// Lower is rarer in log text: capitals and punctuation before digits, blanks
// and lower-case letters by their English frequency.
int Commonness(unsigned char c) {
    static constexpr const char* byFrequency = "zqjxkvbpygfwmucldrhsnioate";
    if (c >= 'a' && c <= 'z') {
        for (int i = 0; byFrequency[i]; ++i)
            if (byFrequency[i] == c)
                return 10 + i;
    }
    if (c == ' ')
        return 40;
    if (c >= '0' && c <= '9')
        return 8;
    return 0;
}

// One matcher per thread for callers without their own: the drawing asks
// for every painted line, so the keywords are not cut again each time.
GroupMatcherCache& DrawingMatchers() {
    thread_local GroupMatcherCache cache;
    return cache;
}

GroupKinds KindsOf(const ViewSettings& settings) {
    GroupKinds kinds{};
    for (int g = 1; g <= 3; ++g)
        kinds[g - 1] = settings.GroupUsesRegex(g) ? KeywordKind::Regex : KeywordKind::Plain;
    return kinds;
}

} // namespace

// An expression whose verdict on a line could change with the lines around
// it in a block: lookaround, anchors of the subject's ends, \K, verbs,
// conditions and option settings other than the harmless ones. Read
// conservatively: a false alarm only costs a search per line.
bool BlockUnsafe(std::string_view p) {
    for (size_t i = 0; i < p.size(); ++i) {
        if (p[i] == '\\' && i + 1 < p.size()) {
            if (std::string_view("AzZGK").find(p[i + 1]) != std::string_view::npos)
                return true;
            ++i;
        } else if (p[i] == '(' && i + 1 < p.size() && (p[i + 1] == '*')) {
            return true;
        } else if (p[i] == '(' && i + 2 < p.size() && p[i + 1] == '?') {
            const char c = p[i + 2];
            if (c == ':' || c == '>' || c == '|' || c == '\'')
                continue;
            if (c == '<' && i + 3 < p.size() && p[i + 3] != '=' && p[i + 3] != '!')
                continue; // a named group
            if (c == 'P' && i + 3 < p.size() && p[i + 3] == '<')
                continue;
            // Options such as (?i) or (?x-s:...), but not m or ^, which
            // decide where "^" and "$" hold.
            size_t j = i + 2;
            while (j < p.size() && std::string_view("ixsnUJ-").find(p[j]) != std::string_view::npos)
                ++j;
            if (j > i + 2 && j < p.size() && (p[j] == ')' || p[j] == ':'))
                continue;
            return true;
        }
    }
    return false;
}

std::optional<KeywordError> CheckRegexKeywords(std::string_view list) {
    std::string rest(list);
    int entry = 1;
    for (std::string text = CutToken(rest); !text.empty(); text = CutToken(rest), ++entry) {
        const SearchPattern pattern(text, true, true);
        if (!pattern.Error().empty())
            return KeywordError{entry, text, pattern.Error()};
    }
    return std::nullopt;
}

std::string DescribeKeywordError(const KeywordError& error) {
    return "Keyword " + std::to_string(error.Entry) + " (" + error.Text + "): " + error.Message;
}

bool MatchesKeywords(std::string_view line, std::string_view list) {
    return KeywordList(list).Matches(line);
}

bool InGroup(std::string_view line, int g, const ViewSettings& settings) {
    return g >= 1 && g <= 3 && DrawingMatchers().For(settings).Holds(line, g);
}
bool InGroup1(std::string_view line, const ViewSettings& s) {
    return InGroup(line, 1, s);
}
bool InGroup2(std::string_view line, const ViewSettings& s) {
    return InGroup(line, 2, s);
}
bool InGroup3(std::string_view line, const ViewSettings& s) {
    return InGroup(line, 3, s);
}

int HighestGroup(std::string_view line, const ViewSettings& settings) {
    return DrawingMatchers().For(settings).Highest(line);
}

bool IsLineShown(std::string_view line, const ViewSettings& settings) {
    const ViewFilter filter = ViewFilter::From(settings);
    return filter.AllEntries || DrawingMatchers().For(settings).ShownGroup(line, filter) != 0;
}

KeywordList::KeywordList(std::string_view list, KeywordKind kind) {
    std::string rest(list);
    if (kind == KeywordKind::Regex) {
        // Text decoded as it is drawn is what an expression sees: "." takes
        // a whole character, whatever bytes stand for it.
        allAscii_ = false;
        blockSafe_ = true;
        for (std::string entry = CutToken(rest); !entry.empty(); entry = CutToken(rest)) {
            auto pattern = std::make_shared<const SearchPattern>(entry, true, true);
            if (pattern->CanSearch()) {
                blockSafe_ = blockSafe_ && !BlockUnsafe(entry);
                patterns_.push_back(std::move(pattern));
            }
        }
        longest_ = patterns_.empty() ? 0 : RegexSeamBytes;
        return;
    }
    for (std::string entry = CutToken(rest); !entry.empty(); entry = CutToken(rest)) {
        Entry e{entry, 0, 0};
        for (size_t i = 0; i < entry.size(); ++i) {
            auto c = static_cast<unsigned char>(entry[i]);
            if (c >= 0x80)
                allAscii_ = false;
            if (Commonness(c) < Commonness(static_cast<unsigned char>(entry[e.Anchor])))
                e.Anchor = i;
        }
        // Neighbouring bytes are often alike; the far end tells more.
        e.Probe = e.Anchor * 2 < entry.size() ? entry.size() - 1 : 0;
        longest_ = std::max(longest_, entry.size());
        entries_.push_back(std::move(e));
    }
}

bool KeywordList::Matches(std::string_view line, bool lineStart, bool lineEnd) const {
    for (const Entry& e : entries_)
        if (Find(e, line))
            return true;
    for (const auto& pattern : patterns_) {
        SearchMatch match;
        if (pattern->Find(line, 0, match, lineStart, lineEnd) == FindResult::Match)
            return true;
    }
    return false;
}

void KeywordList::MarkLines(std::string_view block, const std::vector<LineSpan>& lines,
                            unsigned bit, unsigned skip, unsigned* bits) const {
    const unsigned decided = bit | skip;
    if (lines.empty())
        return;
    // "$" holds at the last line's end as it does at the others'.
    block = block.substr(0, lines.back().End);
    auto lineText = [&](size_t k) {
        return block.substr(lines[k].Begin, lines[k].End - lines[k].Begin);
    };
    for (const auto& pattern : patterns_) {
        size_t k = 0;
        while (k < lines.size()) {
            if (bits[k] & decided) {
                ++k;
                continue;
            }
            SearchMatch match;
            const FindResult found = pattern->Find(block, lines[k].Begin, match);
            if (found == FindResult::NoMatch)
                break;
            if (found == FindResult::TooComplex) {
                // Too costly over the block: each line on its own, as alone.
                for (; k < lines.size(); ++k)
                    if (!(bits[k] & decided) &&
                        pattern->Find(lineText(k), 0, match) == FindResult::Match)
                        bits[k] |= bit;
                break;
            }
            // The line the match starts in, or ends of: one starting in a
            // line end runs across it.
            while (k + 1 < lines.size() && lines[k + 1].Begin <= match.Begin)
                ++k;
            if (!(bits[k] & decided)) {
                if (match.Begin >= lines[k].Begin && match.End <= lines[k].End)
                    bits[k] |= bit;
                else if (pattern->Find(lineText(k), 0, match) == FindResult::Match)
                    bits[k] |= bit;
            }
            ++k;
        }
    }
}

bool KeywordList::Find(const Entry& e, std::string_view line) {
    const size_t len = e.Text.size();
    if (len > line.size())
        return false;
    const char* text = e.Text.data();
    const char* data = line.data();
    const size_t starts = line.size() - len + 1; // places the entry could begin
    size_t s = 0;
#if defined(MARROWLIGHT_AVX2)
    if (starts >= 32 && HasAvx2())
        return FindWide(data, starts, text, len, e.Anchor, e.Probe);
#endif
#if defined(__SSE2__)
    // Sixteen places at once: both probe bytes must agree before the whole
    // entry is compared, which rules out nearly every place in log text.
    if (starts >= 16) {
        const __m128i anchor = _mm_set1_epi8(text[e.Anchor]);
        const __m128i probe = _mm_set1_epi8(text[e.Probe]);
        for (;;) {
            // The last window is moved back to end at the last place; places
            // seen twice are harmless.
            if (s + 16 > starts)
                s = starts - 16;
            __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + s + e.Anchor));
            __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + s + e.Probe));
            auto mask = static_cast<unsigned>(_mm_movemask_epi8(
                _mm_and_si128(_mm_cmpeq_epi8(a, anchor), _mm_cmpeq_epi8(b, probe))));
            while (mask) {
                size_t at = s + static_cast<size_t>(__builtin_ctz(mask));
                if (SameBytes(data + at, text, len))
                    return true;
                mask &= mask - 1;
            }
            if (s + 16 >= starts)
                return false;
            s += 16;
        }
    }
#endif
    const char anchor = text[e.Anchor], probe = text[e.Probe];
    for (; s < starts; ++s)
        if (data[s + e.Anchor] == anchor && data[s + e.Probe] == probe &&
            SameBytes(data + s, text, len))
            return true;
    return false;
}

GroupMatcher::GroupMatcher(const ViewSettings& settings)
    : GroupMatcher(std::array<std::string, 3>{settings.GroupKeywords(1), settings.GroupKeywords(2),
                                              settings.GroupKeywords(3)},
                   KindsOf(settings)) {}

GroupMatcher::GroupMatcher(const std::array<std::string, 3>& keywords, const GroupKinds& kinds)
    : groups_{KeywordList(keywords[0], kinds[0]), KeywordList(keywords[1], kinds[1]),
              KeywordList(keywords[2], kinds[2])} {
    for (const KeywordList& g : groups_) {
        allAscii_ = allAscii_ && g.AllAscii();
        longest_ = std::max(longest_, g.Longest());
    }
}

const GroupMatcher& GroupMatcherCache::For(const ViewSettings& settings) {
    return For({settings.GroupKeywords(1), settings.GroupKeywords(2), settings.GroupKeywords(3)},
               KindsOf(settings));
}

const GroupMatcher& GroupMatcherCache::For(std::array<std::string, 3> keywords,
                                           const GroupKinds& kinds) {
    // Expressions are compiled only when a list or its kind changed.
    if (!matcher_ || keywords != keywords_ || kinds != kinds_) {
        keywords_ = std::move(keywords);
        kinds_ = kinds;
        matcher_.emplace(keywords_, kinds_);
    }
    return *matcher_;
}

// Keywords match a line as it is shown: without its terminal sequences. The
// common line holds no escape character and costs one memchr more.
unsigned GroupMatcher::Membership(std::string_view line, bool lineStart, bool lineEnd) const {
    if (HasTerminalEscapes(line))
        return Membership(VisibleText(line), lineStart, lineEnd);
    unsigned bits = 0;
    for (unsigned g = 0; g < 3; ++g)
        if (groups_[g].Matches(line, lineStart, lineEnd))
            bits |= 1u << g;
    return bits;
}

int GroupMatcher::Highest(std::string_view line) const {
    if (HasTerminalEscapes(line))
        return Highest(VisibleText(line));
    for (int g = 3; g >= 1; --g)
        if (groups_[g - 1].Matches(line))
            return g;
    return 0;
}

unsigned GroupMatcher::ShownGroup(std::string_view line, const ViewFilter& filter,
                                  unsigned among) const {
    if (HasTerminalEscapes(line))
        return ShownGroup(VisibleText(line), filter, among);
    for (unsigned g = 0; g < 3; ++g)
        if (filter.GroupShown[g] && (among >> g & 1u) && groups_[g].Matches(line))
            return 1u << g;
    return 0;
}

unsigned GroupMatcher::BlockGroups() const {
    unsigned bits = 0;
    for (unsigned g = 0; g < 3; ++g)
        if (groups_[g].BlockSearchable())
            bits |= 1u << g;
    return bits;
}

ViewFilter ViewFilter::From(const ViewSettings& settings) {
    ViewFilter f;
    f.AllEntries = settings.AllEntries();
    for (int g = 1; g <= 3; ++g)
        f.GroupShown[g - 1] = settings.GroupShown(g);
    return f;
}

void ReportFilterProgress(size_t i, size_t n, PassProgress& progress) {
    progress.ShowProgress("Filtering lines: " + std::to_string((n - i) * 100 / n) + "%", false);
}

namespace {

// The texts FilterLine would report over n lines, when every line is shown.
void ReportFilterSteps(size_t n, bool newestFirst, PassProgress& progress) {
    for (size_t k = 0; k < n; k += ProgressStep)
        ReportFilterProgress(newestFirst ? (n - 1) / ProgressStep * ProgressStep - k : k, n,
                             progress);
}

} // namespace

LineIndex FilterChunk(LineIndex&& chunk, bool newestFirst, const ViewFilter& filterIn,
                      PassProgress& progress) {
    // A copy the progress calls cannot change, so the loop keeps it in registers.
    const ViewFilter filter = filterIn;
    const size_t n = chunk.size();
    if (filter.AllEntries || chunk.CountInGroups(filter.ShownGroups()) == n) {
        // Every line is shown: only the progress steps have an effect.
        ReportFilterSteps(n, newestFirst, progress);
        if (newestFirst)
            chunk.Reverse();
        return std::move(chunk);
    }
    // Shown lines are copied in list order while the chunk gives back what
    // was walked, so a large chunk never exists twice in memory.
    constexpr size_t GiveBackRows = 1 << 14;
    LineIndex shown;
    shown.SetSource(chunk.Source(), chunk.Encoding());
    if (!newestFirst) {
        size_t i = 0;
        while (!chunk.empty()) {
            const size_t walk = std::min(chunk.size(), GiveBackRows);
            auto it = chunk.begin();
            for (size_t k = 0; k < walk; ++k, ++it, ++i)
                if (const LineEntry line = *it; FilterLine(line, i, n, filter, progress))
                    shown.push_back(line);
            chunk.KeepRange(walk, chunk.size() - walk);
        }
    } else {
        // Walks from the newest line.
        size_t i = n;
        while (!chunk.empty()) {
            const size_t walk = std::min(chunk.size(), GiveBackRows);
            auto it = chunk.end();
            for (size_t k = 0; k < walk; ++k)
                if (const LineEntry line = *--it; FilterLine(line, --i, n, filter, progress))
                    shown.push_back(line);
            chunk.KeepRange(0, chunk.size() - walk);
        }
    }
    return shown;
}

} // namespace marrowlight
