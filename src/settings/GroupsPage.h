#pragma once

#include <QWidget>

class QComboBox;
class QLineEdit;

namespace marrowlight {

class ColorListBox;

// The "Groups" page: caption, colour, sound and keywords of each display group.
class GroupsPage : public QWidget {
    Q_OBJECT
  public:
    explicit GroupsPage(QWidget* parent = nullptr);

    QLineEdit* NameEdt[3] = {};
    ColorListBox* ColorCBx[3] = {};
    QComboBox* SoundCBx[3] = {};
    QLineEdit* Edt[3] = {};
};

} // namespace marrowlight
