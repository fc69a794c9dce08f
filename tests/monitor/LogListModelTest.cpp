#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>

#if __has_include(<QAbstractItemModelTester>)
#include <QAbstractItemModelTester>
#define MARROWLIGHT_HAS_MODEL_TESTER 1
#endif

#include "monitor/LogListModel.h"
#include "monitor/core/FileSource.h"
#include "monitor/core/LogReader.h"
#include "monitor/core/MonitorTestSupport.h"
#include "monitor/core/TextEncoding.h"

namespace marrowlight {
namespace {

using testing::AppendFile;
using testing::WriteFile;

TEST(LogListModel, ShowsWhatPassesReadAsResetsAndInsertions) {
    testing::TempDir dir;
    testing::FakeViewSettings settings;
    testing::FixedClock clock;
    SilentProgress progress;
    PosixFileSource files;
    LogReader reader(files, settings, clock, progress);
    LogPage page;
    page.FileName = dir.File("m.log");

    LogListModel model;
#ifdef MARROWLIGHT_HAS_MODEL_TESTER
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
#endif
    int resets = 0;
    std::vector<std::pair<int, int>> inserts; // first, last
    QObject::connect(&model, &QAbstractItemModel::modelReset, [&] { ++resets; });
    QObject::connect(
        &model, &QAbstractItemModel::rowsInserted,
        [&](const QModelIndex&, int first, int last) { inserts.emplace_back(first, last); });

    WriteFile(page.FileName, "first\r\ncaf\xE9\r\n");
    reader.Pass(page, model);
    EXPECT_EQ(resets, 1);
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.rowCount(model.index(0, 0)), 0);
    EXPECT_EQ(model.data(model.index(1, 0)).toString(), QString::fromUtf8("caf\xC3\xA9"));
    EXPECT_EQ(model.data(model.index(0, 0), Qt::AccessibleTextRole).toString(), "first");
    EXPECT_FALSE(model.data(model.index(0, 0), LogListModel::LineNoRole).isValid());
    EXPECT_FALSE(model.data(model.index(5, 0)).isValid());
    EXPECT_EQ(model.Record(0), nullptr);
    EXPECT_EQ(model.Text(9), QString());

    AppendFile(page.FileName, "second\r\n");
    reader.Pass(page, model);
    EXPECT_EQ(inserts.size(), 1u);
    EXPECT_EQ(inserts.at(0).first, 2);
    EXPECT_EQ(model.data(model.index(2, 0), LogListModel::LineNoRole).toInt(), 1);
    EXPECT_EQ(model.data(model.index(2, 0), LogListModel::TimeRole).toDouble(), clock.value);
    EXPECT_EQ(model.Text(2), "second");

    // Newest at top: rows go in above the first one.
    settings.atTop = true;
    AppendFile(page.FileName, "third\r\n");
    reader.Pass(page, model);
    EXPECT_EQ(inserts.size(), 2u);
    EXPECT_EQ(inserts.at(1).first, 0);
    EXPECT_EQ(model.Text(0), "third");
    EXPECT_EQ(model.Text(3), "second"); // cached rows follow their shifted rows

    std::filesystem::remove(page.FileName);
    reader.Pass(page, model);
    EXPECT_EQ(resets, 2);
    EXPECT_EQ(model.rowCount(), 0);
    reader.Pass(page, model); // still missing: nothing left to reset
    EXPECT_EQ(resets, 2);
}

using testing::MemoryFile;

// Rows of the given lengths, each line ended by one byte.
LineIndex MemoryRows(const std::shared_ptr<MemoryFile>& file, std::initializer_list<size_t> lengths,
                     LogEncoding encoding = LogEncoding::EightBit) {
    LineIndex rows;
    for (size_t length : lengths) {
        rows.push_back(LineEntry(file->data.size(), length));
        file->data.append(length, static_cast<char>('a' + rows.size() % 26));
        file->data += '\n';
    }
    rows.SetSource(file, encoding);
    return rows;
}

TEST(LineTextSource, KeepsAtMostItsByteBoundOfDecodedRows) {
    constexpr size_t MiB = size_t{1} << 20;
    auto file = std::make_shared<MemoryFile>();
    const LineIndex rows = MemoryRows(file, {5 * MiB, 5 * MiB, 9 * MiB, 100, 5 * MiB, 200});
    LineTextSource source;
    struct Step {
        size_t row;
        bool readsFile; // false: served from the kept rows
    } steps[] = {
        {0, true}, {0, false}, {1, true}, {1, false}, {0, true}, // two do not fit together
        {2, true}, {2, true}, // larger than the whole bound: never kept
        {3, true}, {3, false}, {4, true}, {4, false}, {5, true}, {5, false},
    };
    for (const Step& step : steps) {
        const uint64_t before = file->bytesRead;
        const std::string text = source.Text(rows, step.row);
        EXPECT_EQ(text.size(), rows[step.row].Length()) << step.row;
        EXPECT_EQ(file->bytesRead != before, step.readsFile) << step.row;
        EXPECT_LE(source.CachedBytes(), LineTextSource::MaxCachedBytes) << step.row;
    }
    source.Clear();
    EXPECT_EQ(source.CachedBytes(), 0u);
}

TEST(LineTextSource, PartsReadOnlyTheirBytesAndNeverSplitACharacter) {
    const std::string e = "\xC3\xA9";            // é, two bytes
    const std::string clef = "\xF0\x9D\x84\x9E"; // four bytes
    struct Case {
        std::string line;
        LogEncoding encoding;
        uint64_t first, chars;
        std::string expected;
    } cases[] = {
        {"abcdefgh", LogEncoding::EightBit, 2, 3, "cde"},
        {"abcdefgh", LogEncoding::EightBit, 6, 10, "gh"},
        {"abcdefgh", LogEncoding::EightBit, 9, 10, ""},
        {"abcdefgh", LogEncoding::EightBit, 0, 0, ""},
        // Starting or ending inside a sequence must not turn the part into Windows-1252.
        {e + e + e + e + e, LogEncoding::EightBit, 1, 2, e + e},
        {e + e + e + e + e, LogEncoding::EightBit, 0, 1, e},
        {"a" + clef + "b" + clef, LogEncoding::EightBit, 2, 1, "b"},
        {"\xE9t\xE9", LogEncoding::EightBit, 1, 2, "t\xC3\xA9"}, // a Windows-1252 line stays one
        {std::string("a\0b\0c\0d\0", 8), LogEncoding::Utf16, 1, 2, "bc"},
    };
    for (const Case& c : cases) {
        auto file = std::make_shared<MemoryFile>();
        file->data = "x\n";
        LineIndex rows;
        rows.push_back(LineEntry(2, c.line.size()));
        file->data += c.line;
        rows.SetSource(file, c.encoding);
        LineTextSource source;
        EXPECT_EQ(source.Part(rows, 0, c.first, c.chars), c.expected) << c.line << c.first;
        // Other than ASCII in an 8-bit row: the whole row once, for its
        // decoding; in an 8-bit row the bytes before the part too, for the
        // colours their sequences set.
        const bool decided =
            c.encoding == LogEncoding::EightBit &&
            std::any_of(c.line.begin(), c.line.end(), [](char b) { return b & 0x80; });
        const uint64_t before = c.encoding == LogEncoding::Utf16 ? 0 : c.first;
        EXPECT_LE(file->bytesRead, c.chars * 4 + before + (decided ? c.line.size() : 0))
            << c.line << c.first;
    }
}

} // namespace
} // namespace marrowlight
