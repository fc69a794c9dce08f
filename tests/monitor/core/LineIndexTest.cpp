#include "monitor/core/LineIndex.h"

#include "monitor/core/LineSink.h"
#include "monitor/core/MonitorTestSupport.h"

#include <algorithm>
#include <deque>
#include <gtest/gtest.h>
#include <optional>
#include <random>

namespace marrowlight {
namespace {

using testing::Numbers;

TEST(LineIndex, KeepsRecordsWithTheirRowsAtBothEnds) {
    LineIndex lines;
    lines.push_back(LineEntry(0, 5)); // bulk rows carry no record
    lines.push_back(LineEntry(7, 5));
    lines.push_back(LineEntry(14, 5), {1.0, 1});
    lines.push_back(LineEntry(21, 5), {1.0, 2});
    EXPECT_EQ(Numbers(lines), (std::vector<int>{0, 0, 1, 2}));

    lines.push_front(LineEntry(100, 3));
    EXPECT_EQ(Numbers(lines), (std::vector<int>{0, 0, 0, 1, 2}));
    lines.push_front(LineEntry(200, 3), {2.0, 9}); // leaves a gap of rows without records
    EXPECT_EQ(Numbers(lines), (std::vector<int>{9, 0, 0, 0, 1, 2}));
    lines.push_back(LineEntry(300, 3));
    lines.push_back(LineEntry(400, 3), {3.0, 3});
    EXPECT_EQ(Numbers(lines), (std::vector<int>{9, 0, 0, 0, 1, 2, 0, 3}));
    EXPECT_EQ(lines[7].Length(), 3u);
    EXPECT_EQ(lines.Record(7)->Time, 3.0);
    EXPECT_EQ(lines.Record(8), nullptr);

    lines.Reverse();
    EXPECT_EQ(Numbers(lines), (std::vector<int>{3, 0, 2, 1, 0, 0, 0, 9}));
    lines.KeepRange(1, 4);
    EXPECT_EQ(Numbers(lines), (std::vector<int>{0, 2, 1, 0}));
    lines.pop_front();
    lines.pop_back();
    EXPECT_EQ(Numbers(lines), (std::vector<int>{2, 1}));
    EXPECT_EQ(lines[0].Offset, 21u);

    uint64_t before = lines.SourceId();
    lines.clear();
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(lines.Record(0), nullptr);
    EXPECT_NE(lines.SourceId(), before);
}

// What the index must behave like: a plain deque of rows.
struct RefRow {
    uint64_t offset, length;
    int group;
    unsigned membership;
    std::optional<LineRecord> record;
};

LineEntry EntryOf(const RefRow& row) {
    LineEntry line(row.offset, row.length);
    line.SetMembership(row.membership);
    if (row.group >= 0)
        line.SetGroup(row.group);
    return line;
}

std::string Describe(const LineEntry& line, const LineRecord* record) {
    return std::to_string(line.Offset) + "+" + std::to_string(line.Length()) + " g" +
           std::to_string(line.Group()) + " m" + std::to_string(line.Membership()) + " r" +
           (record ? std::to_string(record->LineNo) : "-");
}

std::string Describe(const RefRow& row) {
    const LineRecord* record = row.record ? &*row.record : nullptr;
    return Describe(EntryOf(row), record);
}

// Every way of reading the index agrees with the reference.
void ExpectSame(const LineIndex& lines, const std::deque<RefRow>& ref, const std::string& step) {
    ASSERT_EQ(lines.size(), ref.size()) << step;
    std::vector<std::string> expected, byRow, forward, backward;
    for (const RefRow& row : ref)
        expected.push_back(Describe(row));
    for (size_t i = 0; i < lines.size(); ++i) {
        byRow.push_back(Describe(lines[i], lines.Record(i)));
        EXPECT_EQ(lines.Group(i), ref[i].group) << step;
    }
    for (auto it = lines.begin(); it != lines.end(); ++it)
        forward.push_back(Describe(*it, lines.Record(it.Row())));
    for (auto it = lines.end(); it != lines.begin();) {
        --it;
        backward.insert(backward.begin(), Describe(*it, lines.Record(it.Row())));
    }
    for (unsigned groups = 1; groups < 8; ++groups)
        EXPECT_EQ(lines.CountInGroups(groups),
                  size_t(std::count_if(ref.begin(), ref.end(),
                                       [&](const RefRow& row) { return row.membership & groups; })))
            << step;
    ASSERT_EQ(byRow, expected) << step;
    ASSERT_EQ(forward, expected) << step;
    ASSERT_EQ(backward, expected) << step;
}

// Rows of random lengths, groups, membership bits and records, one at a
// time or chained into runs, and indexes built of them.
struct RowMaker {
    explicit RowMaker(unsigned seed) : rng(seed) {}

