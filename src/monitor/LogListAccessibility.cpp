#include "monitor/LogListAccessibility.h"

#include "monitor/LogListView.h"

#include <QItemSelectionModel>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace marrowlight {

namespace {

QAccessibleInterface* CreateInterface(const QString&, QObject* object) {
    if (auto* view = qobject_cast<LogListView*>(object))
        return new LogListAccessible(view);
    return nullptr;
}

LogRowAccessible* RowOf(QAccessible::Id id) {
    return static_cast<LogRowAccessible*>(QAccessible::accessibleInterface(id));
}

} // namespace

void InstallLogListAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(&CreateInterface);
        return true;
    }();
    Q_UNUSED(installed);
}

// ---- the list ----

LogListAccessible::LogListAccessible(LogListView* view)
    : QAccessibleWidget(view, QAccessible::List) {}

LogListAccessible::~LogListAccessible() {
    for (QAccessible::Id id : rows_)
        QAccessible::deleteAccessibleInterface(id);
}

LogListView* LogListAccessible::View() const {
    return static_cast<LogListView*>(widget());
}

bool LogListAccessible::isValid() const {
    return QAccessibleWidget::isValid() && View();
}

int LogListAccessible::rowCount() const {
    const LogListView* view = View();
    return view && view->model() ? view->model()->rowCount(view->rootIndex()) : 0;
}

int LogListAccessible::childCount() const {
    return rowCount();
}

QAccessibleInterface* LogListAccessible::child(int index) const {
    return cellAt(index, 0);
}

QAccessibleInterface* LogListAccessible::cellAt(int row, int column) const {
    LogListView* view = View();
    if (column != 0 || row < 0 || row >= rowCount())
        return nullptr;
    // A row's interface follows its line, so it is found by its current row.
    // Rows asked for again go to the back, so a reader's recent rows stay alive.
    for (auto it = rows_.begin(); it != rows_.end(); ++it) {
        LogRowAccessible* cached = RowOf(*it);
        if (cached && cached->isValid() && cached->rowIndex() == row) {
            std::rotate(it, it + 1, rows_.end());
            return cached;
        }
    }
    DropStaleRows();
    auto* created = new LogRowAccessible(view, view->model()->index(row, 0, view->rootIndex()));
    rows_.push_back(QAccessible::registerAccessibleInterface(created));
    if (int(rows_.size()) > CachedRows) {
        QAccessible::deleteAccessibleInterface(rows_.front());
        rows_.erase(rows_.begin());
    }
    return created;
}

void LogListAccessible::DropStaleRows() const {
    auto stale = [](QAccessible::Id id) {
        LogRowAccessible* row = RowOf(id);
        if (row && row->isValid())
            return false;
        if (row)
            QAccessible::deleteAccessibleInterface(id);
        return true;
    };
    rows_.erase(std::remove_if(rows_.begin(), rows_.end(), stale), rows_.end());
}

int LogListAccessible::indexOfChild(const QAccessibleInterface* child) const {
    const auto* row = dynamic_cast<const LogRowAccessible*>(child);
    if (!row || !row->isValid() || row->table() != this)
        return -1;
    return row->rowIndex();
}

QAccessibleInterface* LogListAccessible::childAt(int x, int y) const {
    LogListView* view = View();
    if (!view)
        return nullptr;
    const QModelIndex index = view->indexAt(view->viewport()->mapFromGlobal(QPoint(x, y)));
    return index.isValid() ? child(index.row()) : nullptr;
}

QAccessibleInterface* LogListAccessible::focusChild() const {
    LogListView* view = View();
    if (!view || !view->hasFocus() || !view->currentIndex().isValid())
        return nullptr;
    return child(view->currentIndex().row());
}

void* LogListAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TableInterface)
        return static_cast<QAccessibleTableInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

int LogListAccessible::selectedRowCount() const {
    const LogListView* view = View();
    if (!view || !view->selectionModel())
        return 0;
    int count = 0;
    for (const QItemSelectionRange& range : view->selectionModel()->selection())
        count += range.height();
    return count;
}

