#include "settings/FontListBox.h"

#include <QAbstractItemView>
#include <QFontDatabase>
#include <gtest/gtest.h>

namespace marrowlight {
namespace {

TEST(FontListBox, ListsScalableWesternFamiliesSortedWithoutCase) {
    FontListBox list;
    list.FillFamilies();
    list.FillFamilies(); // filling again replaces, never appends
    ASSERT_GT(list.count(), 0);
    EXPECT_EQ(list.findText(list.itemText(0)), 0);
    for (int i = 0; i < list.count(); ++i) {
        const QString family = list.itemText(i);
        EXPECT_TRUE(QFontDatabase::isScalable(family)) << family.toStdString();
        EXPECT_TRUE(QFontDatabase::writingSystems(family).contains(QFontDatabase::Latin));
        if (i > 0) {
            EXPECT_LT(QString::compare(list.itemText(i - 1), family, Qt::CaseInsensitive), 0);
        }
    }
    const QModelIndex first = list.model()->index(0, 0);
    EXPECT_EQ(list.view()->itemDelegate()->sizeHint(QStyleOptionViewItem(), first).height(),
              FontListBox::ItemHeight);
}

} // namespace
} // namespace marrowlight
