#include "monitor/LogListView.h"

#include "monitor/LogListAccessibility.h"

#include <QAccessible>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionSlider>
#include <algorithm>
#include <cstdlib>
#include <limits>
#include <optional>
#include <utility>

namespace marrowlight {

namespace {

// Over millions of rows a row more or less seldom moves the thumb by a
// pixel, yet every change of range or value would paint the bar again, and a
// followed log changes both with every line. Such a bar is painted only when
// it would look different once the changes of the moment are done.
class RowScrollBar : public QScrollBar {
  public:
    RowScrollBar() : QScrollBar(Qt::Vertical) {}

  protected:
    void sliderChange(SliderChange change) override {
        if (change != SliderRangeChange && change != SliderValueChange) {
            QScrollBar::sliderChange(change);
            return;
        }
        if (std::exchange(checkQueued_, true))
            return;
        QMetaObject::invokeMethod(
            this,
            [this] {
                checkQueued_ = false;
                if (!painted_ || Current() != *painted_)
                    update();
            },
            Qt::QueuedConnection);
    }
    void paintEvent(QPaintEvent* event) override {
        painted_ = Current();
        QScrollBar::paintEvent(event);
    }

  private:
    struct Look {
        QRect thumb;
        bool atMinimum = false;
        bool atMaximum = false;
        bool operator==(const Look&) const = default;
    };
    Look Current() const {
        QStyleOptionSlider option;
        initStyleOption(&option);
        return {style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider,
                                        this),
                value() == minimum(), value() == maximum()};
    }
    std::optional<Look> painted_;
    bool checkQueued_ = false;
};

} // namespace

LogListView::LogListView(QWidget* parent) : QAbstractItemView(parent) {
    // The view's own connections go with the bar it replaces.
    setVerticalScrollBar(new RowScrollBar);
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this,
            &LogListView::verticalScrollbarAction);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this,
            &LogListView::verticalScrollbarValueChanged);
    InstallLogListAccessibility();
    // Rows are selected for copying: click, Shift+click, Ctrl+click, Shift+arrows, Ctrl+A.
    setSelectionMode(ExtendedSelection);
    setSelectionBehavior(SelectRows);
    setEditTriggers(NoEditTriggers);
    setVerticalScrollMode(ScrollPerItem);
    setHorizontalScrollMode(ScrollPerPixel);
}

int LogListView::RowCount() const {
    return model() ? model()->rowCount(rootIndex()) : 0;
}

int LogListView::TopRow() const {
    return verticalScrollBar()->value();
}

int LogListView::FullRowsVisible() const {
    const int height = std::max(1, rowHeight_);
    if (!wrap_)
        return std::max(1, viewport()->height() / height);
    const qint64 screen = viewport()->height();
    qint64 y = 0;
    int rows = 0;
    for (int row = TopRow(), count = RowCount(); row < count; ++row, ++rows) {
        y += qint64(RowSpan(row)) * height;
        if (y > screen)
            break;
    }
    return std::max(1, rows);
}

void LogListView::SetWrapping(bool on) {
    if (wrap_ == on)
        return;
    wrap_ = on;
    ForgetSpans();
    doItemsLayout();
}

int LogListView::RowSpan(int row) const {
    if (!wrap_ || !model() || !itemDelegate() || row < 0 || row >= RowCount())
        return 1;
    if (auto it = spans_.constFind(row); it != spans_.constEnd())
        return *it;
    // The delegate lays out the row at the viewport's width, in at most as
    // many lines as the viewport holds: a row is never taller than the screen.
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = viewport()->rect();
    const int height = std::max(1, rowHeight_);
    const int most = std::max(1, viewport()->height() / height);
    const int lines =
        itemDelegate()->sizeHint(option, model()->index(row, 0, rootIndex())).height() / height;
    const int span = std::clamp(lines, 1, most);
    if (spans_.size() > 4096)
        spans_.clear();
    spans_.insert(row, span);
    return span;
}

qint64 LogListView::RowTop(int row) const {
    const qint64 height = std::max(1, rowHeight_);
    const int top = TopRow();
    if (!wrap_ || row <= top)
        return (qint64(row) - top) * height;
    // Rows on screen are measured; below it, each counts as one line.
    const qint64 screen = viewport()->height();
    qint64 y = 0;
    int at = top;
    for (; at < row && y <= screen; ++at)
        y += RowSpan(at) * height;
    return y + (qint64(row) - at) * height;
}

