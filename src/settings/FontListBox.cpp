#include "settings/FontListBox.h"

#include <QAbstractItemView>
#include <QFontDatabase>
#include <QPainter>
#include <QStyledItemDelegate>
#include <algorithm>

namespace marrowlight {

namespace {
class FontItemDelegate : public QStyledItemDelegate {
  public:
    explicit FontItemDelegate(FontListBox* list) : QStyledItemDelegate(list), list_(list) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const bool selected = option.state & QStyle::State_Selected;
        const QPalette& pal = option.palette;
        list_->DrawFontItem(*painter, option.rect, index.row(),
                            selected ? pal.highlight() : pal.base(),
                            selected ? pal.highlightedText().color() : pal.text().color());
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(FontListBox::ItemHeight);
        return size;
    }

  private:
    FontListBox* list_;
};
} // namespace

FontListBox::FontListBox(QWidget* parent) : QComboBox(parent) {
    setItemDelegate(new FontItemDelegate(this));
}

void FontListBox::FillFamilies() {
    QStringList families;
    for (const QString& family : QFontDatabase::families()) {
        if (QFontDatabase::isScalable(family) &&
            QFontDatabase::writingSystems(family).contains(QFontDatabase::Latin))
            families.append(family);
    }
    std::sort(families.begin(), families.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    families.removeDuplicates();
    clear();
    addItems(families);
}

void FontListBox::DrawFontItem(QPainter& painter, const QRect& rect, int index,
                               const QBrush& background, const QColor& textColor) const {
    painter.save();
    painter.fillRect(rect, background);
    if (index >= 0 && index < count()) {
        QFont face = font();
        face.setFamily(itemText(index));
        painter.setFont(face);
        painter.setPen(textColor);
        const QRect textRect = rect.adjusted(2, 1, 0, 0);
        painter.drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                         itemText(index));
    }
    painter.restore();
}

} // namespace marrowlight
