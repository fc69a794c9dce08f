#include "monitor/core/FilterScan.h"

#include "monitor/core/MonitorTestSupport.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace marrowlight {
namespace {

using testing::MemoryFile;

std::string Utf16(std::string_view ascii) {
    std::string out;
    for (char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

// A log whose lines end as `ends` says, listed where `shown` says (all when
// empty), oldest first unless newest at the top.
struct Log {
    Log(const std::vector<std::string>& texts, const std::vector<bool>& shown = {},
        std::string lineEnd = "\n", LogEncoding wide = LogEncoding::EightBit, bool top = false)
        : file(std::make_shared<MemoryFile>()), encoding(wide), ends(std::move(lineEnd)),
          newestAtTop(top) {
        if (encoding == LogEncoding::Utf16)
            file->data = "\xFF\xFE";
        for (size_t i = 0; i < texts.size(); ++i)
            Add(texts[i], shown.empty() || shown[i]);
        lines.SetSource(file, encoding);
    }
    // Writes a line and lists it when shown, as a pass would.
    void Add(const std::string& text, bool shown = true) {
        const bool wide = encoding == LogEncoding::Utf16;
        const std::string bytes = wide ? Utf16(text) : text;
        const uint64_t offset = file->data.size();
        file->data += bytes + (wide ? Utf16(ends) : ends);
        all.push_back(text);
        if (!shown)
            return;
        listed.push_back(all.size());
        newestAtTop ? lines.push_front(LineEntry(offset, bytes.size()))
                    : lines.push_back(LineEntry(offset, bytes.size()));
    }
    std::shared_ptr<MemoryFile> file;
    LogEncoding encoding;
    std::string ends;
    bool newestAtTop;
    LineIndex lines;
    std::vector<std::string> all; // every line of the file
    std::vector<uint64_t> listed; // line numbers of the listed rows, oldest first
};

using Rows = std::vector<std::pair<uint64_t, uint64_t>>; // age, line number

Rows Found(const FilterScan& scan) {
    Rows rows;
    for (size_t i = 0; i < scan.Results().size(); ++i)
        rows.emplace_back(scan.Results().Age(i), scan.Results().LineNo(i));
    return rows;
}

// The rule read plainly: every listed line alone, tested by the pattern.
Rows Expected(const Log& log, const SearchPattern& pattern, bool hide) {
    Rows rows;
    if (!pattern.CanSearch())
        return rows;
    for (size_t age = 0; age < log.listed.size(); ++age) {
        const std::string text = DecodeLine(log.all[log.listed[age] - 1], LogEncoding::EightBit);
        SearchMatch match;
        if ((pattern.Find(text, 0, match) == FindResult::Match) != hide)
            rows.emplace_back(age, log.listed[age]);
    }
    return rows;
}

Rows Filter(const Log& log, const std::shared_ptr<const SearchPattern>& pattern, bool hide,
            size_t blockBytes, uint64_t stepBytes = 100) {
    FilterScan scan(pattern, hide, log.newestAtTop, log.lines);
    scan.SetBlockBytes(blockBytes);
    while (scan.Step(log.lines, stepBytes) == FilterState::Running) {
    }
    EXPECT_EQ(scan.State(), FilterState::UpToDate) << scan.Error();
    return Found(scan);
}

TEST(FilterScan, KeepsTheRowsThatMatchWithTheirLineNumbersInTheFile) {
    const std::string longLine = std::string(300, 'x') + " ERR42 " + std::string(300, 'y');
    const std::vector<std::string> texts = {
        "start",  "ERR1 disk", "",       "warn err", "ERR",         "ok",
        longLine, "error7",    "tail a", "ERR9 b",   "caf\xC3\xA9", "caf\xE9",
    };
    const std::vector<bool> someHidden = {true, false, false, true, true,  false,
                                          true, true,  false, true, false, true};
    const std::vector<bool> prefixSkipped = {false, false, false, false, false, true,
                                             true,  true,  true,  true,  true,  true};
    struct LogCase {
        const char* name;
        Log log;
    };
    std::vector<LogCase> logs;
    logs.push_back({"all, LF", Log(texts)});
    logs.push_back({"all, CR LF", Log(texts, {}, "\r\n")});
    logs.push_back({"all, CR", Log(texts, {}, "\r")});
    logs.push_back({"some hidden, CR LF", Log(texts, someHidden, "\r\n")});
    logs.push_back({"some hidden, LF", Log(texts, someHidden)});
    logs.push_back({"first lines skipped", Log(texts, prefixSkipped, "\r\n")});
    logs.push_back(
        {"newest at the top", Log(texts, someHidden, "\n", LogEncoding::EightBit, true)});
    logs.push_back({"UTF-16", Log({"ERR1", "", "x err", "ERR2 y", "z"},
                                  {true, false, true, true, true}, "\r\n", LogEncoding::Utf16)});
    struct PatternCase {
        const char* text;
        bool matchCase, regex, hide;
    };
    const PatternCase patterns[] = {
        {"err", false, false, false},
        {"ERR", true, false, false},
        {"ERR[0-9]+", true, true, false},
        {"^ERR", true, true, false},
        {"a$", true, true, false},
        {"^$", true, true, false},
        {"caf\xC3\xA9", true, false, false},
        {"err", false, false, true},
        {"ERR[0-9]+", true, true, true},
        {"", false, false, false},
        {"(", true, true, false},
    };
    for (const LogCase& lc : logs) {
        for (const PatternCase& pc : patterns) {
            auto pattern = std::make_shared<const SearchPattern>(pc.text, pc.matchCase, pc.regex);
            const Rows want = Expected(lc.log, *pattern, pc.hide);
            // A block larger than the log, and one smaller than a long line.
            for (size_t block : {size_t{1} << 20, size_t{128}})
                EXPECT_EQ(Filter(lc.log, pattern, pc.hide, block), want)
                    << lc.name << " / " << pc.text << " hide " << pc.hide << " block " << block;
        }
    }
}

TEST(FilterScan, TakesOnArrivingLinesAndNoticesTheLogReadAgain) {
    for (bool top : {false, true}) {
        Log log({"ERR1", "ok"}, {}, "\n", LogEncoding::EightBit, top);
        auto pattern = std::make_shared<const SearchPattern>("ERR", true, false);
        FilterScan scan(pattern, false, top, log.lines);
        ASSERT_EQ(scan.Step(log.lines, 1000), FilterState::UpToDate);
        log.Add("hidden ERR", false);
        log.Add("ERR2");
        log.Add("fine");
        log.Add("ERR3");
        ASSERT_EQ(scan.Step(log.lines, 1000), FilterState::UpToDate);
        EXPECT_EQ(Found(scan), (Rows{{0, 1}, {2, 4}, {4, 6}})) << top;
        // Row of an age in the list as it is now.
        EXPECT_EQ(log.lines.size(), 5u);
        EXPECT_EQ(scan.RowOf(4, log.lines.size()), top ? 0u : 4u);

        log.lines.SetSource(log.file, LogEncoding::EightBit);
        EXPECT_TRUE(scan.Outdated(log.lines));
        EXPECT_EQ(scan.Step(log.lines, 1000), FilterState::Stopped);
        EXPECT_EQ(scan.Error(), "The log was read again.");
    }
}

TEST(FilterScan, StopsOnATooCostlyExpressionAndListsNothingOfACutLog) {
    Log log({"ok", std::string(5000, 'a')});
    auto costly = std::make_shared<const SearchPattern>("(a+)+(b|c)", true, true);
    FilterScan scan(costly, false, false, log.lines);
    while (scan.Step(log.lines, 1 << 20) == FilterState::Running) {
    }
    EXPECT_EQ(scan.State(), FilterState::Stopped);
    EXPECT_EQ(scan.Error(), "The expression takes too long on one of the lines.");

    Log cut({"one", "two"});
    cut.file->data.clear();
    FilterScan gone(std::make_shared<const SearchPattern>("o", true, false), false, false,
                    cut.lines);
    // A log cut short under its rows lists nothing of them; the next pass reads it again.
    EXPECT_NE(gone.Step(cut.lines, 1000), FilterState::Running);
    EXPECT_TRUE(gone.Results().empty());
}

TEST(FilterResults, KeepsAgesAndLineNumbersInSevenBytesARow) {
    FilterResults results;
    const uint64_t big = uint64_t{1} << 40;
    const uint64_t step = uint64_t{1} << FilterResults::StepBits;
    // Steps that just fit and just do not, on either side.
    const Rows rows = {{0, 1},
                       {5, 9},
                       {step - 1, 9},
                       {step, step + 8},
                       {step + 1, 2 * step + 9},
                       {step + 2, big},
                       {big, big + 3},
                       {big + 1, big + 5}};
    for (const auto& [age, line] : rows)
        results.push_back(age, line);
    Rows got;
    for (size_t i = 0; i < results.size(); ++i)
        got.emplace_back(results.Age(i), results.LineNo(i));
    EXPECT_EQ(got, rows);

    FilterResults many;
    for (uint64_t i = 0; i < 100'000; ++i)
        many.push_back(i * 3, i * 7 + 1);
    EXPECT_EQ(many.Age(70'001), 70'001u * 3);
    EXPECT_EQ(many.LineNo(99'999), 99'999u * 7 + 1);
    many.Trim();
    EXPECT_LE(many.MemoryBytes(), 100'000 * 7 + 1024);
}

TEST(LineSeek, FindsTheRowOfALineOrTheNearestShownOne) {
    // Rows show lines 2, 3, 6 and 10 of the file.
    const std::vector<bool> shown = {false, true,  true,  false, false,
                                     true,  false, false, false, true};
    const std::vector<std::string> texts(10, "line");
    struct Case {
        uint64_t line;
        int age; // -1: none
    };
    const Case cases[] = {{1, 0}, {2, 0}, {3, 1},  {4, 1},  {5, 2}, {6, 2},
                          {8, 2}, {9, 3}, {10, 3}, {99, 3}, {0, 0}};
    for (bool top : {false, true}) {
        const Log log(texts, shown, "\r\n", LogEncoding::EightBit, top);
        for (const Case& c : cases) {
            LineSeek seek(c.line, top, log.lines);
            while (seek.Step(log.lines, 10) == FilterState::Running) {
            }
            const auto row = seek.Row(log.lines);
            ASSERT_TRUE(row.has_value()) << c.line;
            EXPECT_EQ(*row, top ? 3 - size_t(c.age) : size_t(c.age)) << c.line << " top " << top;
        }
    }
    const Log empty({});
    LineSeek none(5, false, empty.lines);
    EXPECT_EQ(none.Step(empty.lines, 10), FilterState::UpToDate);
    EXPECT_FALSE(none.Row(empty.lines).has_value());
}

TEST(CountLineEnds, CountsCrLfAsOneEndAcrossPieces) {
    struct Case {
        std::string bytes;
        uint64_t ends;
    };
    const Case cases[] = {
        {"", 0},     {"\n", 1},           {"\r\n", 1}, {"\n\n", 2},
        {"\r\r", 2}, {"a\r\nb\nc\rd", 3}, {"\n\r", 2}, {std::string(100, 'x') + "\r\n\r\n", 2}};
    for (const Case& c : cases) {
        bool afterCr = false;
        EXPECT_EQ(CountLineEnds(c.bytes, LogEncoding::EightBit, afterCr), c.ends) << c.bytes;
        // Cut anywhere, the pieces count the same.
        for (size_t cut = 0; cut <= c.bytes.size(); ++cut) {
            bool cr = false;
            const std::string_view all(c.bytes);
            uint64_t n = CountLineEnds(all.substr(0, cut), LogEncoding::EightBit, cr);
            n += CountLineEnds(all.substr(cut), LogEncoding::EightBit, cr);
            EXPECT_EQ(n, c.ends) << c.bytes << " cut " << cut;
        }
        bool wide = false;
        EXPECT_EQ(CountLineEnds(Utf16(c.bytes), LogEncoding::Utf16, wide), c.ends);
    }
}

} // namespace
} // namespace marrowlight
