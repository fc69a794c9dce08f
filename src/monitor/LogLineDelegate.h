#pragma once

#include <QStyledItemDelegate>
#include <memory>

namespace marrowlight {

class LineDrawer;
class SearchPattern;

// Paints the rows of one log list through DrawListRow. Every row has the
// same size: the fixed item height and the list's horizontal extent, so the
// view scrolls sideways as far as the longest line read. Wrapped (the option's
// WrapText), a row takes as many item heights as its lines.
class LogLineDelegate : public QStyledItemDelegate {
    Q_OBJECT

  public:
    LogLineDelegate(const LineDrawer& drawer, QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // size * 12 / 10 + 6 pixels for a font of size points.
    static int ItemHeightForSize(int size);

    int ItemHeight() const { return itemHeight_; }
    void SetItemHeight(int height);
    int ExtentWidth() const { return extentWidth_; }
    void SetExtentWidth(int width);

    // The text marked in every row drawn; none when null.
    void SetFound(std::shared_ptr<const SearchPattern> pattern) { found_ = std::move(pattern); }
    const SearchPattern* Found() const { return found_.get(); }

  private:
    const LineDrawer& drawer_;
    std::shared_ptr<const SearchPattern> found_;
    int itemHeight_ = 15;
    int extentWidth_ = 0;
};

} // namespace marrowlight
