#include "settings/OpenFileDialog.h"

#include <QFileDialog>
#include <QFileInfo>

namespace marrowlight {

OpenFileDialog::OpenFileDialog(QObject* owner) : QObject(owner) {}

bool OpenFileDialog::Execute(QWidget* parent) {
    QFileDialog dialog(parent);
    Prepare(dialog);
    return Finish(dialog, dialog.exec());
}

void OpenFileDialog::Prepare(QFileDialog& dialog) const {
    // An empty title would also take away the dialog's own "Open".
    if (!title.isEmpty())
        dialog.setWindowTitle(title);
    dialog.setFileMode(fileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (!nameFilters.isEmpty()) {
        dialog.setNameFilters(nameFilters);
        if (filterIndex >= 1 && filterIndex <= nameFilters.size())
            dialog.selectNameFilter(nameFilters.at(filterIndex - 1));
    }
    if (!directory.isEmpty())
        dialog.setDirectory(directory);
    // A full path also takes the dialog to the file's folder.
    if (!fileName.isEmpty())
        dialog.selectFile(fileName);
}

bool OpenFileDialog::Finish(const QFileDialog& dialog, int result) {
    if (result != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    fileName = dialog.selectedFiles().constFirst();
    // Not QFileDialog's default suffix: it would turn an existing "syslog"
    // into "syslog.log", a file that is not there.
    const QFileInfo chosen(fileName);
    if (!defaultExtension.isEmpty() && !chosen.exists() && !chosen.fileName().contains('.'))
        fileName += QLatin1Char('.') + defaultExtension;
    const int chosenFilter = nameFilters.indexOf(dialog.selectedNameFilter());
    if (chosenFilter >= 0)
        filterIndex = chosenFilter + 1;
    return true;
}

} // namespace marrowlight
