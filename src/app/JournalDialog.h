#pragma once

#include "monitor/core/JournalAddress.h"

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace marrowlight {

// File → Open Journal: this machine's journal (some units, a highest
// priority) or journal files (a folder or files, one tab or one per machine).
class JournalDialog : public QDialog {
    Q_OBJECT
  public:
    explicit JournalDialog(QWidget* parent = nullptr);

    // The tabs the choices open, in order; empty while they name nothing.
    std::vector<JournalSource> Sources() const;
    QRadioButton* ThisMachineButton = nullptr;
    QLineEdit* UnitsField = nullptr;
    QRadioButton* FilesButton = nullptr;
    QLineEdit* PathsField = nullptr;
    QPushButton* FolderButton = nullptr;
    QPushButton* FilesBrowseButton = nullptr;
    QCheckBox* TabPerMachineBox = nullptr;
    QComboBox* PriorityList = nullptr;
    QPushButton* OpenButton = nullptr;
    QPushButton* CancelButton = nullptr;

    // The machines of some journal files; tests put in a list of their own.
    std::function<std::vector<std::string>(const JournalSource&)> ListHosts;

  private:
    void UpdateControls();
    void BrowseFolder();
    void BrowseFiles();
};

// The paths a field holds: one path as typed, or several each in double
// quotes as a file dialog writes them ("a.journal" "b.journal").
std::vector<std::string> PathsOfField(const QString& text);

} // namespace marrowlight
