#include <gtest/gtest.h>

#include "monitor/core/LineClassifier.h"
#include "monitor/core/LineTextSource.h"
#include "monitor/core/MonitorTestSupport.h"

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

} // namespace
} // namespace marrowlight
