#include "monitor/LogListAccessibility.h"

#include "monitor/LogListModel.h"
#include "monitor/LogListView.h"
#include "monitor/LogTab.h"
#include "monitor/MonitorRig.h"
#include "monitor/core/FileSource.h"
#include "monitor/core/MonitorTestSupport.h"
#include "monitor/core/TextEncoding.h"

#include <QAccessible>
#include <QApplication>
#include <cstdio>
#include <gtest/gtest.h>
#include <vector>

namespace marrowlight {
namespace {

// Width of each line "row 0000000" plus its line end.
constexpr int Width = 12;

std::string Numbered(int first, int count) {
    std::string text;
    char line[32];
    for (int i = first; i < first + count; ++i) {
        std::snprintf(line, sizeof line, "row %07d\n", i);
        text += line;
    }
    return text;
}

// Records which offsets the rows were read back from.
struct CountingFile : OpenFile {
    explicit CountingFile(std::shared_ptr<OpenFile> f) : real(std::move(f)) {}
    std::optional<LogStamp> Stat() const override { return real->Stat(); }
    ssize_t ReadAt(uint64_t offset, void* buffer, size_t count) const override {
        reads.push_back(offset);
        return real->ReadAt(offset, buffer, count);
    }
    std::shared_ptr<OpenFile> real;
    mutable std::vector<uint64_t> reads;
};

// Rows [first, first + count) of a file written by Numbered.
LineIndex Rows(const std::shared_ptr<const OpenFile>& file, int first, int count) {
    LineIndex lines;
    for (int i = first; i < first + count; ++i)
        lines.push_back(LineEntry(uint64_t(i) * Width, Width - 1));
    lines.SetSource(file, LogEncoding::EightBit);
    return lines;
}

QString Row(int i) {
    return QString::asprintf("row %07d", i);
}

struct Fixture {
    Fixture(int fileRows, int shownRows) {
        testing::WriteFile(path, Numbered(0, fileRows));
        file = std::make_shared<CountingFile>(PosixFileSource().Open(path).File);
        rig.tabs->OpenLog(path);
        tab = rig.tabs->Tab(0);
        tab->Model().LoadLines(Rows(file, 0, shownRows));
        rig.pageControl.resize(300, 200);
        rig.pageControl.show();
        QApplication::processEvents();
    }
    LogListView& View() const { return *tab->ListView(); }
    QAccessibleInterface* List() const { return QAccessible::queryAccessibleInterface(&View()); }

    testing::TempDir dir;
    std::string path = dir.File("a11y.log");
    std::shared_ptr<CountingFile> file;
    testing::TabsRig rig;
    LogTab* tab = nullptr;
};

TEST(LogListAccessibility, ReadsTheRowsAsAListOfTheirLines) {
    Fixture f(40, 30);
    QAccessibleInterface* list = f.List();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->role(), QAccessible::List);
    EXPECT_EQ(list->text(QAccessible::Name), QString::fromStdString(f.path));
    EXPECT_EQ(list->childCount(), 30);
    ASSERT_NE(list->tableInterface(), nullptr);
    EXPECT_EQ(list->tableInterface()->rowCount(), 30);
    EXPECT_EQ(list->tableInterface()->columnCount(), 1);

    struct Case {
        int index;
        bool exists;
    } cases[] = {{0, true}, {17, true}, {29, true}, {30, false}, {-1, false}, {1 << 30, false}};
    for (const Case& c : cases) {
        QAccessibleInterface* row = list->child(c.index);
        ASSERT_EQ(row != nullptr, c.exists) << c.index;
        if (!row)
            continue;
        EXPECT_EQ(row->role(), QAccessible::ListItem);
        EXPECT_EQ(row->text(QAccessible::Name), Row(c.index));
        EXPECT_EQ(row->parent(), list);
        EXPECT_EQ(list->indexOfChild(row), c.index);
        EXPECT_EQ(row->tableCellInterface()->rowIndex(), c.index);
        EXPECT_EQ(list->child(c.index), row) << "asked twice, made once";
    }
    EXPECT_EQ(list->tableInterface()->cellAt(3, 1), nullptr);

    // The reader's hit test lands on the row drawn there.
    const QRect second = list->child(1)->rect();
    EXPECT_EQ(list->childAt(second.center().x(), second.center().y()), list->child(1));
}

TEST(LogListAccessibility, RowsFollowTheirLinesThroughInsertsAndResets) {
    Fixture f(100, 50);
    QAccessibleInterface* list = f.List();
    QAccessibleInterface* row = list->child(10);
    const QAccessible::Id id = QAccessible::uniqueId(row);

    f.tab->Model().AppendLines(Rows(f.file, 50, 20));
    EXPECT_EQ(list->childCount(), 70);
    EXPECT_EQ(list->child(69)->text(QAccessible::Name), Row(69));
    EXPECT_EQ(list->child(10), row);

    // Lines above move the row down, with its text.
    f.tab->Model().InsertLinesAtTop(Rows(f.file, 90, 5));
    EXPECT_EQ(list->childCount(), 75);
    EXPECT_EQ(row->tableCellInterface()->rowIndex(), 15);
    EXPECT_EQ(row->text(QAccessible::Name), Row(10));
    EXPECT_EQ(list->child(15), row);
    EXPECT_EQ(list->child(10)->text(QAccessible::Name), Row(5));

    // A reset leaves no row of the old lines behind, even unannounced.
    f.tab->Model().LoadLines(Rows(f.file, 0, 3));
    EXPECT_FALSE(row->isValid());
    EXPECT_EQ(row->text(QAccessible::Name), QString());
    EXPECT_EQ(list->childCount(), 3);
    EXPECT_EQ(list->child(2)->text(QAccessible::Name), Row(2));
    EXPECT_EQ(QAccessible::accessibleInterface(id), nullptr);
    f.tab->Model().ClearLines();
    EXPECT_EQ(list->childCount(), 0);
    EXPECT_EQ(list->child(0), nullptr);
}

TEST(LogListAccessibility, MillionRowsAnswerOneRowWithoutReadingOthers) {
    constexpr int rows = 1000000;
    Fixture f(rows, rows);
    QAccessibleInterface* list = f.List();
    auto* table = dynamic_cast<LogListAccessible*>(list);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(list->childCount(), rows);

    f.file->reads.clear();
    const int before = table->CachedRowCount();
    QAccessibleInterface* last = list->child(rows - 1);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->text(QAccessible::Name), Row(rows - 1));
    EXPECT_EQ(f.file->reads, std::vector<uint64_t>{uint64_t(rows - 1) * Width});
    EXPECT_EQ(table->CachedRowCount(), before + 1);

