#include "monitor/core/RowSearch.h"

#include "monitor/core/MonitorTestSupport.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace marrowlight {
namespace {

using testing::MemoryFile;

// UTF-16 LE of UTF-8 text within the first plane.
std::string Utf16(std::string_view utf8) {
    std::string out;
    for (size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        unsigned c = b;
        size_t n = 1;
        if (b >= 0xE0) {
            c = ((b & 0x0Fu) << 12) | ((utf8[i + 1] & 0x3Fu) << 6) | (utf8[i + 2] & 0x3Fu);
            n = 3;
        } else if (b >= 0xC0) {
            c = ((b & 0x1Fu) << 6) | (utf8[i + 1] & 0x3Fu);
            n = 2;
        }
        out += char(c & 0xFF);
        out += char(c >> 8);
        i += n;
    }
    return out;
}

// A log of lines ending in CR LF (or `lineEnd`), listed where `shown` says so
// (all when empty), oldest first unless newest at the top.
struct Log {
    Log(const std::vector<std::string>& texts, LogEncoding encoding = LogEncoding::EightBit,
        const std::vector<bool>& shown = {}, bool newestAtTop = false,
        const std::string& lineEnd = "\r\n")
        : file(std::make_shared<MemoryFile>()) {
        const bool wide = encoding == LogEncoding::Utf16;
        if (wide)
            file->data = "\xFF\xFE";
        for (size_t i = 0; i < texts.size(); ++i) {
            const std::string bytes = wide ? Utf16(texts[i]) : texts[i];
            const uint64_t offset = file->data.size();
            file->data += bytes + (wide ? Utf16(lineEnd) : lineEnd);
            if (shown.empty() || shown[i])
                lines.push_back(LineEntry(offset, bytes.size()));
        }
        if (newestAtTop)
            lines.Reverse();
        lines.SetSource(file, encoding);
    }
    std::shared_ptr<MemoryFile> file;
    LineIndex lines;
};

struct Outcome {
    SearchState state;
    int row;
    bool wrapped;
    bool operator==(const Outcome&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Outcome& o) {
    return out << "state " << int(o.state) << " row " << o.row << " wrapped " << o.wrapped;
}

Outcome Search(const Log& log, const char* text, bool matchCase, bool regex,
               SearchDirection direction, std::optional<size_t> from, bool newestAtTop = false,
               size_t blockBytes = RowSearch::DefaultBlockBytes) {
    auto pattern = std::make_shared<SearchPattern>(text, matchCase, regex);
    RowSearch search(pattern, direction, newestAtTop, log.lines, from);
    search.SetBlockBytes(blockBytes);
    while (search.Step(log.lines, 100) == SearchState::Running) {
    }
    const bool found = search.State() == SearchState::Found;
    return {search.State(), found ? int(search.FoundRow()) : -1, found && search.Wrapped()};
}

constexpr auto Newer = SearchDirection::Newer;
constexpr auto Older = SearchDirection::Older;
constexpr auto Found = SearchState::Found;
constexpr auto NotFound = SearchState::NotFound;

TEST(RowSearch, GoesTowardNewerOrOlderLinesAndWrapsOnce) {
    const std::vector<std::string> texts{"alpha", "beta ERR1", "gamma", "delta err2", "epsilon"};
    struct Case {
        const char* text;
        bool matchCase, regex;
        SearchDirection direction;
        std::optional<size_t> from;
        bool newestAtTop;
        Outcome expected;
    } cases[] = {
        {"ERR", true, false, Newer, 0, false, {Found, 1, false}},
        {"err", false, false, Newer, 1, false, {Found, 3, false}},
        {"ERR", true, false, Newer, 3, false, {Found, 1, true}},
        {"ERR", true, false, Older, 3, false, {Found, 1, false}},
        {"err", true, false, Older, 2, false, {Found, 3, true}},
        // The starting row itself is searched last.
        {"gamma", true, false, Newer, 2, false, {Found, 2, true}},
        {"nothing", true, false, Newer, 2, false, {NotFound, -1, false}},
        // Without a focused row: from the oldest, or the newest, line; no wrap.
        {"a", true, false, Newer, std::nullopt, false, {Found, 0, false}},
        {"a", true, false, Older, std::nullopt, false, {Found, 3, false}},
        {"ERR", true, false, Newer, std::nullopt, true, {Found, 3, false}},
        // Newest at the top: row 0 is "epsilon"; newer lines lie upward.
        {"err", false, false, Newer, 4, true, {Found, 3, false}},
        {"err", false, false, Newer, 3, true, {Found, 1, false}},
        {"err", false, false, Newer, 1, true, {Found, 3, true}},
        {"err", false, false, Older, 3, true, {Found, 1, true}},
        // Expressions, at the edges of rows.
        {"ERR[0-9]+", true, true, Newer, 0, false, {Found, 1, false}},
        {"^alpha$", true, true, Newer, 4, false, {Found, 0, true}},
        {"^a", true, true, Newer, 0, false, {Found, 0, true}},
        {"2$", true, true, Older, 4, false, {Found, 3, false}},
        {"n$", true, true, Newer, 0, false, {Found, 4, false}},
        {"mma$", false, false, Newer, 0, false, {NotFound, -1, false}},
        {"mma", false, false, Newer, 0, false, {Found, 2, false}},
        // Matches across rows count for nothing.
        {"alpha\\s+beta", true, true, Newer, std::nullopt, false, {NotFound, -1, false}},
        {"ha[^x]*ERR", true, true, Newer, std::nullopt, false, {NotFound, -1, false}},
        {"pha[^x]*ERR1", true, true, Older, std::nullopt, false, {NotFound, -1, false}},
        {"beta[^x]*", true, true, Newer, 4, false, {Found, 1, true}},
    };
    for (const Case& c : cases) {
        const Log log(texts, LogEncoding::EightBit, {}, c.newestAtTop);
        for (size_t block : {size_t(64), RowSearch::DefaultBlockBytes})
            EXPECT_EQ(Search(log, c.text, c.matchCase, c.regex, c.direction, c.from, c.newestAtTop,
                             block),
                      c.expected)
                << c.text << " from " << (c.from ? int(*c.from) : -1) << " block " << block;
    }
}

TEST(RowSearch, SearchesOnlyTheListedRowsByTheirText) {
    struct Case {
        std::vector<std::string> texts;
        LogEncoding encoding;
        std::vector<bool> shown;
        const char* text;
        bool matchCase, regex;
        int expected;
    } cases[] = {
        // A hidden line holds the text; so does a pair of lines only together.
        {{"one", "two ERR", "three"},
         LogEncoding::EightBit,
         {true, false, true},
         "ERR",
         true,
         false,
         -1},
        {{"one", "two ERR", "three ERR"},
         LogEncoding::EightBit,
         {true, false, true},
         "ERR",
         true,
         false,
         1},
        {{"ab", "--", "cd"}, LogEncoding::EightBit, {true, false, true}, "b\\W+cd", true, true, -1},
        // A Windows-1252 line is searched as it is shown; its bytes that look
        // like UTF-8 ("Ã©") are not what it shows.
        {{"plain", "caf\xE9"}, LogEncoding::EightBit, {}, "caf\xC3\xA9", true, false, 1},
        {{"plain", "caf\xE9"}, LogEncoding::EightBit, {}, "CAF\xC3\x89", false, false, 1},
        {{"plain", "caf\xE9"}, LogEncoding::EightBit, {}, "caf.$", true, true, 1},
        {{"caf\xC3\xA9 \xFF", "x"}, LogEncoding::EightBit, {}, "caf\xC3\xA9", true, false, -1},
        {{"caf\xC3\xA9 \xFF", "x"},
         LogEncoding::EightBit,
         {},
         "caf\xC3\x83\xC2\xA9",
         true,
         false,
         0},
        {{"plain", "caf\xC3\xA9"}, LogEncoding::EightBit, {}, "caf\xC3\xA9", true, false, 1},
        // UTF-8 with a mark: a malformed byte shows as U+FFFD.
        {{"a\xFF"
          "b",
          "x"},
         LogEncoding::Utf8,
         {},
         "a.b",
         true,
         true,
         0},
        // UTF-16 lines by their decoded text.
        {{"first", "d\xC3\xA9j\xC3\xA0 vu", "last"},
         LogEncoding::Utf16,
         {},
         "D\xC3\x89J\xC3\x80",
         false,
         false,
         1},
        {{"first", "ERR17 here", "last"}, LogEncoding::Utf16, {}, "^ERR\\d+", true, true, 1},
        {{"first", "ERR17 here", "last"}, LogEncoding::Utf16, {}, "here\\s+last", true, true, -1},
    };
    for (const Case& c : cases) {
        const Log log(c.texts, c.encoding, c.shown);
        for (size_t block : {size_t(64), RowSearch::DefaultBlockBytes}) {
            const Outcome got =
                Search(log, c.text, c.matchCase, c.regex, Newer, std::nullopt, false, block);
            EXPECT_EQ(got.row, c.expected) << c.text << " block " << block;
        }
    }
}

// Hundreds of rows: the walk through a block of rows crosses the index's
// blocks, upward or downward however the list is ordered.
TEST(RowSearch, FindsALineManyRowsAwayInEitherOrder) {
    std::vector<std::string> texts;
    for (int i = 0; i < 300; ++i)
        texts.push_back(i == 200 ? "the needle" : "line " + std::to_string(i));
    struct Case {
        bool newestAtTop;
        SearchDirection direction;
        size_t fromAge; // lines written before the starting one
        bool wrapped;
    } cases[] = {
        {false, Newer, 10, false},  {false, Older, 10, true},  {false, Newer, 290, true},
        {false, Older, 290, false}, {true, Newer, 10, false},  {true, Older, 10, true},
        {true, Newer, 290, true},   {true, Older, 290, false},
    };
    for (size_t blockBytes : {size_t{64}, RowSearch::DefaultBlockBytes}) {
        for (const Case& c : cases) {
            const Log log(texts, LogEncoding::EightBit, {}, c.newestAtTop);
            const size_t from = c.newestAtTop ? 299 - c.fromAge : c.fromAge;
            const int row = c.newestAtTop ? 99 : 200;
            EXPECT_EQ(
                Search(log, "needle", true, false, c.direction, from, c.newestAtTop, blockBytes),
                (Outcome{Found, row, c.wrapped}))
                << c.newestAtTop << int(c.direction) << c.fromAge << " " << blockBytes;
        }
    }
}

TEST(RowSearch, FindsTextInLinesLongerThanABlock) {
    const std::string filler(700, 'x');
    struct Case {
        std::string line;
        const char* text;
        bool regex;
        LogEncoding encoding;
        bool found;
    } cases[] = {
        {filler + "NEEDLE" + filler, "NEEDLE", false, LogEncoding::EightBit, true},
        {filler.substr(0, 253) + "NEEDLE" + filler, "NEEDLE", false, LogEncoding::EightBit, true},
        {filler + "ERR12" + filler, "ERR\\d+x", true, LogEncoding::EightBit, true},
        {filler + "caf\xE9" + filler, "caf\xC3\xA9", false, LogEncoding::EightBit, true},
        {filler + "d\xC3\xA9j\xC3\xA0" + filler, "d\xC3\xA9j\xC3\xA0", false, LogEncoding::Utf16,
         true},
        // "^" holds at the start of the line only, not where a piece starts.
        {filler + filler + "x", "^x{3}$", true, LogEncoding::EightBit, false},
        {filler + "NEEDL" + filler, "NEEDLE", false, LogEncoding::EightBit, false},
    };
    for (const Case& c : cases) {
        const Log log({"short", c.line, "end"}, c.encoding);
        const Outcome got = Search(log, c.text, true, c.regex, Newer, 0, false, 256);
        EXPECT_EQ(got.state == Found, c.found) << c.text;
        if (c.found) {
            EXPECT_EQ(got.row, 1) << c.text;
        }
    }
}

TEST(RowSearch, ARowMatchesOnlyOnItsOwnText) {
    struct Case {
        std::vector<std::string> texts;
        std::vector<bool> shown;
        const char* expression;
        int expected;
    } cases[] = {
        // Nothing before or after a row, not even its line end, is seen.
        {{"foo", "bar"}, {}, "(?<=foo\\n)bar", -1},
        {{"a", "b"}, {}, "(?<=\\n)b", -1},
        {{"foo", "bar"}, {}, "foo(?=\\nbar)", -1},
        {{"one", "two", "three"}, {true, false, true}, "(?<=two\\n)three", -1},
        {{"one", "two", "three"}, {true, false, true}, "(?<=o\\s)t", -1},
        // Each row is a subject of its own: its ends are the subject's.
        {{"foo", "bar"}, {}, "\\Abar", 1},
        {{"foo", "bar"}, {}, "o\\z", 0},
        {{"foo", "bar"}, {}, "foo(?!\\n)", 0},
        {{"foo", "bar"}, {}, "(?<!\\n)bar", 1},
    };
    for (const Case& c : cases) {
        const Log log(c.texts, LogEncoding::EightBit, c.shown, false, "\n");
        for (SearchDirection direction : {Newer, Older})
            for (size_t block : {size_t(64), RowSearch::DefaultBlockBytes})
                EXPECT_EQ(
                    Search(log, c.expression, true, true, direction, std::nullopt, false, block)
                        .row,
                    c.expected)
                    << c.expression << " direction " << int(direction) << " block " << block;
    }
}

// Rows with terminal sequences are searched as they are shown: a word split
// by a colour is found, the sequences' own characters are not.
TEST(RowSearch, FindsTheVisibleTextOfRowsWithTerminalSequences) {
    struct Case {
        const char* text;
        bool regex;
        int expected;
    } cases[] = {
        {"ERROR", false, 1}, {"31m", false, -1},       {"^disk full$", true, 2},
        {"\\[0m", true, -1}, {"ERROR disk", false, 1},
    };
    const Log log({"plain", "\x1b[31mERR\x1b[1mOR\x1b[0m disk", "\x1b[33mdisk full\x1b[0m"},
                  LogEncoding::Utf8);
    for (const Case& c : cases)
        for (SearchDirection direction : {Newer, Older})
            EXPECT_EQ(Search(log, c.text, true, c.regex, direction, std::nullopt).row, c.expected)
                << c.text << " direction " << int(direction);
}

// A row longer than a read is searched in pieces, one read a step at most, so
// a slow expression on a long line leaves the window time between steps.
TEST(RowSearch, KeepsTheStepsBudgetInsideALongRow) {
    const std::string line = std::string(3000, 'a') + "b";
    struct Case {
        const char* text;
        bool regex;
        int expected;
    } cases[] = {
        {"needle", false, -1},
        {"a{5}b", true, 1},
        {"^a{5}", true, 1},
        {"b.", true, -1},
    };
    for (const Case& c : cases) {
        const Log log({"short", line, "end"});
        auto pattern = std::make_shared<SearchPattern>(c.text, true, c.regex);
        RowSearch search(pattern, Newer, false, log.lines, 0);
        search.SetBlockBytes(256);
        int steps = 0;
        for (uint64_t before = 0; search.Step(log.lines, 1) == SearchState::Running; ++steps) {
            EXPECT_LE(log.file->bytesRead - before, 256u) << c.text << " step " << steps;
            before = log.file->bytesRead;
        }
        EXPECT_GE(steps, 3000 / 256) << c.text;
        EXPECT_EQ(search.State() == Found ? int(search.FoundRow()) : -1, c.expected) << c.text;
    }
}

TEST(RowSearch, FollowsLinesThatArriveAndStopsWhenTheLogIsReadAgain) {
    // Lines longer than half a block: one block a step.
    const std::string pad(40, '.');
    Log log({"one" + pad, "two" + pad, "three" + pad});
    auto pattern = std::make_shared<SearchPattern>("new", true, false);
    RowSearch search(pattern, Newer, false, log.lines, 0);
    search.SetBlockBytes(64);
    ASSERT_EQ(search.Step(log.lines, 1), SearchState::Running);
    // A line arrives at the bottom before the next step.
    const uint64_t offset = log.file->data.size();
    log.file->data += "brand new\r\n";
    log.lines.push_back(LineEntry(offset, 9));
    while (search.Step(log.lines, 1) == SearchState::Running) {
    }
    EXPECT_EQ(search.State(), Found);
    EXPECT_EQ(search.FoundRow(), 3u);
    EXPECT_FALSE(search.Wrapped());

    // Newest at the top: arrivals push the rows down, not the search off.
    Log top({"one new" + pad, "two" + pad, "three" + pad}, LogEncoding::EightBit, {}, true);
    RowSearch older(pattern, Older, true, top.lines, 0);
    older.SetBlockBytes(64);
    ASSERT_EQ(older.Step(top.lines, 1), SearchState::Running);
    top.lines.push_front(LineEntry(top.file->data.size(), 3));
    top.file->data += "xyz\r\n";
    while (older.Step(top.lines, 1) == SearchState::Running) {
    }
    EXPECT_EQ(older.State(), Found);
    EXPECT_EQ(older.FoundRow(), 3u);

    auto absent = std::make_shared<SearchPattern>("absent", true, false);
    RowSearch stopped(absent, Newer, false, log.lines, 0);
    stopped.SetBlockBytes(64);
    ASSERT_EQ(stopped.Step(log.lines, 1), SearchState::Running);
    log.lines.SetSource(log.file, LogEncoding::EightBit);
    EXPECT_EQ(stopped.Step(log.lines, 1000), SearchState::Stopped);
    EXPECT_EQ(stopped.Error(), "The log was read again.");
}

TEST(RowSearch, AnInvalidExpressionOrEmptyTextSearchesNothing) {
    const Log log({"(abc"});
    for (auto [text, regex] : {std::pair{"(abc", true}, std::pair{"", false}}) {
        auto pattern = std::make_shared<SearchPattern>(text, true, regex);
        RowSearch search(pattern, Newer, false, log.lines, std::nullopt);
        EXPECT_EQ(search.State(), NotFound);
        EXPECT_EQ(search.Step(log.lines, 1000), NotFound);
        EXPECT_EQ(log.file->bytesRead, 0u);
    }
}

} // namespace
} // namespace marrowlight
