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

    QCheckBox *ShowLineTimeChk, *ShowLineNumbersChk, *LastEntriesAtTopChk;
    QComboBox* LogLineTimeMaskCbx;
    QRadioButton *AllLogLinesRdo, *AddedLogLinesRdo;
    FontListBox* FontsCBx;
    QComboBox* FontSizeCBx;
};

} // namespace marrowlight
