#include "monitor/core/LineIndex.h"

#include "monitor/core/MonitorTestSupport.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace marrowlight
