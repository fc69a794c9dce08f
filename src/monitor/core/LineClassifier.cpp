#include "monitor/core/LineClassifier.h"

#include <cstring>

#include "monitor/core/PassProgress.h"
#include "monitor/core/ViewSettings.h"

namespace marrowlight {

namespace {

// Cuts the entry before the first ";" (all of it when there is none).
std::string_view CutEntry(std::string_view& list) {
    size_t semi = list.find(';');
    std::string_view entry = list.substr(0, semi);
    list = semi == std::string_view::npos ? std::string_view() : list.substr(semi + 1);
    return entry;
}

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

} // namespace

bool MatchesKeywords(std::string_view line, std::string_view list) {
    for (std::string_view entry = CutEntry(list); !entry.empty(); entry = CutEntry(list))
        if (line.find(entry) != std::string_view::npos)
            return true;
    return false;
}

bool InGroup(std::string_view line, int g, const ViewSettings& settings) {
    return MatchesKeywords(line, settings.GroupKeywords(g));
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
    for (int g = 3; g >= 1; --g)
        if (InGroup(line, g, settings))
            return g;
    return 0;
}

bool IsLineShown(std::string_view line, const ViewSettings& settings) {
    if (settings.AllEntries())
        return true;
    for (int g = 1; g <= 3; ++g)
        if (settings.GroupShown(g) && InGroup(line, g, settings))
            return true;
    return false;
}

KeywordList::KeywordList(std::string_view list) {
    for (std::string_view entry = CutEntry(list); !entry.empty(); entry = CutEntry(list)) {
        Entry e{std::string(entry), 0};
        for (size_t i = 0; i < entry.size(); ++i) {
            auto c = static_cast<unsigned char>(entry[i]);
            if (c >= 0x80)
                allAscii_ = false;
            if (Commonness(c) < Commonness(static_cast<unsigned char>(entry[e.Anchor])))
                e.Anchor = i;
        }
        entries_.push_back(std::move(e));
    }
}

bool KeywordList::Matches(std::string_view line) const {
    for (const Entry& e : entries_) {
        const size_t len = e.Text.size();
        if (len > line.size())
            continue;
        const char anchor = e.Text[e.Anchor];
        const char* p = line.data() + e.Anchor;
        const char* last = line.data() + (line.size() - len) + e.Anchor; // last anchor place
        while (p <= last) {
            p = static_cast<const char*>(std::memchr(p, anchor, size_t(last - p) + 1));
            if (!p)
                break;
            if (std::memcmp(p - e.Anchor, e.Text.data(), len) == 0)
                return true;
            ++p;
        }
    }
    return false;
}

GroupMatcher::GroupMatcher(const ViewSettings& settings)
    : groups_{KeywordList(settings.GroupKeywords(1)), KeywordList(settings.GroupKeywords(2)),
              KeywordList(settings.GroupKeywords(3))} {
    for (const KeywordList& g : groups_)
        allAscii_ = allAscii_ && g.AllAscii();
}

unsigned GroupMatcher::Membership(std::string_view line) const {
    unsigned bits = 0;
    for (unsigned g = 0; g < 3; ++g)
        if (groups_[g].Matches(line))
            bits |= 1u << g;
    return bits;
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

bool ViewFilter::Shows(unsigned groups) const {
    if (AllEntries)
        return true;
    for (unsigned g = 0; g < 3; ++g)
        if (GroupShown[g] && (groups & (1u << g)))
            return true;
    return false;
}

void ReportFilterProgress(size_t i, size_t n, PassProgress& progress) {
    progress.ShowProgress("Filtering lines: " + std::to_string((n - i) * 100 / n) + "%", false);
}

LineIndex FilterChunk(LineIndex&& chunk, bool newestFirst, const ViewFilter& filter,
                      PassProgress& progress) {
    // Compacts in place so a large chunk never exists twice in memory: kept
    // lines slide towards the end the filter walks from.
    const size_t n = chunk.size();
    LineIndex shown = std::move(chunk);
    if (filter.AllEntries) {
        // Every line is shown: only the progress steps have an effect.
        for (size_t k = 0; k < n; k += ProgressStep) {
            size_t i = newestFirst ? (n - 1) / ProgressStep * ProgressStep - k : k;
            FilterLine(shown[i], i, n, filter, progress);
        }
        if (newestFirst)
            shown.Reverse();
    } else if (!newestFirst) {
        auto kept = shown.begin();
        size_t i = 0;
        for (auto it = shown.begin(); it != shown.end(); ++it, ++i)
            if (FilterLine(*it, i, n, filter, progress))
                *kept++ = *it;
        shown.KeepRange(0, static_cast<size_t>(kept - shown.begin()));
    } else {
        // Walks from the newest line; kept lines gather at the end.
        auto first = shown.end();
        size_t i = n;
        for (auto it = shown.end(); it != shown.begin();) {
            --it;
            --i;
            if (FilterLine(*it, i, n, filter, progress))
                *--first = *it;
        }
        size_t from = static_cast<size_t>(first - shown.begin());
        shown.KeepRange(from, n - from);
        shown.Reverse();
    }
    return shown;
}

} // namespace marrowlight
