#include "monitor/core/LineTextSource.h"

#include "monitor/core/LineClassifier.h"
#include "monitor/core/MonitorTestSupport.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace marrowlight {
namespace {

using testing::MemoryFile;

LineIndex RowsOf(const std::shared_ptr<MemoryFile>& file, const std::vector<std::string>& rows,
                 LogEncoding encoding = LogEncoding::EightBit) {
    LineIndex lines;
    for (const std::string& row : rows) {
        lines.push_back(LineEntry(file->data.size(), row.size()));
        file->data += row + "\n";
    }
    lines.SetSource(file, encoding);
    return lines;
}

// A row's colour comes from its whole text, however long: it is worked out
// once and kept in the index.
TEST(LineTextSource, ClassifiesARowFromItsWholeTextAndKeepsTheGroup) {
    const GroupMatcher matcher(std::array<std::string, 3>{"caf\xC3\xA9", "Warn", "Error"});
    const std::string far = std::string(20'000, 'x') + " Error at the end";
    const std::string farther = std::string(300'000, '\xE9') + " Warn caf\xE9";
    auto file = std::make_shared<MemoryFile>();
    LineIndex lines = RowsOf(file, {"plain", far, farther, "caf\xE9 only"});
    LineTextSource source;
    const int expected[] = {0, 3, 2, 1};
    for (size_t row = 0; row < lines.size(); ++row) {
        EXPECT_EQ(lines.Group(row), -1) << row;
        const uint64_t before = file->bytesRead;
        EXPECT_EQ(source.Classify(lines, row, matcher), expected[row]) << row;
        EXPECT_EQ(lines.Group(row), expected[row]) << row;
        EXPECT_GE(file->bytesRead - before, lines[row].Length()) << row;
    }

    // A row that can't be read whole (the file was cut short) gets no group.
    for (uint64_t length : {uint64_t{100}, uint64_t{100'000}}) {
        LineIndex cut;
        cut.push_back(LineEntry(file->data.size() - 50, length));
        cut.SetSource(file, LogEncoding::EightBit);
        EXPECT_EQ(source.Classify(cut, 0, matcher), -1) << length;
        EXPECT_EQ(cut.Group(0), -1) << length;
    }
}

// A row reads as a terminal shows it, from the file or from the cache, and
// its colour comes from the visible text: a keyword split by a sequence is
// still found, the sequence's own letters never match.
TEST(LineTextSource, RowsReadWithoutTerminalSequencesAndKeepTheirColours) {
    const GroupMatcher matcher(std::array<std::string, 3>{"Info", "31m", "ERROR"});
    auto file = std::make_shared<MemoryFile>();
    LineIndex lines = RowsOf(file, {"\x1b[31mERR\x1b[1mOR\x1b[0m disk", "\x1b[31mplain", "\x1b[K"},
                             LogEncoding::Utf8);
    LineTextSource source;
    const TerminalStyle red{TerminalStyle::ColourSet | 0xCD0000, 0, false};
    const TerminalStyle boldRed{red.Foreground, 0, true};
    for (int pass = 0; pass < 2; ++pass) { // read, then from the cache
        std::vector<StyledSpan> spans;
        EXPECT_EQ(source.Text(lines, 0, &spans), "ERROR disk");
        EXPECT_EQ(spans, (std::vector<StyledSpan>{{0, 3, red}, {3, 2, boldRed}}));
        EXPECT_EQ(source.Text(lines, 1, &spans), "plain");
        EXPECT_EQ(source.Text(lines, 2, &spans), "");
        EXPECT_TRUE(spans.empty());
    }
    const int expected[] = {3, 0, 0};
    for (size_t row = 0; row < lines.size(); ++row) {
        source.Clear();
        EXPECT_EQ(source.Classify(lines, row, matcher), expected[row]) << row;
    }
}

// Drawn in parts, copied or read aloud whole: an 8-bit row reads the same,
// its decoding decided once from the whole row; later parts read only their
// own bytes.
TEST(LineTextSource, AnEightBitRowDecodesAlikeWholeAndInParts) {
    const std::string filler(3000, 'x');
    struct Case {
        std::string row;
        uint64_t first, chars;
        std::string part; // UTF-8
    } cases[] = {
        // Valid UTF-8 early, a stray Windows-1252 byte late: all Windows-1252.
        {"caf\xC3\xA9 " + filler + " \xE9", 0, 6, "caf\xC3\x83\xC2\xA9 "},
        {"caf\xC3\xA9 " + filler + " \xE9", 3004, 4, "xx \xC3\xA9"},
        {"\xE9" + filler + "caf\xC3\xA9", 3001, 5, "caf\xC3\x83\xC2\xA9"},
        // Valid throughout: UTF-8, parts never split a character.
        {"caf\xC3\xA9 " + filler + " \xC3\xA9", 0, 4, "caf\xC3\xA9"},
        {"caf\xC3\xA9 " + filler + " \xC3\xA9", 3005, 3, "x \xC3\xA9"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row.substr(0, 8) + " at " + std::to_string(c.first));
        auto file = std::make_shared<MemoryFile>();
        const LineIndex lines = RowsOf(file, {c.row});
        LineTextSource source;
        EXPECT_EQ(source.Part(lines, 0, c.first, c.chars), c.part);
        const std::string whole = source.Text(lines, 0);
        EXPECT_NE(whole.find(c.part), std::string::npos);

        // Decided once: another part reads no more than its own bytes and
        // those between the two parts, for the sequences there.
        const uint64_t before = file->bytesRead;
        source.Part(lines, 0, c.first + 1, c.chars);
        EXPECT_LE(file->bytesRead - before, c.chars * 4 + 1);
    }
}

// A part never starts inside a sequence: it starts past one that the
// boundary would cut, in the colours the row's sequences left before it,
// whichever parts were read before.
TEST(LineTextSource, APartStartsPastACutSequenceInTheColoursBeforeIt) {
    constexpr uint32_t Red = TerminalStyle::ColourSet | 0xCD0000;
    constexpr uint32_t Green = TerminalStyle::ColourSet | 0x00CD00;
    const TerminalStyle red{Red, 0, false};
    const TerminalStyle boldGreen{Green, 0, true};
    // a b ESC [ 3 1 m c d ESC [ 0 m e f: the sequences at 2..6 and 9..12.
    const std::string row = "ab\x1b[31mcd\x1b[0mef";
    // The second sequence just past the reader's first piece.
    const std::string far = std::string((64 << 10) - 3, 'x') + "\x1b[1;32mgreen\x1b]0;title\x07!";
    const uint64_t green = far.find("\x1b[1;32m");
    struct Case {
        size_t row;
        uint64_t first, chars;
        std::string part;
        std::vector<StyledSpan> spans;
    } cases[] = {
        {0, 1, 3, "bcd", {{1, 2, red}}},
        {0, 2, 4, "cdef", {{0, 2, red}}},
        {0, 3, 4, "cdef", {{0, 2, red}}},
        {0, 6, 4, "cdef", {{0, 2, red}}},
        {0, 7, 4, "cdef", {{0, 2, red}}},
        {0, 8, 1, "d", {{0, 1, red}}},
        {0, 10, 4, "ef", {}},
        {0, 13, 4, "ef", {}},
        {1, green - 2, 4, "xxgr", {{2, 2, boldGreen}}},
        {1, green + 1, 5, "green", {{0, 5, boldGreen}}},
        {1, green + 8, 4, "reen", {{0, 4, boldGreen}}},
        {1, green + 14, 2, "!", {{0, 1, boldGreen}}},
    };
    auto file = std::make_shared<MemoryFile>();
    const LineIndex lines = RowsOf(file, {row, far});
    // In order, so each part goes on from the last; then backwards, anew.
    LineTextSource forwards, backwards;
    std::vector<size_t> order(std::size(cases));
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    for (LineTextSource* source : {&forwards, &backwards}) {
        for (size_t i : order) {
            const Case& c = cases[i];
            SCOPED_TRACE(std::to_string(c.row) + " from " + std::to_string(c.first));
            std::vector<StyledSpan> spans;
            EXPECT_EQ(source->Part(lines, c.row, c.first, c.chars, &spans), c.part);
            EXPECT_EQ(spans, c.spans);
        }
        std::reverse(order.begin(), order.end());
    }
}

} // namespace
} // namespace marrowlight
