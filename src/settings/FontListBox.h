#pragma once

#include <QComboBox>

class QPainter;
class QRect;

namespace marrowlight {

// Scalable families that cover Western text, sorted without case, each entry
// drawn in its own face.
class FontListBox : public QComboBox {
    Q_OBJECT
  public:
    static constexpr int ItemHeight = 20;

    explicit FontListBox(QWidget* parent = nullptr);
    // Empties the list and fills it from the installed families.
    void FillFamilies();
    // Draws entry `index` into `rect`; the background brush is already chosen
    // by the caller (normal or selected).
    void DrawFontItem(QPainter& painter, const QRect& rect, int index, const QBrush& background,
                      const QColor& textColor) const;
};

} // namespace marrowlight
