#pragma once

#include <QAbstractItemView>
#include <QHash>

namespace marrowlight {

// A list of rows of one fixed height, for logs of tens of millions of lines.
// Appending, inserting at the top, scrolling and painting cost the same
// whatever the row count: positions are worked out, never laid out row by
// row as QListView does on every insertion. Row height and width (the
// horizontal extent) come from the delegate's sizeHint.
//
// Wrapped, a row takes as many lines of that height as its text needs at the
// list's width (at most a screen's worth), asked of the delegate's sizeHint
// for the rows on screen only. The scroll range still counts rows, so its
// cost does not grow with the log either.
class LogListView : public QAbstractItemView {
    Q_OBJECT

  public:
    explicit LogListView(QWidget* parent = nullptr);

    QRect visualRect(const QModelIndex& index) const override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    QModelIndex indexAt(const QPoint& point) const override;
    // Matching typed text would read back every row of the log.
    void keyboardSearch(const QString&) override {}

    int RowHeight() const { return rowHeight_; }
    int TopRow() const;
    int FullRowsVisible() const;

    // Rows wrapped at the list's width, scrolled by row, never sideways.
    void SetWrapping(bool on);
    bool Wrapping() const { return wrap_; }
    // The lines a row takes: 1 unless wrapped.
    int RowSpan(int row) const;

  public slots:
    void doItemsLayout() override;
    void reset() override;

  protected slots:
    void verticalScrollbarValueChanged(int value) override;

  protected:
    void initViewItemOption(QStyleOptionViewItem* option) const override;
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QList<int>& roles = QList<int>()) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    // Rows are never edited. The base builds a style option and asks the
    // delegate at every change of the current row: once per followed line.
    bool edit(const QModelIndex&, EditTrigger, QEvent*) override { return false; }
    int horizontalOffset() const override;
    int verticalOffset() const override;
    bool isIndexHidden(const QModelIndex&) const override { return false; }
    void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags flags) override;
    // A row made current by the program, not by a key or a click, is selected
    // alone, whatever keys happen to be held.
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;
    QRegion visualRegionForSelection(const QItemSelection& selection) const override;
    void paintEvent(QPaintEvent* event) override;
    void updateGeometries() override;
    void scrollContentsBy(int dx, int dy) override;
    void rowsInserted(const QModelIndex& parent, int start, int end) override;
    void rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) override;
    void resizeEvent(QResizeEvent* event) override;
    // Screen readers hear the focused line as the focused row and through the
    // view's description.
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void selectionChanged(const QItemSelection& selected,
                          const QItemSelection& deselected) override;

  private:
    int RowCount() const;
    // Moves what `area` shows by `rows` rows, repainting only what comes
    // into view; too far a move repaints all of it.
    void ShiftRows(int rows, const QRect& area);
    int RowAt(int y) const;
    QRect RowRect(int row) const;
    // Pixels from the top of the viewport to the row's top.
    qint64 RowTop(int row) const;
    // The top row that shows `row` whole at the bottom of the screen.
    int TopShowingAtBottom(int row) const;
    int LastTopRow() const;
    void ForgetSpans() const { spans_.clear(); }

    int rowHeight_ = 15;
    int contentWidth_ = 0;
    bool wrap_ = false;
    mutable QHash<int, int> spans_; // the lines of rows asked since the last change
};

} // namespace marrowlight
