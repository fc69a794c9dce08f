#include "monitor/LogListView.h"

#include "monitor/LogListModel.h"

#include <QApplication>
#include <QImage>
#include <QScrollBar>
#include <QStyledItemDelegate>
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
        {300'000, true, 200, 5, 0},   // the strip under the last row
        {300'000, true, 0, 205, 20},  // a full repaint
        {300'000, false, 200, 5, 1},  // the strip shows part of the next row
        {300'000, false, 0, 205, 21},
        {300'000, false, 95, 10, 2},  // straddles two rows
        {10, false, 100, 105, 0},     // below a short list
        {10, false, 0, 205, 10},
        {0, false, 0, 205, 0},
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

} // namespace
} // namespace marrowlight
