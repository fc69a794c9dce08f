#include "settings/OpenFileDialog.h"

#include <QFileDialog>

namespace marrowlight {

OpenFileDialog::OpenFileDialog(QObject* owner) : QObject(owner) {}

bool OpenFileDialog::Execute(QWidget* parent) {
    QFileDialog dialog(parent, title);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (!nameFilters.isEmpty()) {
        dialog.setNameFilters(nameFilters);
        if (filterIndex >= 1 && filterIndex <= nameFilters.size())
            dialog.selectNameFilter(nameFilters.at(filterIndex - 1));
    }
    if (!fileName.isEmpty())
        dialog.selectFile(fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    fileName = dialog.selectedFiles().constFirst();
    const int chosen = nameFilters.indexOf(dialog.selectedNameFilter());
    if (chosen >= 0)
        filterIndex = chosen + 1;
    return true;
}

} // namespace marrowlight