    // A reader walking many rows keeps a bounded number of interfaces; the
    // evicted ones are gone from Qt's registry, not leaked.
    const QAccessible::Id first = QAccessible::uniqueId(list->child(0));
    for (int i = 1; i <= 2 * LogListAccessible::CachedRows; ++i)
        list->child(i * 997);
    EXPECT_EQ(table->CachedRowCount(), LogListAccessible::CachedRows);
    EXPECT_EQ(QAccessible::accessibleInterface(first), nullptr);
}

// Qt drops accessibility events when no reader is attached, so this checks
// what a reader finds when it asks after one: the focused row and its states.
TEST(LogListAccessibility, FocusAndSelectionFollowTheCurrentRow) {
    Fixture f(200, 200);
    LogListView& view = f.View();
    QAccessibleInterface* list = f.List();
    QApplication::setActiveWindow(&f.rig.pageControl);
    view.setFocus();
    ASSERT_TRUE(view.hasFocus());

    struct Step {
        int current;
        int other;
    } steps[] = {{2, 150}, {150, 2}, {0, 150}};
    for (const Step& step : steps) {
        view.setCurrentIndex(view.model()->index(step.current, 0));
        QAccessibleInterface* focused = list->focusChild();
        ASSERT_NE(focused, nullptr) << step.current;
        EXPECT_EQ(focused->text(QAccessible::Name), Row(step.current));
        const QAccessible::State on = focused->state();
        EXPECT_TRUE(on.focused && on.selected && on.focusable) << step.current;
        EXPECT_FALSE(on.offscreen) << "scrolled into view: " << step.current;
        const QAccessible::State off = list->child(step.other)->state();
        EXPECT_FALSE(off.focused || off.selected) << step.other;
        EXPECT_TRUE(off.offscreen) << step.other;
        EXPECT_EQ(list->tableInterface()->selectedRows(), QList<int>{step.current});
    }

    // Without focus nothing is announced as focused, though the row stays current.
    view.clearFocus();
    EXPECT_EQ(list->focusChild(), nullptr);
    EXPECT_FALSE(list->child(0)->state().focused);

    // A reader can select through the table as well, several rows as Ctrl+click does.
    QAccessibleTableInterface* table = list->tableInterface();
    view.clearSelection();
    EXPECT_TRUE(table->selectRow(7));
    EXPECT_TRUE(table->selectRow(9));
    EXPECT_EQ(table->selectedRows(), (QList<int>{7, 9}));
    EXPECT_EQ(table->selectedCells().value(1), list->child(9));
    EXPECT_TRUE(table->unselectRow(7));
    EXPECT_FALSE(table->unselectRow(7));
    EXPECT_TRUE(table->unselectRow(9));
    EXPECT_EQ(table->selectedRowCount(), 0);
    EXPECT_FALSE(table->selectRow(200));
}

TEST(LogListAccessibility, ARowIsReadAsItIsDrawnZeroBytesIncluded) {
    testing::TempDir dir;
    const std::string path = dir.File("zero.log");
    using namespace std::string_literals;
    const std::pair<std::string, QString> rows[] = {
        {"a\0b"s, QString("a") + QChar(0x2400) + "b"},
        {"\0\0"s, QString(2, QChar(0x2400))},
        {"plain"s, "plain"},
    };
    std::string text;
    LineIndex lines;
    for (const auto& [bytes, heard] : rows) {
        lines.push_back(LineEntry(text.size(), bytes.size()));
        text += bytes + "\n";
    }
    testing::WriteFile(path, text);
    lines.SetSource(PosixFileSource().Open(path).File, LogEncoding::EightBit);
    testing::TabsRig rig;
    rig.tabs->OpenLog(path);
    rig.tabs->Tab(0)->Model().LoadLines(std::move(lines));
    QAccessibleInterface* list =
        QAccessible::queryAccessibleInterface(rig.tabs->Tab(0)->ListView());
    ASSERT_NE(list, nullptr);
    for (int i = 0; i < int(std::size(rows)); ++i)
        EXPECT_EQ(list->child(i)->text(QAccessible::Name), rows[i].second) << i;
}

TEST(LogListAccessibility, ClosingTheViewFreesItsRows) {
    auto f = std::make_unique<Fixture>(20, 20);
    const QAccessible::Id list = QAccessible::uniqueId(f->List());
    const QAccessible::Id row = QAccessible::uniqueId(f->List()->child(5));
    f->rig.tabs->CloseLog(f->rig.pageControl.widget(0));
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(QAccessible::accessibleInterface(row), nullptr);
    EXPECT_EQ(QAccessible::accessibleInterface(list), nullptr);
}

} // namespace
} // namespace marrowlight
