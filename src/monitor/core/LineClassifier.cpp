#include "monitor/core/LineClassifier.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "monitor/core/PassProgress.h"
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

} // namespace

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

KeywordList::KeywordList(std::string_view list) {
    std::string rest(list);
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

bool KeywordList::Matches(std::string_view line) const {
    for (const Entry& e : entries_)
        if (Find(e, line))
            return true;
    return false;
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
                                              settings.GroupKeywords(3)}) {}

GroupMatcher::GroupMatcher(const std::array<std::string, 3>& keywords)
    : groups_{KeywordList(keywords[0]), KeywordList(keywords[1]), KeywordList(keywords[2])} {
    for (const KeywordList& g : groups_) {
        allAscii_ = allAscii_ && g.AllAscii();
        longest_ = std::max(longest_, g.Longest());
    }
}

const GroupMatcher& GroupMatcherCache::For(const ViewSettings& settings) {
    return For({settings.GroupKeywords(1), settings.GroupKeywords(2), settings.GroupKeywords(3)});
}

const GroupMatcher& GroupMatcherCache::For(std::array<std::string, 3> keywords) {
    if (!matcher_ || keywords != keywords_) {
        keywords_ = std::move(keywords);
        matcher_.emplace(keywords_);
    }
    return *matcher_;
}

unsigned GroupMatcher::Membership(std::string_view line) const {
    unsigned bits = 0;
    for (unsigned g = 0; g < 3; ++g)
        if (groups_[g].Matches(line))
            bits |= 1u << g;
    return bits;
}

int GroupMatcher::Highest(std::string_view line) const {
    for (int g = 3; g >= 1; --g)
        if (groups_[g - 1].Matches(line))
            return g;
    return 0;
}

unsigned GroupMatcher::ShownGroup(std::string_view line, const ViewFilter& filter) const {
    for (unsigned g = 0; g < 3; ++g)
        if (filter.GroupShown[g] && groups_[g].Matches(line))
            return 1u << g;
    return 0;
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