QList<int> LogListAccessible::selectedRows() const {
    // A reader asking for a huge selection gets its first rows, not millions.
    QList<int> rows;
    const LogListView* view = View();
    if (!view || !view->selectionModel())
        return rows;
    for (const QItemSelectionRange& range : view->selectionModel()->selection())
        for (int row = range.top(); row <= range.bottom() && rows.size() < CachedRows; ++row)
            rows.push_back(row);
    std::sort(rows.begin(), rows.end());
    return rows;
}

QList<QAccessibleInterface*> LogListAccessible::selectedCells() const {
    QList<QAccessibleInterface*> cells;
    for (int row : selectedRows())
        if (QAccessibleInterface* cell = cellAt(row, 0))
            cells.push_back(cell);
    return cells;
}

bool LogListAccessible::isRowSelected(int row) const {
    const LogListView* view = View();
    if (!view || !view->selectionModel() || row < 0 || row >= rowCount())
        return false;
    return view->selectionModel()->isRowSelected(row, view->rootIndex());
}

bool LogListAccessible::selectRow(int row) {
    LogListView* view = View();
    if (!view || !view->selectionModel() || row < 0 || row >= rowCount() ||
        view->selectionMode() == QAbstractItemView::NoSelection)
        return false;
    const QModelIndex index = view->model()->index(row, 0, view->rootIndex());
    const bool single = view->selectionMode() == QAbstractItemView::SingleSelection;
    view->selectionModel()->select(
        index, (single ? QItemSelectionModel::ClearAndSelect : QItemSelectionModel::Select) |
                   QItemSelectionModel::Rows);
    return true;
}

bool LogListAccessible::unselectRow(int row) {
    LogListView* view = View();
    if (!view || !view->selectionModel() || !isRowSelected(row))
        return false;
    view->selectionModel()->select(view->model()->index(row, 0, view->rootIndex()),
                                   QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    return true;
}

void LogListAccessible::modelChange(QAccessibleTableModelChangeEvent*) {
    // Row interfaces track their lines; only the ones whose line went are dropped.
    DropStaleRows();
}

// ---- one row ----

LogRowAccessible::LogRowAccessible(LogListView* view, const QModelIndex& index)
    : view_(view), index_(index) {}

bool LogRowAccessible::isValid() const {
    return view_ && index_.isValid() && index_.model() == view_->model();
}

QWindow* LogRowAccessible::window() const {
    return view_ ? view_->window()->windowHandle() : nullptr;
}

QAccessibleInterface* LogRowAccessible::parent() const {
    return view_ ? QAccessible::queryAccessibleInterface(view_.data()) : nullptr;
}

QString LogRowAccessible::text(QAccessible::Text t) const {
    if (!isValid())
        return {};
    switch (t) {
    case QAccessible::Name: {
        QString text = index_.data(Qt::AccessibleTextRole).toString();
        if (text.isEmpty())
            text = index_.data(Qt::DisplayRole).toString();
        // A zero byte would end the text on the accessibility bus; the row
        // reads on as drawn, with the symbol for NUL.
        return text.replace(QChar(0), QChar(0x2400));
    }
    case QAccessible::Description:
        return index_.data(Qt::AccessibleDescriptionRole).toString();
    default:
        return {};
    }
}

QRect LogRowAccessible::rect() const {
    if (!isValid())
        return {};
    const QRect r = view_->visualRect(index_);
    return QRect(view_->viewport()->mapToGlobal(r.topLeft()), r.size());
}

QAccessible::State LogRowAccessible::state() const {
    QAccessible::State s;
    if (!isValid()) {
        s.invalid = true;
        return s;
    }
    s.focusable = true;
    s.selectable = view_->selectionMode() != QAbstractItemView::NoSelection;
    s.selected = isSelected();
    s.focused = view_->hasFocus() && view_->currentIndex() == index_;
    s.offscreen =
        !view_->isVisible() || !view_->viewport()->rect().intersects(view_->visualRect(index_));
    return s;
}

void* LogRowAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TableCellInterface)
        return static_cast<QAccessibleTableCellInterface*>(this);
    return nullptr;
}

bool LogRowAccessible::isSelected() const {
    return isValid() && view_->selectionModel() && view_->selectionModel()->isSelected(index_);
}

} // namespace marrowlight