int LogListView::TopShowingAtBottom(int row) const {
    if (!wrap_)
        return std::max(0, row - FullRowsVisible() + 1);
    const qint64 height = std::max(1, rowHeight_);
    const qint64 screen = viewport()->height();
    qint64 used = RowSpan(row) * height;
    int top = row;
    while (top > 0) {
        const qint64 next = used + RowSpan(top - 1) * height;
        if (next > screen)
            break;
        used = next;
        --top;
    }
    return top;
}

int LogListView::LastTopRow() const {
    const int count = RowCount();
    if (!wrap_)
        return std::max(0, count - FullRowsVisible());
    return count > 0 ? TopShowingAtBottom(count - 1) : 0;
}

int LogListView::RowAt(int y) const {
    if (y < 0)
        return -1;
    const qint64 height = std::max(1, rowHeight_);
    qint64 row = qint64(TopRow()) + y / height;
    if (wrap_) {
        const qint64 screen = viewport()->height();
        qint64 bottom = 0;
        row = TopRow();
        for (const int count = RowCount(); row < count && bottom <= screen; ++row) {
            bottom += RowSpan(int(row)) * height;
            if (y < bottom)
                return int(row);
        }
        row += (y - bottom) / height;
    }
    return row < RowCount() ? int(row) : -1;
}

QRect LogListView::RowRect(int row) const {
    // Rows far off screen are clamped: only their side of the screen matters.
    const qint64 y = RowTop(row);
    constexpr qint64 limit = std::numeric_limits<int>::max() / 4;
    const int top = int(std::clamp(y, -limit, limit));
    const int width = std::max(contentWidth_, viewport()->width() + horizontalOffset());
    const bool near = y >= -viewport()->height() && y <= viewport()->height();
    return QRect(-horizontalOffset(), top, width, rowHeight_ * (near ? RowSpan(row) : 1));
}

QRect LogListView::visualRect(const QModelIndex& index) const {
    if (!index.isValid() || index.parent() != rootIndex())
        return {};
    return RowRect(index.row());
}

void LogListView::scrollTo(const QModelIndex& index, ScrollHint hint) {
    if (!index.isValid())
        return;
    const int row = index.row();
    const int rows = FullRowsVisible();
    int top = TopRow();
    switch (hint) {
    case PositionAtTop:
        top = row;
        break;
    case PositionAtBottom:
        top = wrap_ ? TopShowingAtBottom(row) : row - rows + 1;
        break;
    case PositionAtCenter:
        top = wrap_ ? (row + TopShowingAtBottom(row)) / 2 : row - rows / 2;
        break;
    case EnsureVisible:
        if (row < top)
            top = row;
        else if (wrap_ && RowTop(row) + qint64(RowSpan(row)) * rowHeight_ > viewport()->height())
            top = TopShowingAtBottom(row);
        else if (!wrap_ && row >= top + rows)
            top = row - rows + 1;
        break;
    }
    verticalScrollBar()->setValue(top);
}

QModelIndex LogListView::indexAt(const QPoint& point) const {
    const int row = RowAt(point.y());
    return row < 0 ? QModelIndex() : model()->index(row, 0, rootIndex());
}

QModelIndex LogListView::moveCursor(CursorAction action, Qt::KeyboardModifiers) {
    const int count = RowCount();
    if (count == 0)
        return {};
    const QModelIndex current = currentIndex();
    const int row = current.isValid() ? current.row() : -1;
    const int page = FullRowsVisible();
    int target = row;
    switch (action) {
    case MoveUp:
    case MovePrevious:
        target = row - 1;
        break;
    case MoveDown:
    case MoveNext:
        target = row + 1;
        break;
    case MovePageUp:
        target = row - page;
        break;
    case MovePageDown:
        target = row + page;
        break;
    case MoveHome:
        target = 0;
        break;
    case MoveEnd:
        target = count - 1;
        break;
    case MoveLeft:
    case MoveRight: {
        QScrollBar* bar = horizontalScrollBar();
        bar->setValue(bar->value() + (action == MoveLeft ? -1 : 1) * bar->singleStep());
        return current;
    }
    }
    return model()->index(std::clamp(target, 0, count - 1), 0, rootIndex());
}

int LogListView::horizontalOffset() const {
    return horizontalScrollBar()->value();
}

int LogListView::verticalOffset() const {
    const qint64 offset = qint64(TopRow()) * rowHeight_;
    return int(std::min<qint64>(offset, std::numeric_limits<int>::max()));
}

