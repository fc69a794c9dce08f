#include "monitor/LogTabWidget.h"

#include <QEvent>
#include <QStyleOptionTab>

namespace marrowlight {

QSize LogTabBar::tabSizeHint(int index) const {
    if (iconSize_ != iconSize()) {
        iconSize_ = iconSize();
        withIcon_.clear();
        withoutIcon_.clear();
    }
    auto& sizes = tabIcon(index).isNull() ? withoutIcon_ : withIcon_;
    // Captions of closed logs would pile up: start over past a bound.
    if (sizes.size() > 4 * count() + 64)
        sizes.clear();
    const QString text = tabText(index);
    auto it = sizes.constFind(text);
    if (it == sizes.constEnd())
        it = sizes.insert(text, QTabBar::tabSizeHint(index));
    return *it;
}

void LogTabBar::initStyleOption(QStyleOptionTab* option, int index) const {
    const QRect place = tabRect(index);
    if (place.intersects(rect())) {
        QTabBar::initStyleOption(option, index);
        return;
    }
    // Off the bar nothing is drawn: painting only asks where it is.
    option->initFrom(this);
    option->rect = place;
    option->shape = shape();
}

void LogTabBar::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        withIcon_.clear();
        withoutIcon_.clear();
    }
    QTabBar::changeEvent(event);
}

LogTabWidget::LogTabWidget(QWidget* parent) : QTabWidget(parent) {
    setTabBar(new LogTabBar(this));
}

} // namespace marrowlight
