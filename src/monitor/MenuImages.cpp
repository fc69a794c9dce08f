#include "monitor/MenuImages.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QStyle>

namespace marrowlight {
namespace {

constexpr int Side = 16;

QIcon Standard(QStyle::StandardPixmap pixmap) {
    return QApplication::style()->standardIcon(pixmap);
}

// A small sheet of paper; the tab markers differ by a badge in its corner, so
// they stay distinct with any style or icon theme.
QPixmap Page() {
    QPixmap pixmap(Side, Side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(QColor(90, 90, 90));
    painter.setBrush(Qt::white);
    painter.drawRect(2, 1, 10, 13);
    painter.setPen(QColor(150, 150, 150));
    for (int y = 4; y <= 11; y += 2)
        painter.drawLine(4, y, 10, y);
    return pixmap;
}

QIcon PageWithBadge(const QColor& colour, bool cross) {
    QPixmap pixmap = Page();
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawEllipse(QRectF(8.5, 8.5, 7, 7));
    if (cross) {
        painter.setPen(QPen(Qt::white, 1.4));
        painter.drawLine(QPointF(10.3, 10.3), QPointF(13.7, 13.7));
        painter.drawLine(QPointF(13.7, 10.3), QPointF(10.3, 13.7));
    }
    return QIcon(pixmap);
}

// Drawn rather than taken from a style: no standard picture means "close all".
QIcon CloseAll() {
    QPixmap pixmap(Side, Side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(170, 30, 30), 2));
    for (int offset : {0, 4}) {
        painter.drawLine(QPointF(2 + offset, 3), QPointF(9 + offset, 10));
        painter.drawLine(QPointF(9 + offset, 3), QPointF(2 + offset, 10));
    }
    return QIcon(pixmap);
}

} // namespace

QIcon MenuImage(MenuImageIndex index) {
    using enum MenuImageIndex;
    switch (index) {
    case OpenLog:
        return Standard(QStyle::SP_DialogOpenButton);
    case CloseLog:
        return Standard(QStyle::SP_DialogCloseButton);
    case CloseAllLogs:
        return CloseAll();
    case Options:
        return Standard(QStyle::SP_FileDialogDetailedView);
    case Contents:
        return Standard(QStyle::SP_DialogHelpButton);
    case NewLines:
        return PageWithBadge(QColor(30, 120, 220), false);
    case NormalLog:
        return QIcon(Page());
    case Exit:
        return Standard(QStyle::SP_TitleBarCloseButton);
    case About:
        return Standard(QStyle::SP_MessageBoxInformation);
    case Unreadable:
        return PageWithBadge(QColor(200, 30, 30), true);
    }
    return {};
}

} // namespace marrowlight