void LogListView::setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags flags) {
    const int count = RowCount();
    if (count == 0 || !selectionModel())
        return;
    // Shift+click and Shift+arrows pass a rectangle from the row where the
    // selection started, which may lie above the screen (negative y).
    const QRect area = rect.normalized();
    const qint64 height = std::max(1, rowHeight_);
    auto rowOf = [&](int y) {
        if (wrap_ && y >= 0 && y < viewport()->height())
            if (const int row = RowAt(y); row >= 0)
                return row;
        const qint64 row = TopRow() + (y >= 0 ? y / height : -((-qint64(y) + height - 1) / height));
        return int(std::clamp<qint64>(row, 0, count - 1));
    };
    const int first = rowOf(area.top());
    const int last = rowOf(area.bottom());
    selectionModel()->select(
        QItemSelection(model()->index(first, 0, rootIndex()), model()->index(last, 0, rootIndex())),
        flags);
}

QItemSelectionModel::SelectionFlags LogListView::selectionCommand(const QModelIndex& index,
                                                                  const QEvent* event) const {
    if (!event)
        return index.isValid() ? QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows
                               : QItemSelectionModel::NoUpdate;
    return QAbstractItemView::selectionCommand(index, event);
}

QRegion LogListView::visualRegionForSelection(const QItemSelection& selection) const {
    // Only what is on screen matters, however large the selection.
    const int top = TopRow();
    const int bottom = top + FullRowsVisible(); // and the one cut by the bottom edge
    QRegion region;
    for (const QItemSelectionRange& range : selection) {
        const int first = std::max(range.top(), top);
        const int last = std::min(range.bottom(), bottom);
        if (first <= last)
            region += RowRect(first).united(RowRect(last));
    }
    return region;
}

void LogListView::paintEvent(QPaintEvent* event) {
    if (!model() || !itemDelegate())
        return;
    QPainter painter(viewport());
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QModelIndex current = currentIndex();
    const int count = RowCount();
    const QRect area = event->rect();
    const int height = std::max(1, rowHeight_);
    auto paintRow = [&](int row, const QRect& rect) {
        const QModelIndex index = model()->index(row, 0, rootIndex());
        option.rect = rect;
        option.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
        if (selectionModel() && selectionModel()->isSelected(index))
            option.state |= QStyle::State_Selected;
        if (index == current && hasFocus())
            option.state |= QStyle::State_HasFocus;
        itemDelegate()->paint(&painter, option, index);
    };
    if (wrap_) {
        const int width = viewport()->width();
        qint64 y = 0;
        for (int row = TopRow(); row < count && y <= area.bottom(); ++row) {
            const int rowHeight = RowSpan(row) * height;
            if (y + rowHeight > area.top())
                paintRow(row, QRect(0, int(y), width, rowHeight));
            y += rowHeight;
        }
        return;
    }
    // An area below the last row paints nothing, not the rows from the first on.
    const qint64 first = qint64(TopRow()) + std::max(0, area.top()) / height;
    if (first >= count || area.bottom() < 0)
        return;
    const qint64 last = std::min<qint64>(count - 1, qint64(TopRow()) + area.bottom() / height);
    for (int row = int(first); row <= last; ++row)
        paintRow(row, RowRect(row));
}

void LogListView::initViewItemOption(QStyleOptionViewItem* option) const {
    QAbstractItemView::initViewItemOption(option);
    if (wrap_)
        option->features |= QStyleOptionViewItem::WrapText;
}

void LogListView::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                              const QList<int>& roles) {
    ForgetSpans();
    QAbstractItemView::dataChanged(topLeft, bottomRight, roles);
}

void LogListView::doItemsLayout() {
    if (QAbstractItemDelegate* delegate = itemDelegate()) {
        QStyleOptionViewItem option;
        initViewItemOption(&option);
        const QSize size = delegate->sizeHint(option, QModelIndex());
        rowHeight_ = std::max(1, size.height());
        contentWidth_ = wrap_ ? 0 : std::max(0, size.width());
    }
    ForgetSpans();
    QAbstractItemView::doItemsLayout();
    updateGeometries();
    viewport()->update();
}

void LogListView::reset() {
    ForgetSpans();
    QAbstractItemView::reset();
    // The scroll range must cover the new rows now: a scrollTo right after a
    // bulk load would otherwise be clamped to the top.
    updateGeometries();
}

void LogListView::updateGeometries() {
    const int rows = FullRowsVisible();
    QScrollBar* vertical = verticalScrollBar();
    vertical->setRange(0, LastTopRow());
    vertical->setPageStep(rows);
    vertical->setSingleStep(1);
    QScrollBar* horizontal = horizontalScrollBar();
    horizontal->setRange(0, wrap_ ? 0 : std::max(0, contentWidth_ - viewport()->width()));
    horizontal->setPageStep(viewport()->width());
    horizontal->setSingleStep(std::max(1, rowHeight_));
    QAbstractItemView::updateGeometries();
}

