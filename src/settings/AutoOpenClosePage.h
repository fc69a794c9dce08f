#pragma once

#include <QWidget>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace marrowlight {

// The "Automated Open && Close" page: watched folders and the file masks.
class AutoOpenClosePage : public QWidget {
    Q_OBJECT
  public:
    explicit AutoOpenClosePage(QWidget* parent = nullptr);

    QLineEdit* LogFolderField;
    QPushButton* BrowseButton;
    QCheckBox *MatchMaskBox, *MatchWildcardsBox, *MatchDateBox;
    QLineEdit *FileMasksField, *WildcardMasksField;
};

} // namespace marrowlight
