#include "shell/LogLineDelegate.h"

#include "shell/ItemsLBxDrawItem.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QPainter>
#include <QStyle>

namespace marrowlight {

LogLineDelegate::LogLineDelegate(const LineDrawer& drawer, QObject* parent)
    : QStyledItemDelegate(parent), drawer_(drawer) {}

void LogLineDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    const auto* list = qobject_cast<const QAbstractItemView*>(option.widget);
    if (!list)
        return;
    drawer_.ItemsLBxDrawItem(*painter, *list, index, option.rect);
    // No highlight for the selection; only the usual focus frame.
    if (option.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.initFrom(list);
        focus.rect = option.rect;
        focus.state |= QStyle::State_KeyboardFocusChange;
        focus.backgroundColor = option.palette.color(QPalette::Base);
        list->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, list);
    }
}

QSize LogLineDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const {
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
