#include <gtest/gtest.h>

#if __has_include(<QAbstractItemModelTester>)
#include <QAbstractItemModelTester>
#define MARROWLIGHT_HAS_MODEL_TESTER 1
#endif

#include "monitor/LogListModel.h"
#include "monitor/core/LogReader.h"
#include "monitor/core/MonitorTestSupport.h"

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
    TPageObject page;
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

} // namespace
} // namespace marrowlight