    template <class List> auto Pick(const List& list) { return list[rng() % std::size(list)]; }
    uint64_t Length() { return rng() % 4 ? 80 + rng() % 40 : Pick(Lengths); }
    // The next line's offset from a row: after it, before it, or anywhere.
    uint64_t After(const RefRow& row) { return row.offset + row.length + Pick(Steps); }
    uint64_t Before(const RefRow& row, uint64_t length) {
        return row.offset - Pick(Steps) - length;
    }
    RefRow Row(int op) {
        RefRow row{0, Length(), rng() % 3 ? -1 : int(rng() % 4), unsigned(rng() % 8), {}};
        if (rng() % 5 == 0)
            row.record = LineRecord{double(op), ++number};
        return row;
    }
    // count rows in list order, chained by line ends from the row they join
    // (below it, or above it when atTop), offsets rising or falling; about
    // one in oddOneIn (none for 0) needs a block's side table: a skipped
    // line, a long one, a jump.
    std::deque<RefRow> Chained(int op, size_t count, const RefRow* join, bool atTop,
                               unsigned oddOneIn) {
        std::deque<RefRow> rows(count);
        const bool rising = rng() % 2;
        const RefRow* previous = join;
        for (RefRow& row : rows) {
            row = Row(op);
            const bool odd = oddOneIn && rng() % oddOneIn == 0;
            if (!odd)
                row.length = 60 + rng() % 60;
            const uint64_t lineEnd = uint64_t{1} << (rng() % 3);
            if (!previous || (odd && rng() % 4 == 0))
                row.offset = rng();
            else if (odd)
                row.offset = rising ? After(*previous) : Before(*previous, row.length);
            else
                row.offset = rising ? previous->offset + previous->length + lineEnd
                                    : previous->offset - lineEnd - row.length;
            previous = &row;
        }
        // Built away from the row they join: the first one is next to it.
        if (atTop)
            std::reverse(rows.begin(), rows.end());
        return rows;
    }
    // The rows as an index: pushed at the back (how 0) or the front (1), or
    // the other way round and reversed (2, 3), so blocks chain either way
    // and start at any slot.
    static LineIndex IndexOf(const std::deque<RefRow>& rows, unsigned how) {
        LineIndex index;
        std::deque<RefRow> order = rows;
        if (how >= 2)
            std::reverse(order.begin(), order.end());
        const bool back = how % 2 == 0;
        auto add = [&](const RefRow& row) {
            if (back && row.record)
                index.push_back(EntryOf(row), *row.record);
            else if (back)
                index.push_back(EntryOf(row));
            else if (row.record)
                index.push_front(EntryOf(row), *row.record);
            else
                index.push_front(EntryOf(row));
        };
        if (back)
            std::for_each(order.begin(), order.end(), add);
        else
            std::for_each(order.rbegin(), order.rend(), add);
        if (how >= 2)
            index.Reverse();
        return index;
    }

