#pragma once

#include <QColor>
#include <QComboBox>

namespace marrowlight {

// The sixteen standard colours, each with a swatch and its name. Stored by
// position; readers take SelectedColor().
class ColorListBox : public QComboBox {
    Q_OBJECT
  public:
    explicit ColorListBox(QWidget* parent = nullptr);
    // Black when nothing is selected.
    QColor SelectedColor() const;
    static QColor ColorAt(int index);
};

} // namespace marrowlight
