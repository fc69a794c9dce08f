#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QWidget;

namespace marrowlight {

// The file-open dialog as a lasting object: it remembers the chosen file and
// filter between uses, so the form-state walk can store both. The filter
// index counts from 1.
class OpenFileDialog : public QObject {
    Q_OBJECT
  public:
    explicit OpenFileDialog(QObject* owner = nullptr);

    QString title;
    QStringList nameFilters; // "Log files (*.log)", "All files (*)"
    QString fileName;
    int filterIndex = 1;

    // Runs the dialog modally; true when a file was chosen.
    bool Execute(QWidget* parent = nullptr);
};

} // namespace marrowlight
