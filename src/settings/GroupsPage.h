#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace marrowlight {

class ColorListBox;

// The "Groups" page: caption, colour, sound and keywords of each display group.
class GroupsPage : public QWidget {
    Q_OBJECT
  public:
    explicit GroupsPage(QWidget* parent = nullptr);

    QLineEdit* NameField[3] = {};
    ColorListBox* ColorList[3] = {};
    QComboBox* SoundList[3] = {};
    QLineEdit* KeywordsField[3] = {};
    // A desktop notification when lines of the group come.
    QCheckBox* NotifyBox[3] = {};
};

} // namespace marrowlight