    static constexpr uint64_t Lengths[] = {0,     1,     98,       65534,
                                           65535, 65536, 1u << 20, uint64_t{5} << 30};
    static constexpr uint64_t Steps[] = {
        1, 2, 4, 1, 2, 4, 1, 2, 4, 0, 3, 700, uint64_t{1} << 32, uint64_t{0xFFFFFFFE}};
    std::mt19937_64 rng;
    int32_t number = 0;
};

// Merges at either end where either side's blocks are full, about to be,
// or just begun, in every direction the blocks can chain.
TEST(LineIndex, MergesRowsAcrossBlockBoundaries) {
    RowMaker make(7);
    for (const size_t have : {1, 2, 63, 64, 65, 127, 128, 129})
        for (const size_t added : {1, 2, 62, 63, 64, 65, 127, 128, 129, 200})
            for (unsigned how = 0; how < 64; ++how) {
                const bool atTop = how & 1, odd = how & 2;
                const unsigned built = how >> 2 & 3, listBuilt = how >> 4;
                std::deque<RefRow> ref = make.Chained(0, have, nullptr, false, 0);
                LineIndex lines = RowMaker::IndexOf(ref, listBuilt);
                const std::deque<RefRow> rows =
                    make.Chained(1, added, atTop ? &ref.front() : &ref.back(), atTop, odd ? 9 : 0);
                const std::string step = std::to_string(have) + " + " + std::to_string(added) +
                                         " how " + std::to_string(how);
                if (atTop) {
                    MergeAtTop(lines, RowMaker::IndexOf(rows, built));
                    ref.insert(ref.begin(), rows.begin(), rows.end());
                } else {
                    MergeAppend(lines, RowMaker::IndexOf(rows, built));
                    ref.insert(ref.end(), rows.begin(), rows.end());
                }
                ExpectSame(lines, ref, step);
                if (HasFatalFailure())
                    return;
            }
}

// Random edits at both ends, with lengths about the 16-bit limit, line ends
// of 1, 2 and 4 bytes, skipped lines, offsets out of order, records, groups
// and membership bits; and whole indexes of such rows merged at either end.
TEST(LineIndex, MatchesAPlainDequeUnderRandomEdits) {
    for (unsigned seed = 1; seed <= 40; ++seed) {
        RowMaker make(seed);
        std::mt19937_64& rng = make.rng;
        LineIndex lines;
        std::deque<RefRow> ref;
        for (int op = 0; op < 2500; ++op) {
            // Merges grow the list fast; a cut keeps the checks quick.
            const unsigned what = ref.size() > 100 ? 80 : rng() % 100;
            const std::string step = "seed " + std::to_string(seed) + " op " + std::to_string(op);
            if (what < 2) {
                const bool atTop = what == 0;
                const RefRow* join = ref.empty() ? nullptr : atTop ? &ref.front() : &ref.back();
                const std::deque<RefRow> rows =
                    make.Chained(op, rng() % 100, join, atTop, rng() % 2 ? 0 : 2 + rng() % 40);
                LineIndex more = RowMaker::IndexOf(rows, rng() % 4);
                ExpectSame(more, rows, step + " built");
                if (atTop) {
                    MergeAtTop(lines, std::move(more));
                    ref.insert(ref.begin(), rows.begin(), rows.end());
                } else {
                    MergeAppend(lines, std::move(more));
                    ref.insert(ref.end(), rows.begin(), rows.end());
                }
            } else if (what < 60) {
                RefRow row = make.Row(op);
                const bool back = what < 35;
                if (ref.empty())
                    row.offset = rng() % 1000;
                else if (rng() % 10 == 0)
                    row.offset = rng();
                else if (back == (rng() % 4 != 0))
                    row.offset = make.After(back ? ref.back() : ref.front());
                else
                    row.offset = make.Before(back ? ref.back() : ref.front(), row.length);
                const LineEntry line = EntryOf(row);
                if (back && row.record)
                    lines.push_back(line, *row.record);
                else if (back)
                    lines.push_back(line);
                else if (row.record)
                    lines.push_front(line, *row.record);
                else
                    lines.push_front(line);
                if (back)
                    ref.push_back(row);
                else
                    ref.push_front(row);
            } else if (what < 70) {
                lines.pop_front();
                if (!ref.empty())
                    ref.pop_front();
            } else if (what < 80) {
                lines.pop_back();
                if (!ref.empty())
                    ref.pop_back();
            } else if (what < 83) {
                const size_t first = rng() % (ref.size() + 2);
                const size_t count = rng() % (ref.size() + 2);
                lines.KeepRange(first, count);
                const size_t from = std::min(first, ref.size());
                const size_t to = from + std::min(count, ref.size() - from);
                ref =
                    std::deque<RefRow>(ref.begin() + ptrdiff_t(from), ref.begin() + ptrdiff_t(to));
            } else if (what < 86) {
                lines.Reverse();
                std::reverse(ref.begin(), ref.end());
            } else if (what < 87) {
                lines.ClearMemberships();
                for (RefRow& row : ref)
                    row.membership = 0;
            } else if (what < 92) {
                const size_t row = rng() % (ref.size() + 1);
                const LineRecord record{double(op), ++make.number};
                lines.SetRecord(row, record);
                if (row < ref.size())
                    ref[row].record = record;
            } else {
                const size_t row = rng() % (ref.size() + 1);
                const int group = int(rng() % 4);
                lines.SetGroup(row, group);
                if (row < ref.size())
                    ref[row].group = group;
            }
            ExpectSame(lines, ref, step);
            if (HasFatalFailure())
                return;
        }
    }
}

// A bulk load in either order, and a list that grows at the top, keep line
// ends in codes: about 3.4 bytes a line, whatever the line end.
TEST(LineIndex, BulkRowsTakeFewBytes) {
    struct Case {
        uint64_t lineEnd;
        bool top;
    } cases[] = {{1, false}, {2, false}, {2, true}, {4, true}};
    for (const Case& c : cases) {
        LineIndex lines;
        uint64_t offset = 0;
        for (int i = 0; i < 64 * 1000; ++i) {
            const uint64_t length = 60 + uint64_t(i) % 50;
            if (c.top)
                lines.push_front(LineEntry(offset, length));
            else
                lines.push_back(LineEntry(offset, length));
            offset += length + c.lineEnd;
        }
        EXPECT_LE(double(lines.MemoryBytes()) / double(lines.size()), 3.5) << c.lineEnd;
    }
}

} // namespace
} // namespace marrowlight
