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

    QLineEdit* LogFolderEdt;
    QPushButton* BrowseBtn;
    QCheckBox *MatchMaskChk, *MatchWildcardsChk, *MatchDateChk;
    QLineEdit *FileMasksEdt, *MatchWildcardsEdt;
};

} // namespace marrowlight
