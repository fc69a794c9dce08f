#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
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
    // Each keyword of the group is a regular expression.
    QCheckBox* RegexBox[3] = {};
    // Why group g's (0..2) keywords were refused; hidden while there is none.
    QLabel* KeywordsProblem[3] = {};

    // Shows why group g's (0..2) keywords cannot be used, or clears it
    // (empty text). The field carries it too, for screen readers.
    void ShowKeywordsProblem(int g, const QString& text);
    // A desktop notification when lines of the group come.
    QCheckBox* NotifyBox[3] = {};
};

} // namespace marrowlight
