#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QRadioButton;

namespace marrowlight {

class FontListBox;

// The "Display" page: the line gutter, how much of a log is shown, the font.
class DisplayPage : public QWidget {
    Q_OBJECT
  public:
    explicit DisplayPage(QWidget* parent = nullptr);

    QCheckBox *ShowLineTimeBox, *ShowLineNumbersBox, *LastEntriesAtTopBox;
    QComboBox* LineTimeFormatList;
    QRadioButton *AllLogLinesButton, *AddedLogLinesButton;
    FontListBox* FontList;
    QComboBox* FontSizeList;
};

} // namespace marrowlight
