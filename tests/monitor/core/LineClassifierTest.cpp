#include "monitor/core/LineClassifier.h"

#include "monitor/core/MonitorTestSupport.h"

#include <gtest/gtest.h>

namespace marrowlight {
namespace {

using testing::FakeViewSettings;
using testing::RecordingProgress;

TEST(LineClassifier, MatchesKeywordListsLikeTheyAreCut) {
    struct Case {
        const char* line;
        const char* list;
        bool match;
    } cases[] = {
        {"an Error here", "Error;error", true},
        {"an error here", "Error;error", true},
        {"an ERROR here", "Error;error", false}, // case matters
        {"Fatal", "Error;;Fatal", false},        // an empty entry ends the list
        {"Error", ";Error", false},
        {"Error", "Error;", true},
        {"anything", "", false},
        {"", "x", false},
        {"an error", " error", true}, // blanks are part of the entry
        {"error", " error", false},
        {"caf\xC3\xA9 down", "caf\xC3\xA9", true},
        {"rror", "error", false}, // the rare byte is searched first: stay inside the line
        {"rrorerror", "error", true},
        {"erro", "error", false},
        {"Warn", "arn;Q", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MatchesKeywords(c.line, c.list), c.match) << c.line << " | " << c.list;
    }
}

TEST(LineClassifier, RegexKeywordsMatchTheirLineAsPcre2Would) {
    const std::string costly = std::string(40, 'a') + "!";
    struct Case {
        const char* list;
        const char* line;
        bool match;
    } cases[] = {
        {"ERR[0-9]+", "an ERR42 here", true},
        {"ERR[0-9]+", "an err42 here", false}, // case-sensitive like keywords
        {"ERR[0-9]+", "ERR", false},
        {"^start", "start of it", true},
        {"^start", "a start", false},
        {"end$", "the end", true},
        {"end$", "the end.", false},
        {"^caf.$", "caf\xC3\xA9", true}, // "." takes a whole character
        {"x;ERR[0-9]+", "ERR1", true},   // any entry
        {"ERR[;x", "ERR[", false},       // cut at ";": neither half compiles
        {"([;ERR", "ERR", true},         // the invalid entry matches nothing, the next still does
        {"a++b;;ERR", "ERR", false},     // an empty entry ends the list, as for keywords
        {"", "anything", false},
        {"^$", "", true},
        {"(a+)+$", costly.c_str(), false}, // too costly, or no match: none
    };
    for (const Case& c : cases) {
        const KeywordList list(c.list, KeywordKind::Regex);
        EXPECT_EQ(list.Matches(c.line), c.match) << c.list << " | " << c.line;
        EXPECT_FALSE(list.AllAscii()) << c.list; // expressions always see decoded text
    }
    // A piece cut out of a longer line keeps "^" and "$" to the line's ends.
    const KeywordList anchored("^head;tail$", KeywordKind::Regex);
    EXPECT_FALSE(anchored.Matches("head in the middle", false, true));
    EXPECT_FALSE(anchored.Matches("middle tail", true, false));
    EXPECT_TRUE(anchored.Matches("middle tail", false, true));
}

TEST(LineClassifier, InvalidExpressionsAreNamedWithTheirReason) {
    struct Case {
        const char* list;
        int entry; // 0: every entry compiles
        const char* text;
        const char* reason; // part of PCRE2's message
        const char* at;
    } cases[] = {
        {"ERR[0-9]+;^start;end$", 0, "", "", ""},
        {"", 0, "", "", ""},
        {"ok;ERR[0-9;x", 2, "ERR[0-9", "missing terminating ]", "(at character 8)"},
        {"(open", 1, "(open", "missing closing parenthesis", "(at character 6)"},
        {"fine;a{2,1}", 2, "a{2,1}", "out of order", "(at character 6)"},
        {"caf\xC3\xA9(", 1, "caf\xC3\xA9(", "missing closing parenthesis",
         "(at character 6)"},    // counted in characters, not bytes
        {"x;;(", 0, "", "", ""}, // after an empty entry nothing is read
    };
    for (const Case& c : cases) {
        const std::optional<KeywordError> error = CheckRegexKeywords(c.list);
        if (c.entry == 0) {
            EXPECT_FALSE(error) << c.list;
            continue;
        }
        ASSERT_TRUE(error) << c.list;
        EXPECT_EQ(error->Entry, c.entry) << c.list;
        EXPECT_EQ(error->Text, c.text) << c.list;
        EXPECT_NE(error->Message.find(c.reason), std::string::npos) << error->Message;
        EXPECT_NE(error->Message.find(c.at), std::string::npos) << error->Message;
        const std::string described = DescribeKeywordError(*error);
        EXPECT_EQ(described.rfind("Keyword " + std::to_string(c.entry) + " (" + c.text + "): ", 0),
                  0u)
            << described;
    }
}

// A block of lines searched at once gives each line the verdict it gets
// alone: matches that run across a line end, anchors, word boundaries and
// empty matches included; expressions that could see past their line are
// not searched so.
TEST(LineClassifier, ABlockOfLinesGetsTheVerdictsOfItsLinesAlone) {
    const std::vector<std::string> lines = {
        "ERR1 start", "", "warn", "ing tail", "x ERR22", "a b", "ERR", "end", "  ", "last ERR3",
    };
    struct Case {
        const char* list;
        bool searchable; // over a block at once
    } cases[] = {
        {"ERR[0-9]+", true},  {"^ERR", true},        {"ERR[0-9]*$", true}, {"warn\\s*ing", true},
        {"n\\s+i", true},     {"^$", true},          {"x*", true},         {"\\bb\\b", true},
        {"a[^x]+b", true},    {"[^a-z]{2}", true},   {"(?i)err", true},    {"t$;^w", true},
        {"(?<=tail)", false}, {"end(?!\\n)", false}, {"\\AERR", false},    {"ERR\\z", false},
        {"(?-m)^ERR", false}, {"(?m)x", false},      {"(*CR)^ing", false}, {"(?<n>E)RR", true},
        {"(a+)+b", true},
    };
    for (const char* end : {"\n", "\r\n", "\r"}) {
        std::string block;
        std::vector<LineSpan> spans;
        for (const std::string& line : lines) {
            spans.push_back({block.size(), block.size() + line.size()});
            block += line + end;
        }
        block += "unfinished ERR4 tail"; // the piece's rest, no line of it
        for (const Case& c : cases) {
            const KeywordList list(c.list, KeywordKind::Regex);
            EXPECT_EQ(list.BlockSearchable(), c.searchable) << c.list;
            if (!c.searchable)
                continue;
            std::vector<unsigned> bits(lines.size(), 0);
            bits[7] = 4; // decided already by another group: left alone
            list.MarkLines(block, spans, 2, 4, bits.data());
            for (size_t i = 0; i < lines.size(); ++i) {
                const unsigned expected = i == 7 ? 4u : list.Matches(lines[i]) ? 2u : 0u;
                EXPECT_EQ(bits[i], expected) << c.list << " | " << lines[i];
            }
        }
    }
}

// The matcher is built again only when a list or its kind changed.
TEST(LineClassifier, CacheFollowsTheKindOfEachGroup) {
    GroupMatcherCache cache;
    const std::array<std::string, 3> lists{"2006", "W.rn", "ERR[0-9]+"};
    EXPECT_EQ(cache.For(lists).Membership("Warn ERR1"), 0u);
    const GroupKinds regex{KeywordKind::Plain, KeywordKind::Regex, KeywordKind::Regex};
    const GroupMatcher* built = &cache.For(lists, regex);
    EXPECT_EQ(built->Membership("Warn ERR1"), 0b110u);
    EXPECT_EQ(built->Membership("W.rn"), 0b010u);
    EXPECT_EQ(&cache.For(lists, regex), built);
    EXPECT_EQ(cache.For(lists).Membership("W.rn"), 0b010u); // plain again: the dot is a dot
    EXPECT_EQ(cache.For(lists).Membership("Warn"), 0u);
}

// The plain reading of a keyword list, to check the fast search against.
bool PlainMatch(std::string_view line, std::string_view list) {
    while (true) {
        size_t semi = list.find(';');
        std::string_view entry = list.substr(0, semi);
        if (entry.empty())
            return false;
        if (line.find(entry) != std::string_view::npos)
            return true;
        if (semi == std::string_view::npos)
            return false;
        list.remove_prefix(semi + 1);
    }
}

// Lines are searched many places at a time; a keyword at any place of a line
// of any length, near misses included, must give what a plain find gives.
TEST(LineClassifier, KeywordFoundAtEveryPlaceOfEveryLength) {
    const char* lists[] = {"error", "Info", "x", "Warn;warn", "rr", "er\xC3\xA9"};
    const char* fillers[] = {"-", "erro", "rror "};
    for (const char* list : lists) {
        KeywordList keywords(list);
        std::string_view first = std::string_view(list).substr(0, std::string_view(list).find(';'));
        for (const char* filler : fillers) {
            for (size_t length = 0; length <= 70; ++length) {
                std::string base;
                while (base.size() < length)
                    base += filler;
                base.resize(length);
                for (size_t at = 0; at + first.size() <= length; ++at) {
                    std::string line = base;
                    line.replace(at, first.size(), first);
                    ASSERT_TRUE(keywords.Matches(line)) << list << " in " << line;
                }
                ASSERT_EQ(keywords.Matches(base), PlainMatch(base, list)) << list << " in " << base;
            }
        }
    }
}

TEST(LineClassifier, GroupsPrecedenceAndViewFilter) {
    FakeViewSettings s;
    struct Case {
        const char* line;
        unsigned groups; // bit g-1
        int highest;
    } cases[] = {
        {"Warning: disk full", 0b010, 2},
        {"error", 0b100, 3},
        {"Error", 0b100, 3},
        {"ERROR", 0, 0},
        {"", 0, 0},
        {"2006 Warn Error", 0b111, 3},
        {"2006 plain", 0b001, 1},
    };
    GroupMatcher matcher(s);
    for (const Case& c : cases) {
        EXPECT_EQ(matcher.Membership(c.line), c.groups) << c.line;
        EXPECT_EQ(HighestGroup(c.line, s), c.highest) << c.line;
        EXPECT_EQ(InGroup2(c.line, s), (c.groups & 2) != 0) << c.line;
    }

    struct View {
        bool all;
        std::array<bool, 3> shown;
        const char* line;
        bool verdict;
    } views[] = {
        {true, {false, false, false}, "nothing special", true},
        {false, {true, true, true}, "nothing special", false},
        {false, {false, false, false}, "Error", false},
        {false, {false, true, false}, "Warn and Error", true},
        {false, {false, false, true}, "Warn and Error", true},
        {false, {true, false, false}, "Warn and Error", false},
    };
    for (const View& v : views) {
        s.allEntries = v.all;
        s.shown = v.shown;
        EXPECT_EQ(IsLineShown(v.line, s), v.verdict) << v.line;
        EXPECT_EQ(ViewFilter::From(s).Shows(GroupMatcher(s).Membership(v.line)), v.verdict)
            << v.line;
    }
}

// The drawing keeps its cut keywords between lines; an edit in the Options
// dialog must recolour the very next line drawn.
TEST(LineClassifier, GroupsFollowEditedKeywords) {
    FakeViewSettings s;
    struct Edit {
        int group;
        const char* keywords;
        int highest; // of "Error: disk full"
        bool inGroup1;
    } edits[] = {
        {0, "", 3, false},          {3, "Fatal", 0, false}, {1, "disk", 1, true},
        {2, "full;Error", 2, true}, {3, "Error", 3, true},  {1, ";disk", 3, false},
    };
    for (const Edit& e : edits) {
        if (e.group)
            s.keywords[e.group - 1] = e.keywords;
        EXPECT_EQ(HighestGroup("Error: disk full", s), e.highest) << e.keywords;
        EXPECT_EQ(InGroup1("Error: disk full", s), e.inGroup1) << e.keywords;
        EXPECT_EQ(GroupMatcher(s).Holds("Error: disk full", 1), e.inGroup1) << e.keywords;
    }
}

LineIndex Chunk(size_t n, unsigned everyThirdGroups, unsigned otherGroups = 0) {
    LineIndex chunk;
    for (size_t i = 0; i < n; ++i) {
        LineEntry e(i * 10, 8);
        e.SetMembership(i % 3 == 0 ? everyThirdGroups : otherGroups);
        chunk.push_back(e);
    }
    return chunk;
}

TEST(LineClassifier, FilteringPassReportsProgressInReadingOrder) {
    struct Case {
        size_t n;
        bool newestFirst;
        std::vector<std::string> texts;
    } cases[] = {
        {12000, false, {"Filtering lines: 100%", "Filtering lines: 58%", "Filtering lines: 16%"}},
        {12000, true, {"Filtering lines: 16%", "Filtering lines: 58%", "Filtering lines: 100%"}},
        {4999, true, {"Filtering lines: 100%"}},
        {1, false, {"Filtering lines: 100%"}},
    };
    // Every line shown, by "All Entries" or by groups that every line is in;
    // one line in three shown.
    ViewFilter all, groupsOfAll, errorsOnly;
    groupsOfAll.AllEntries = errorsOnly.AllEntries = false;
    groupsOfAll.GroupShown = {false, true, true};
    errorsOnly.GroupShown = {false, false, true};
    for (const Case& c : cases) {
        for (const ViewFilter* filter : {&all, &groupsOfAll, &errorsOnly}) {
            RecordingProgress progress;
            LineIndex shown =
                FilterChunk(Chunk(c.n, 0b100, 0b010), c.newestFirst, *filter, progress);
            EXPECT_EQ(progress.texts, c.texts) << c.n << " " << c.newestFirst;
            const size_t step = filter == &errorsOnly ? 3 : 1;
            const uint64_t last = (c.n - 1) / step * step * 10;
            ASSERT_EQ(shown.size(), (c.n + step - 1) / step);
            EXPECT_EQ(shown[0].Offset, c.newestFirst ? last : 0);
            EXPECT_EQ(shown[shown.size() - 1].Offset, c.newestFirst ? 0 : last);
        }
    }
}

TEST(LineClassifier, FilteringPassKeepsShownLinesInListOrder) {
    ViewFilter errorsOnly;
    errorsOnly.AllEntries = false;
    errorsOnly.GroupShown = {false, false, true};
    testing::RecordingProgress progress;
    for (bool newestFirst : {false, true}) {
        LineIndex shown = FilterChunk(Chunk(10, 0b100), newestFirst, errorsOnly, progress);
        std::vector<uint64_t> offsets;
        for (size_t i = 0; i < shown.size(); ++i)
            offsets.push_back(shown[i].Offset);
        std::vector<uint64_t> expected = newestFirst ? std::vector<uint64_t>{90, 60, 30, 0}
                                                     : std::vector<uint64_t>{0, 30, 60, 90};
        EXPECT_EQ(offsets, expected);
    }
}

} // namespace
} // namespace marrowlight
