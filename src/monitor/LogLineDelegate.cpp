#include "monitor/LogLineDelegate.h"

#include "monitor/LineDrawer.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QPen>
#include <QStyle>
#include <algorithm>

namespace marrowlight {

LogLineDelegate::LogLineDelegate(const LineDrawer& drawer, QObject* parent)
    : QStyledItemDelegate(parent), drawer_(drawer) {}

void LogLineDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    const auto* list = qobject_cast<const QAbstractItemView*>(option.widget);
    if (!list)
        return;
    const bool wrapped = option.features.testFlag(QStyleOptionViewItem::WrapText);
    const RowMarks marks{(option.state & QStyle::State_Selected) != 0, found_.get(),
                         wrapped ? itemHeight_ : 0};
    drawer_.DrawListRow(*painter, *list, index, option.rect, marks);
    // A dotted frame around the focused line.
    if (option.state & QStyle::State_HasFocus) {
        painter->save();
        painter->setPen(QPen(option.palette.color(QPalette::Text), 1, Qt::DotLine));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
        painter->restore();
    }
}

QSize LogLineDelegate::sizeHint(const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    // A wrapped row is as tall as its lines at the width of option.rect, and
    // never taller than option.rect.
    const auto* list = qobject_cast<const QAbstractItemView*>(option.widget);
    if (index.isValid() && list && option.features.testFlag(QStyleOptionViewItem::WrapText)) {
        const int most = std::max(1, option.rect.height() / itemHeight_);
        return QSize(option.rect.width(),
                     drawer_.WrappedLineCount(*list, index, most) * itemHeight_);
    }
    return QSize(extentWidth_, itemHeight_);
}

int LogLineDelegate::ItemHeightForSize(int size) {
    return size * 12 / 10 + 6;
}

void LogLineDelegate::SetItemHeight(int height) {
    if (height == itemHeight_)
        return;
    itemHeight_ = height;
    emit sizeHintChanged(QModelIndex());
}

void LogLineDelegate::SetExtentWidth(int width) {
    if (width == extentWidth_)
        return;
    extentWidth_ = width;
    emit sizeHintChanged(QModelIndex());
}

} // namespace marrowlight
