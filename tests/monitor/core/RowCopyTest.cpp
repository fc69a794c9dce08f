#include "monitor/core/RowCopy.h"

#include "monitor/core/MonitorTestSupport.h"

#include <gtest/gtest.h>

namespace marrowlight {
namespace {

using testing::MemoryFile;

// Lines ending in LF; rows as listed, newest at the top when asked.
LineIndex Rows(const std::shared_ptr<MemoryFile>& file, const std::vector<std::string>& lines,
               LogEncoding encoding, bool newestAtTop = false, size_t unit = 1) {
    LineIndex rows;
    for (const std::string& line : lines) {
        rows.push_back(LineEntry(file->data.size(), line.size()));
        file->data += line + std::string(unit, '\0');
        file->data[file->data.size() - unit] = '\n';
    }
    if (newestAtTop)
        rows.Reverse();
    rows.SetSource(file, encoding);
    return rows;
}

TEST(RowCopy, RowsAreCopiedAsTheyAreDrawn) {
    struct Case {
        const char* what;
        std::vector<std::string> lines;
        LogEncoding encoding;
        bool newestAtTop;
        std::vector<RowRange> ranges;
        bool gutter;
        std::string expected;
    } cases[] = {
        {"zero byte and Windows-1252",
         {std::string("a\0b", 3), "caf\xE9", "x"},
         LogEncoding::EightBit,
         false,
         {{0, 1}},
         false,
         "a\xE2\x90\x80"
         "b\ncaf\xC3\xA9"},
        {"ranges in the order given",
         {"one", "two", "three", "four"},
         LogEncoding::EightBit,
         false,
         {{0, 0}, {2, 3}},
         false,
         "one\nthree\nfour"},
        {"newest at the top: list order, not file order",
         {"one", "two", "three"},
         LogEncoding::EightBit,
         true,
         {{0, 2}},
         false,
         "three\ntwo\none"},
        {"gutter before each row",
         {"one", "two"},
         LogEncoding::Utf8,
         false,
         {{0, 1}},
         true,
         "#0\tone\n#1\ttwo"},
        {"UTF-16",
         {std::string("h\0\xE9\0", 4), std::string("\0\0", 2)},
         LogEncoding::Utf16,
         false,
         {{0, 1}},
         false,
         "h\xC3\xA9\n\xE2\x90\x80"},
        {"terminal sequences are not copied",
         {"\x1b[31mERROR\x1b[0m disk", "\x1b]0;title\x07plain", "\x1b[K"},
         LogEncoding::Utf8,
         false,
         {{0, 2}},
         false,
         "ERROR disk\nplain\n"},
        {"rows past the end are left out",
         {"one", "two"},
         LogEncoding::EightBit,
         false,
         {{1, 7}},
         false,
         "two"},
    };
    for (const Case& c : cases) {
        auto file = std::make_shared<MemoryFile>();
        const LineIndex rows = Rows(file, c.lines, c.encoding, c.newestAtTop,
                                    c.encoding == LogEncoding::Utf16 ? 2 : 1);
        std::function<std::string(size_t)> gutter;
        if (c.gutter)
            gutter = [](size_t row) { return "#" + std::to_string(row); };
        EXPECT_EQ(RowsText(rows, c.ranges, gutter), c.expected) << c.what;
    }
}

TEST(RowCopy, ALogCutShortGivesWhatIsLeftAndManyRowsAreReadOnce) {
    auto file = std::make_shared<MemoryFile>();
    std::vector<std::string> lines;
    for (int i = 0; i < 5000; ++i)
        lines.push_back("line " + std::to_string(i));
    const LineIndex rows = Rows(file, lines, LogEncoding::EightBit);
    const std::string text = RowsText(rows, {{0, rows.size() - 1}});
    EXPECT_EQ(text.size() + 1, file->data.size());
    EXPECT_EQ(file->bytesRead, file->data.size() - 1);
    EXPECT_EQ(RowBytes(rows, {{0, rows.size() - 1}}), file->data.size());

    file->data.resize(file->data.size() - 6); // "line 4999\n" loses "4999\n" and a space
    EXPECT_EQ(RowsText(rows, {{4998, 4999}}), "line 4998\nline");
}

} // namespace
} // namespace marrowlight