void LogListView::scrollContentsBy(int dx, int dy) {
    // A followed log scrolls by a row or two per line: the rows still on
    // screen are moved, and only the ones that come into view are painted.
    if (!wrap_) {
        ShiftRows(dx == 0 ? dy : std::numeric_limits<int>::max(), viewport()->rect());
        return;
    }
    // Wrapped rows differ in height: the pixels moved are those of the rows
    // that left the screen (scrolled down) or came into it (scrolled up).
    const int rows = std::abs(dy);
    if (dx != 0 || dy == 0 || rows >= FullRowsVisible()) {
        viewport()->update();
        return;
    }
    const int from = dy < 0 ? TopRow() + dy : TopRow();
    qint64 pixels = 0;
    for (int row = from; row < from + rows; ++row)
        pixels += qint64(RowSpan(row)) * std::max(1, rowHeight_);
    if (pixels >= viewport()->height())
        viewport()->update();
    else
        viewport()->scroll(0, int(dy < 0 ? -pixels : pixels), viewport()->rect());
}

void LogListView::verticalScrollbarValueChanged(int value) {
    // The base asks the display server where the pointer is, to update the
    // row under it: a round trip per followed line, of use only when the
    // pointer is over the rows.
    if (viewport()->underMouse())
        QAbstractItemView::verticalScrollbarValueChanged(value);
}

void LogListView::rowsInserted(const QModelIndex& parent, int start, int end) {
    // Rows before the new ones keep their lines; the ones after moved.
    if (end + 1 < RowCount())
        ForgetSpans();
    QAbstractItemView::rowsInserted(parent, start, end);
    // The scroll range only grows. The scroll area answers every change of
    // it by laying out and painting both scroll bars again, which following
    // a log would do with every line; only a bar coming into view needs it.
    QScrollBar* bar = verticalScrollBar();
    const int maximum = LastTopRow();
    const bool quiet = bar->maximum() > bar->minimum() || maximum == bar->minimum();
    const QSignalBlocker block(quiet ? bar : nullptr);
    bar->setMaximum(maximum);
    // The rows from `start` on moved down; rows below the screen change
    // nothing on it.
    const QRect area = viewport()->rect();
    const int y = int(std::clamp<qint64>(RowTop(start), 0, area.bottom() + 1));
    if (y <= area.bottom() && wrap_)
        viewport()->update(QRect(area.left(), y, area.width(), area.bottom() - y + 1));
    else if (y <= area.bottom())
        ShiftRows(end - start + 1, QRect(area.left(), y, area.width(), area.bottom() - y + 1));
}

void LogListView::ShiftRows(int rows, const QRect& area) {
    const qint64 pixels = qint64(rows) * std::max(1, rowHeight_);
    if (rows == 0 || std::abs(pixels) >= area.height())
        viewport()->update(area);
    else
        viewport()->scroll(0, int(pixels), area);
}

void LogListView::rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) {
    QAbstractItemView::rowsAboutToBeRemoved(parent, start, end);
    ForgetSpans();
    viewport()->update();
}

void LogListView::resizeEvent(QResizeEvent* event) {
    ForgetSpans();
    QAbstractItemView::resizeEvent(event);
    updateGeometries();
}

void LogListView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QAbstractItemView::currentChanged(current, previous);
    if (QAccessible::isActive() && current.isValid() && hasFocus()) {
        QAccessibleEvent event(this, QAccessible::Focus);
        event.setChild(current.row());
        QAccessible::updateAccessibility(&event);
    }
}

void LogListView::selectionChanged(const QItemSelection& selected,
                                   const QItemSelection& deselected) {
    QAbstractItemView::selectionChanged(selected, deselected);
    if (!QAccessible::isActive())
        return;
    // Ranges, not indexes: a selection may span millions of rows.
    auto notify = [this](const QItemSelection& rows, QAccessible::Event type) {
        // A row removed with its line has nothing left to announce.
        if (rows.isEmpty() || rows.first().top() < 0 || rows.first().top() >= RowCount())
            return;
        QAccessibleEvent event(this, type);
        event.setChild(rows.first().top());
        QAccessible::updateAccessibility(&event);
    };
    notify(deselected, QAccessible::SelectionRemove);
    notify(selected,
           selectionMode() == SingleSelection ? QAccessible::Selection : QAccessible::SelectionAdd);
}

} // namespace marrowlight
