#include "monitor/LogListView.h"

#include "monitor/LineDrawer.h"
#include "monitor/LogLineDelegate.h"
#include "monitor/LogListModel.h"
#include "monitor/core/FileSource.h"
#include "monitor/core/LineRecord.h"
#include "monitor/core/LogReader.h"
#include "monitor/core/MonitorTestSupport.h"
#include "monitor/core/TextEncoding.h"

#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>

namespace marrowlight {
namespace {

// Counts the rows a paint asks for; each one costs a read and a layout.
struct CountingDelegate : QStyledItemDelegate {
    void paint(QPainter*, const QStyleOptionViewItem&, const QModelIndex&) const override {
        ++painted;
    }
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
        return QSize(0, 10);
    }
    mutable int painted = 0;
};

LineIndex Rows(int count) {
    LineIndex rows;
    for (int i = 0; i < count; ++i)
        rows.push_back(LineEntry(uint64_t(i) * 10, 8));
    return rows;
}

TEST(LogListView, PaintsOnlyTheRowsInThePaintedArea) {
    // 205 pixels: 20 whole rows and a 5-pixel strip under them.
    struct Case {
        int rows;
        bool scrolledToEnd;
        int top, height; // painted area
        int expected;
    } cases[] = {
        {300'000, true, 200, 5, 0},  // the strip under the last row
        {300'000, true, 0, 205, 20}, // a full repaint
        {300'000, false, 200, 5, 1}, // the strip shows part of the next row
        {300'000, false, 0, 205, 21}, {300'000, false, 95, 10, 2}, // straddles two rows
        {10, false, 100, 105, 0},                                  // below a short list
        {10, false, 0, 205, 10},      {0, false, 0, 205, 0},
    };
    for (const Case& c : cases) {
        LogListModel model;
        model.LoadLines(Rows(c.rows));
        CountingDelegate delegate;
        LogListView view;
        view.setItemDelegate(&delegate);
        view.setModel(&model);
        view.setFrameShape(QFrame::NoFrame);
        view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view.resize(200, 205);
        view.show();
        QApplication::processEvents();
        ASSERT_EQ(view.viewport()->height(), 205);
        if (c.scrolledToEnd)
            view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum());
        QImage image(view.viewport()->size(), QImage::Format_RGB32);
        delegate.painted = 0;
        view.viewport()->render(&image, QPoint(), QRegion(0, c.top, 180, c.height));
        EXPECT_EQ(delegate.painted, c.expected) << c.rows << " " << c.top << " " << c.height;
    }
}

using testing::MemoryFile;

struct ErrorsInRed : LineDrawSettings {
    std::string GroupKeywords(int g) const override { return g == 3 ? "Error" : ""; }
    QColor GroupColor(int) const override { return Qt::red; }
    bool ShowLineNumbers() const override { return false; }
    bool ShowLineTime() const override { return true; }
    QString LineTimeMask() const override { return "hh:mm:ss"; }
};

bool HasRedInk(const QImage& image, int top, int bottom) {
    for (int y = top; y < bottom; ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 200 && c.green() < 140 && c.blue() < 140)
                return true;
        }
    return false;
}

TEST(LogListView, ALongLineIsReadAndDrawnOnlyWhereItCanBeSeen) {
    const std::string longLine = "Error " + std::string(5'000'000, 'M');
    auto file = std::make_shared<MemoryFile>();
    file->data = "first\n" + longLine + "\nlast\n";
    LineIndex rows;
    rows.push_back(LineEntry(0, 5));
    rows.push_back(LineEntry(6, longLine.size()));
    rows.push_back(LineEntry(7 + longLine.size(), 4));
    rows.SetSource(file, LogEncoding::EightBit);
    LogListModel model;
    model.LoadLines(std::move(rows));

    ErrorsInRed settings;
    LineDrawer drawer(settings);
    LogLineDelegate delegate(drawer);
    LogListView view;
    view.setFont(QFont("DejaVu Sans Mono", 9));
    delegate.SetItemHeight(17);
    delegate.SetExtentWidth(int(drawer.ExtentWidth(view.font(), longLine.size())));
    view.setItemDelegate(&delegate);
    view.setModel(&model);
    view.resize(600, 120);
    file->bytesRead = 0;
    view.show();
    QApplication::processEvents();
    // The first paint reads the long line whole once, for its colour.
    EXPECT_LT(file->bytesRead, longLine.size() + 128u * 1024) << "first paint";

    // Wherever the view is scrolled to, the line's text shows in its colour,
    // up to its very end, and painting reads a small part of it from then on.
    QScrollBar& bar = *view.horizontalScrollBar();
    ASSERT_GT(bar.maximum(), 30'000'000);
    for (int value : {0, 100'000, bar.maximum() / 2, bar.maximum() - 1000, bar.maximum()}) {
        bar.setValue(value);
        file->bytesRead = 0;
        QImage image(view.viewport()->size(), QImage::Format_RGB32);
        view.viewport()->render(&image);
        EXPECT_LT(file->bytesRead, 128u * 1024) << value;
        EXPECT_TRUE(HasRedInk(image, 17, 34)) << value;
    }
    // The whole line is still there for copying and screen readers.
    for (int role : {int(Qt::DisplayRole), int(Qt::AccessibleTextRole)})
        EXPECT_EQ(model.data(model.index(1, 0), role).toString().size(),
                  qsizetype(longLine.size()));
}

TEST(LogListView, ALongLineCutToTheViewportLooksAsIfDrawnWhole) {
    std::string line;
    while (line.size() < 3000)
        line += "il.|, Lorem WWW ipsum \xC3\xA9t\xC3\xA9 MMMM dolor; ";
    auto file = std::make_shared<MemoryFile>();
    file->data = line;
    LineIndex rows;
    rows.push_back(LineEntry(0, line.size()));
    rows.SetSource(file, LogEncoding::EightBit);
    LogListModel model;
    model.LoadLines(std::move(rows));

    ErrorsInRed settings;
    LineDrawer drawer(settings);
    LogLineDelegate delegate(drawer);
    delegate.SetItemHeight(18);
    LogListView view;
    view.setFont(QFont("DejaVu Sans", 10));
    delegate.SetExtentWidth(int(drawer.ExtentWidth(view.font(), line.size())));
    view.setItemDelegate(&delegate);
    view.setModel(&model);
    view.setFocusPolicy(Qt::NoFocus); // no focus frame to tell the two apart
    view.resize(500, 100);
    view.show();
    QApplication::processEvents();

    for (int value : {0, 700, 1500, 4000}) {
        view.horizontalScrollBar()->setValue(value);
        ASSERT_EQ(view.horizontalScrollBar()->value(), value);
        QImage cut(view.viewport()->size(), QImage::Format_RGB32);
        view.viewport()->render(&cut);
        QImage whole(cut.size(), QImage::Format_RGB32);
        {
            QPainter painter(&whole);
            drawer.DrawLine(painter, view.font(), view.palette(),
                            view.visualRect(model.index(0, 0)), cut.width(), line, nullptr);
        }
        EXPECT_EQ(cut.copy(0, 0, cut.width(), 18), whole.copy(0, 0, cut.width(), 18)) << value;
    }
}

// The Errors-only filter lists a row for a keyword far along it; the row is
// drawn in that group's colour wherever it is scrolled to, and so is a row
// loaded with "All Entries", whose keywords the drawing tests itself, once.
TEST(LogListView, ALongRowHasTheColourOfItsWholeText) {
    testing::TempDir dir;
    const std::string path = dir.File("long.log");
    const std::string row = std::string(20'000, 'x') + "Error" + std::string(15, 'y');
    testing::WriteFile(path, "calm\r\n" + row + "\r\n");
    for (bool allEntries : {false, true}) {
        SCOPED_TRACE(allEntries ? "All Entries" : "Errors only");
        testing::FakeViewSettings viewSettings;
        viewSettings.allEntries = allEntries;
        viewSettings.shown = {false, false, true};
        viewSettings.keywords = {"", "", "Error"};
        testing::FixedClock clock;
        SilentProgress progress;
        PosixFileSource files;
        LogReader reader(files, viewSettings, clock, progress);
        LogPage page;
        page.FileName = path;
        LogListModel model;
        reader.Pass(page, model);
        ASSERT_EQ(model.rowCount(), allEntries ? 2 : 1);
        const int errorRow = model.rowCount() - 1;

        ErrorsInRed settings;
        LineDrawer drawer(settings);
        LogLineDelegate delegate(drawer);
        delegate.SetItemHeight(17);
        LogListView view;
        view.setFont(QFont("DejaVu Sans Mono", 9));
        delegate.SetExtentWidth(int(drawer.ExtentWidth(view.font(), page.MaxLineLen)));
        view.setItemDelegate(&delegate);
        view.setModel(&model);
        view.resize(600, 120);
        view.show();
        QApplication::processEvents();

        const int keyword = int(drawer.ExtentWidth(view.font(), 20'000)) - 300;
        for (int value : {0, keyword}) {
            view.horizontalScrollBar()->setValue(value);
            QImage image(view.viewport()->size(), QImage::Format_RGB32);
            view.viewport()->render(&image);
            EXPECT_TRUE(HasRedInk(image, 17 * errorRow, 17 * errorRow + 17)) << value;
            EXPECT_FALSE(HasRedInk(image, 0, 17 * errorRow)) << value;
        }
        EXPECT_EQ(model.KnownGroup(errorRow), 3);
    }
}

// Scrolled sideways, the rows' text moves and the gutter band with the
// arrival times stays at the left edge of the list.
TEST(LogListView, TheGutterStaysAtTheLeftEdgeWhenScrolledSideways) {
    std::string line;
    while (line.size() < 2000)
        line += "Lorem ipsum dolor sit amet ";
    auto file = std::make_shared<MemoryFile>();
    file->data = line;
    LineIndex rows;
    rows.push_back(LineEntry(0, line.size()), LineRecord{45000.5, 1});
    rows.SetSource(file, LogEncoding::EightBit);
    LogListModel model;
    model.LoadLines(std::move(rows));

    ErrorsInRed settings; // arrival times in the gutter
    LineDrawer drawer(settings);
    LogLineDelegate delegate(drawer);
    delegate.SetItemHeight(18);
    LogListView view;
    view.setFont(QFont("DejaVu Sans", 10));
    delegate.SetExtentWidth(int(drawer.ExtentWidth(view.font(), line.size())));
    view.setItemDelegate(&delegate);
    view.setModel(&model);
    view.setFocusPolicy(Qt::NoFocus);
    view.resize(500, 100);
    view.show();
    QApplication::processEvents();

    const int gutter = drawer.GutterWidth(view.font());
    ASSERT_GT(gutter, 10);
    QImage images[2];
    for (int k = 0; k < 2; ++k) {
        view.horizontalScrollBar()->setValue(k * 700);
        QImage& image = images[k];
        image = QImage(view.viewport()->size(), QImage::Format_RGB32);
        view.viewport()->render(&image);
        SCOPED_TRACE(k ? "scrolled" : "at the start");
        int silver = 0, black = 0;
        for (int x = 0; x < gutter; ++x)
            for (int y = 0; y < 18; ++y) {
                silver += image.pixel(x, y) == (0xFF000000 | LineDrawer::Silver);
                black += image.pixel(x, y) == 0xFF000000;
            }
        EXPECT_GT(silver, gutter * 18 / 2); // the band
        EXPECT_GT(black, 10);               // its time
    }
    EXPECT_EQ(images[0].copy(0, 0, gutter, 18), images[1].copy(0, 0, gutter, 18));
    EXPECT_NE(images[0].copy(gutter, 0, 400, 18), images[1].copy(gutter, 0, 400, 18));
}

// Rows added while the list is followed move what is on screen rather than
// paint it all again, and the scroll bar is painted only when it looks
// different; what the window shows must still be what a fresh paint gives.
TEST(LogListView, AFollowedListShowsWhatAFreshPaintShows) {
    auto file = std::make_shared<MemoryFile>();
    LineIndex none;
    LogListModel model;
    ErrorsInRed settings;
    LineDrawer drawer(settings);
    LogLineDelegate delegate(drawer);
    delegate.SetItemHeight(16);
    LogListView view;
    view.setFont(QFont("DejaVu Sans", 9));
    view.setItemDelegate(&delegate);
    view.setModel(&model);
    view.resize(300, 200);
    view.show();
    QApplication::processEvents();

    int written = 0;
    auto lines = [&](int count) {
        LineIndex rows;
        for (int i = 0; i < count; ++i) {
            const std::string text = "line " + std::to_string(written++) + (i % 3 ? "" : " Error");
            rows.push_back(LineEntry(file->data.size(), text.size()), LineRecord{45000.5, written});
            file->data += text;
        }
        rows.SetSource(file, LogEncoding::EightBit);
        return rows;
    };
    auto followEnd = [&] {
        const QModelIndex last = model.index(model.rowCount() - 1);
        view.setCurrentIndex(last);
        view.scrollTo(last);
    };
    auto shown = [&] {
        QApplication::processEvents();
        return QGuiApplication::primaryScreen()->grabWindow(view.winId()).toImage();
    };
    struct Step {
        const char* what;
        std::function<void()> act;
    } steps[] = {
        {"a few rows", [&] { model.AppendLines(lines(3)); }},
        {"enough rows for the scroll bar",
         [&] {
             model.AppendLines(lines(30));
             followEnd();
         }},
        {"one row followed",
         [&] {
             model.AppendLines(lines(1));
             followEnd();
         }},
        {"two rows followed",
         [&] {
             model.AppendLines(lines(2));
             followEnd();
         }},
        {"rows above the screen", [&] { model.InsertLinesAtTop(lines(2)); }},
        {"scrolled up a little", [&] { view.verticalScrollBar()->setValue(5); }},
        {"rows in view",
         [&] {
             LineIndex rows = lines(2);
             model.AppendLines(std::move(rows)); // below the screen now
             model.InsertLinesAtTop(lines(1));
         }},
        {"at the top, rows above",
         [&] {
             view.verticalScrollBar()->setValue(0);
             model.InsertLinesAtTop(lines(3));
         }},
        {"a page at once",
         [&] {
             model.AppendLines(lines(40));
             followEnd();
         }},
    };
    for (const Step& step : steps) {
        step.act();
        const QImage moved = shown();
        ASSERT_FALSE(moved.isNull());
        view.update();
        for (QWidget* part : view.findChildren<QWidget*>())
            part->update();
        EXPECT_TRUE(moved == shown()) << step.what;
        if (model.rowCount() > 20) {
            EXPECT_TRUE(view.verticalScrollBar()->isVisible()) << step.what;
        }
    }
}

// Wrapped rows of a given number of lines each, 10 pixels a line.
struct SpanDelegate : QStyledItemDelegate {
    std::vector<int> spans; // row r takes spans[r % size] lines
    void paint(QPainter*, const QStyleOptionViewItem&, const QModelIndex&) const override {}
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        if (!index.isValid() || !option.features.testFlag(QStyleOptionViewItem::WrapText))
            return QSize(0, 10);
        return QSize(0, 10 * spans[size_t(index.row()) % spans.size()]);
    }
};

// Wrapped rows are scrolled by row and measured only on screen: the screen,
// a click, the scroll range and scrolling to a row all follow their lines.
TEST(LogListView, WrappedRowsTakeTheirLinesOnScreen) {
    struct Case {
        const char* name;
        std::vector<int> spans;
        int rows;
        int fullRows;                          // whole rows on the first screen (100 px)
        std::vector<std::pair<int, int>> hits; // y -> row under it
        int lastTop;                           // the scroll range's end
    } cases[] = {
        {"one line each", {1}, 50, 10, {{0, 0}, {15, 1}, {99, 9}}, 40},
        {"second line of a row", {1, 3}, 50, 5, {{5, 0}, {15, 1}, {25, 1}, {35, 1}, {45, 2}}, 46},
        {"taller than the screen", {15, 1}, 4, 1, {{0, 0}, {95, 0}}, 3},
        {"short list", {2}, 3, 3, {{65, -1}, {45, 2}}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LogListModel model;
        model.LoadLines(Rows(c.rows));
        SpanDelegate delegate;
        delegate.spans = c.spans;
        LogListView view;
        view.setItemDelegate(&delegate);
        view.setModel(&model);
        view.setFrameShape(QFrame::NoFrame);
        view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view.resize(200, 100);
        view.SetWrapping(true);
        view.show();
        QApplication::processEvents();
        ASSERT_EQ(view.viewport()->height(), 100);

        EXPECT_EQ(view.FullRowsVisible(), c.fullRows);
        for (const auto& [y, row] : c.hits)
            EXPECT_EQ(view.indexAt(QPoint(5, y)).row(), row) << "y " << y;
        // A row never stands taller than the screen.
        EXPECT_LE(view.visualRect(model.index(0)).height(), 100);
        EXPECT_EQ(view.verticalScrollBar()->maximum(), c.lastTop);
        EXPECT_EQ(view.horizontalScrollBar()->maximum(), 0);

        // The last row scrolled into view stands whole at the bottom.
        view.scrollTo(model.index(c.rows - 1));
        const QRect last = view.visualRect(model.index(c.rows - 1));
        EXPECT_LE(last.bottom(), 99);
        EXPECT_GE(last.top(), 0);
        EXPECT_EQ(view.TopRow(), c.lastTop);

        // Unwrapped, every row is one line again.
        view.SetWrapping(false);
        EXPECT_EQ(view.RowSpan(0), 1);
        EXPECT_EQ(view.verticalScrollBar()->maximum(), std::max(0, c.rows - 10));
    }
}

// A wrapped row shows its whole text over several lines of the list's width,
// its colour on every line and the gutter's time on the first only; a row of
// megabytes is read only as far as a screen of lines can show.
TEST(LogListView, AWrappedRowShowsItsGutterOnItsFirstLine) {
    std::string line = "Error";
    while (line.size() < 180)
        line += " lorem ipsum";
    const std::string huge = "Error " + std::string(10 << 20, 'M');
    auto file = std::make_shared<MemoryFile>();
    file->data = line + "\n" + huge + "\n";
    LineIndex rows;
    rows.push_back(LineEntry(0, line.size()), LineRecord{45000.5, 1});
    rows.push_back(LineEntry(line.size() + 1, huge.size()), LineRecord{45000.5, 2});
    rows.SetSource(file, LogEncoding::EightBit);
    LogListModel model;
    model.LoadLines(std::move(rows));

    ErrorsInRed settings; // arrival times in the gutter
    LineDrawer drawer(settings);
    LogLineDelegate delegate(drawer);
    delegate.SetItemHeight(18);
    LogListView view;
    view.setFont(QFont("DejaVu Sans", 10));
    view.setItemDelegate(&delegate);
    view.setModel(&model);
    view.setFocusPolicy(Qt::NoFocus);
    view.setFrameShape(QFrame::NoFrame);
    view.resize(400, 180);
    view.SetWrapping(true);
    view.show();
    QApplication::processEvents();

    const int lines = view.RowSpan(0);
    EXPECT_GE(lines, 3);
    EXPECT_LE(lines, 7);
    EXPECT_EQ(view.visualRect(model.index(0)).height(), lines * 18);
    EXPECT_EQ(view.indexAt(QPoint(100, 18 + 9)).row(), 0); // its second line
    EXPECT_EQ(view.indexAt(QPoint(100, lines * 18 + 1)).row(), 1);
    EXPECT_EQ(view.RowSpan(1), 10); // a screen's worth, however long

    QImage image(view.viewport()->size(), QImage::Format_RGB32);
    file->bytesRead = 0;
    view.viewport()->render(&image);
    EXPECT_LT(file->bytesRead, 256u * 1024);
    const int gutter = drawer.GutterWidth(view.font());
    auto blackInGutter = [&](int visual) {
        int black = 0;
        for (int x = 0; x < gutter; ++x)
            for (int y = visual * 18; y < visual * 18 + 18; ++y)
                black += image.pixel(x, y) == 0xFF000000;
        return black;
    };
    EXPECT_GT(blackInGutter(0), 10);
    for (int k = 1; k < lines; ++k) {
        EXPECT_EQ(blackInGutter(k), 0) << "line " << k;
        EXPECT_TRUE(HasRedInk(image, k * 18, k * 18 + 18)) << "line " << k;
    }
}

// Pixels of any red tint, the edges of glyphs too, in the row at y 0..rowHeight.
int RedTint(const QImage& image, int rowHeight) {
    int count = 0;
    for (int y = 0; y < rowHeight; ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            count += c.red() - std::max(c.green(), c.blue()) > 30 ? 1 : 0;
        }
    return count;
}

// Pixels near colour, in the row at y 0..rowHeight.
int InkOf(const QImage& image, QRgb colour, int rowHeight) {
    const QColor want = QColor::fromRgb(colour);
    int count = 0;
    for (int y = 0; y < rowHeight; ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - want.red()) + std::abs(c.green() - want.green()) +
                    std::abs(c.blue() - want.blue()) <
                40)
                ++count;
        }
    return count;
}

// A row is shaped once and drawn in the colours its sequences set, also
// where its characters and glyphs do not pair off one to one, and wrapped.
TEST(LogListView, RowsDrawTheColoursTheirSequencesSet) {
    struct Case {
        std::string row;
        QRgb colour;
    } cases[] = {
        {"\x1b[31mIIII\x1b[0m IIII", 0xCD0000},
        {"IIII \x1b[38;2;0;160;0mIIII", 0x00A000},
        {"\x1b[44m    \x1b[49m IIII", 0x0000EE},                // a background
        {"\x1b[32me\xCC\x81IIII", 0x00CD00},                    // a combining accent
        {"\x1b[35m\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D", 0xCD00CD}, // right to left
        {"\x1b[31mIIII", 0xCD0000},
        {"\x1b[1;31mIIII", 0xCD0000},
    };
    for (bool wrap : {false, true}) {
        std::vector<int> ink, edges;
        for (const Case& c : cases) {
            SCOPED_TRACE(c.row + (wrap ? " wrapped" : ""));
            auto file = std::make_shared<MemoryFile>();
            file->data = c.row + "\n";
            LineIndex rows;
            rows.push_back(LineEntry(0, c.row.size()));
            rows.SetSource(file, LogEncoding::Utf8);
            LogListModel model;
            model.LoadLines(std::move(rows));
            ErrorsInRed settings;
            LineDrawer drawer(settings);
            LogLineDelegate delegate(drawer);
            LogListView view;
            view.setFont(QFont("DejaVu Sans Mono", 20, QFont::Black));
            delegate.SetItemHeight(34);
            view.setItemDelegate(&delegate);
            view.setModel(&model);
            view.resize(600, 80);
            view.SetWrapping(wrap);
            view.show();
            QApplication::processEvents();
            QImage image(view.viewport()->size(), QImage::Format_RGB32);
            view.viewport()->render(&image);
            ink.push_back(InkOf(image, c.colour, 34));
            edges.push_back(RedTint(image, 34));
            EXPECT_GT(ink.back(), 20);
        }
        // Bold is drawn heavier than the same text without it.
        EXPECT_GT(edges.back(), edges[edges.size() - 2] * 9 / 8);
    }
}

} // namespace
} // namespace marrowlight
