#include "settings/ColorListBox.h"

#include "settings/core/ColorTable.h"

#include <QPainter>
#include <QPixmap>

namespace marrowlight {

namespace {
QIcon Swatch(const QColor& color) {
    QPixmap pixmap(16, 12);
    pixmap.fill(color);
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    painter.drawRect(0, 0, pixmap.width() - 1, pixmap.height() - 1);
    return QIcon(pixmap);
}
} // namespace

ColorListBox::ColorListBox(QWidget* parent) : QComboBox(parent) {
    const auto& table = ColorTable();
    for (int i = 0; i < static_cast<int>(table.size()); ++i)
        addItem(Swatch(ColorAt(i)), QString::fromLatin1(table[static_cast<std::size_t>(i)].name));
}

QColor ColorListBox::ColorAt(int index) {
    const auto& table = ColorTable();
    if (index < 0 || index >= static_cast<int>(table.size()))
        return QColor(Qt::black);
    const std::uint32_t bgr = table[static_cast<std::size_t>(index)].bgr;
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

QColor ColorListBox::SelectedColor() const {
    return ColorAt(currentIndex());
}

} // namespace marrowlight
