#pragma once

#include <QAccessibleInterface>
#include <QAccessibleWidget>
#include <QPersistentModelIndex>
#include <QPointer>
#include <vector>

namespace marrowlight {

class LogListView;

// Lets screen readers find LogListView's interface; safe to call repeatedly.
void InstallLogListAccessibility();

// A LogListView as a list whose children are its rows. Row interfaces are
// made on request and only a few are kept, so a list of millions of lines
// costs no more than a short one.
class LogListAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
  public:
    // Row interfaces kept at most; the oldest goes first.
    static constexpr int CachedRows = 256;

    explicit LogListAccessible(LogListView* view);
    ~LogListAccessible() override;

    bool isValid() const override;
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override;
    int selectedCellCount() const override { return selectedRowCount(); }
    QList<QAccessibleInterface*> selectedCells() const override;
    QString columnDescription(int) const override { return {}; }
    QString rowDescription(int) const override { return {}; }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override;
    int columnCount() const override { return 1; }
    int rowCount() const override;
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override;
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int row) const override;
    bool selectRow(int row) override;
    bool selectColumn(int) override { return false; }
    bool unselectRow(int row) override;
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent* event) override;

    // Row interfaces alive now, for tests of the cache bound.
    int CachedRowCount() const { return int(rows_.size()); }

  private:
    LogListView* View() const;
    void DropStaleRows() const;

    mutable std::vector<QAccessible::Id> rows_; // oldest first
};

// One row of a LogListView. It follows its line when lines arrive above it
// and turns invalid when the line goes.
class LogRowAccessible : public QAccessibleInterface, public QAccessibleTableCellInterface {
  public:
    LogRowAccessible(LogListView* view, const QModelIndex& index);

    bool isValid() const override;
    QObject* object() const override { return nullptr; }
    QWindow* window() const override;
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    bool isSelected() const override;
    QList<QAccessibleInterface*> columnHeaderCells() const override { return {}; }
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return 0; }
    int rowIndex() const override { return index_.row(); }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override { return parent(); }

  private:
    QPointer<LogListView> view_;
    QPersistentModelIndex index_;
};

} // namespace marrowlight
