#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QFileDialog;
class QWidget;

namespace marrowlight {

// The file-open dialog as a lasting object: it remembers the chosen file and
// filter between uses, so the next use offers them again and the form-state
// walk can store both. The filter index counts from 1.
class OpenFileDialog : public QObject {
    Q_OBJECT
  public:
    explicit OpenFileDialog(QObject* owner = nullptr);

    QString title;
    QStringList nameFilters; // "Log files (*.log)", "All files (*)"
    QString fileName;
    int filterIndex = 1;
    // Where the dialog starts while no file has been chosen yet.
    QString directory;
    // Added, with a dot, to a typed name that has no extension and names no
    // existing file; a chosen file is taken as it is.
    QString defaultExtension;
    // When false, a name that does not exist (yet) is accepted as well.
    bool fileMustExist = true;

    // Runs the dialog modally; true when a file was chosen.
    bool Execute(QWidget* parent = nullptr);
    // Execute() in two steps, for tests that cannot run a modal loop.
    void Prepare(QFileDialog& dialog) const;
    bool Finish(const QFileDialog& dialog, int result);
};

} // namespace marrowlight
