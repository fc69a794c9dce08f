#include "settings/FontListBox.h"

#include <QAbstractItemView>
#include <QFontDatabase>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace marrowlight {
namespace {

TEST(FontListBoxTest, ListsScalableWesternFamiliesSortedWithoutCase) {
    FontListBox list;
    list.fillFamilies();
    list.fillFamilies(); // filling again replaces, never appends
    ASSERT_GT(list.count(), 0);
    EXPECT_EQ(list.findText(list.itemText(0)), 0);
    for (int i = 0; i < list.count(); ++i) {
        const QString family = list.itemText(i);
        EXPECT_TRUE(QFontDatabase::isScalable(family)) << family.toStdString();
        EXPECT_TRUE(QFontDatabase::writingSystems(family).contains(QFontDatabase::Latin));
        if (i > 0)
            EXPECT_LT(QString::compare(list.itemText(i - 1), family, Qt::CaseInsensitive), 0);
    }
    const QModelIndex first = list.model()->index(0, 0);
    EXPECT_EQ(list.view()->itemDelegate()->sizeHint(QStyleOptionViewItem(), first).height(),
              FontListBox::kItemHeight);
}

TEST(FontListBoxTest, EntriesOutsideTheListDrawOnlyTheirBackground) {
    FontListBox list;
    list.fillFamilies();
    auto draw = [&list](int index) {
        QImage image(200, FontListBox::kItemHeight, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        list.FontsCBxDrawItem(painter, image.rect(), index, QBrush(Qt::blue), Qt::yellow);
        painter.end();
        int background = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                background += image.pixelColor(x, y) == QColor(Qt::blue);
        return image.width() * image.height() - background;
    };
    EXPECT_EQ(draw(-1), 0);
    EXPECT_EQ(draw(list.count()), 0);
    EXPECT_GT(draw(0), 0); // the family's name is written
}

} // namespace
} // namespace marrowlight
