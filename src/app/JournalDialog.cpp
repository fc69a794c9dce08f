#include "app/JournalDialog.h"

#include "monitor/core/JournalProducer.h"
#include "settings/FolderBrowseDialog.h"
#include "settings/PageAccessKeys.h"
#include "support/core/AccessKeys.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QVBoxLayout>

namespace marrowlight {
namespace {

const QString DefaultFolder = QStringLiteral("/var/log/journal/remote");

// Labels with a field, boxes, radio and push buttons: each gets a key of
// its own, the push buttons included, which the pages' rule leaves out.
void AssignDialogAccessKeys(QWidget& dialog) {
    std::vector<QWidget*> captioned;
    std::vector<MenuCaption> captions;
    for (QWidget* widget : dialog.findChildren<QWidget*>()) {
        const auto* label = qobject_cast<QLabel*>(widget);
        if ((label && label->buddy()) || qobject_cast<QAbstractButton*>(widget)) {
            captioned.push_back(widget);
            captions.push_back({widget->property("text").toString().toStdString()});
        }
    }
    const std::vector<std::string> keyed = AssignAccessKeys(captions);
    for (std::size_t k = 0; k < keyed.size(); ++k)
        captioned[k]->setProperty("text", QString::fromStdString(keyed[k]));
}

QString QuotedPaths(const QStringList& paths) {
    if (paths.size() == 1)
        return paths.front();
    QStringList quoted;
    for (const QString& path : paths)
        quoted << QLatin1Char('"') + path + QLatin1Char('"');
    return quoted.join(QLatin1Char(' '));
}

} // namespace

std::vector<std::string> PathsOfField(const QString& text) {
    const QString trimmed = text.trimmed();
    std::vector<std::string> paths;
    if (trimmed.startsWith(QLatin1Char('"'))) {
        static const QRegularExpression quoted(QStringLiteral("\"([^\"]*)\""));
        for (const QRegularExpressionMatch& m : quoted.globalMatch(trimmed)) {
            if (!m.captured(1).isEmpty())
                paths.push_back(QFile::encodeName(m.captured(1)).toStdString());
        }
    } else if (!trimmed.isEmpty()) {
        paths.push_back(QFile::encodeName(trimmed).toStdString());
    }
    return paths;
}

JournalDialog::JournalDialog(QWidget* parent) : QDialog(parent), ListHosts(JournalHosts) {
    setObjectName("JournalDlg");
    setWindowTitle("Open Journal");

    ThisMachineButton = new QRadioButton("This machine", this);
    ThisMachineButton->setChecked(true);
    UnitsField = new QLineEdit(this);
    UnitsField->setPlaceholderText("all units");
    UnitsField->setToolTip("Unit names separated by commas or blanks, e.g. nginx.service");
    auto* unitsLabel = BuddyLabel("Units:", UnitsField, this);

    FilesButton = new QRadioButton("Journal files", this);
    PathsField = new QLineEdit(DefaultFolder, this);
    PathsField->setToolTip("A folder of journal files, or files each in double quotes");
    auto* pathsLabel = BuddyLabel("Folder or files:", PathsField, this);
    FolderButton = new QPushButton("Folder\u2026", this);
    FolderButton->setAccessibleName("Choose a folder of journal files");
    FilesBrowseButton = new QPushButton("Files\u2026", this);
    FilesBrowseButton->setAccessibleName("Choose journal files");
    TabPerMachineBox = new QCheckBox("A tab per machine", this);

    PriorityList = new QComboBox(this);
    PriorityList->addItem("All entries", -1);
    const char* const names[] = {"Emergency only",       "Alert and worse",   "Critical and worse",
                                 "Error and worse",      "Warning and worse", "Notice and worse",
                                 "Information and worse"};
    for (int p = 0; p < 7; ++p)
        PriorityList->addItem(names[p], p);
    auto* priorityLabel = BuddyLabel("Highest priority shown:", PriorityList, this);

    auto* buttons = new QDialogButtonBox(this);
    OpenButton = buttons->addButton("Open", QDialogButtonBox::AcceptRole);
    OpenButton->setDefault(true);
    CancelButton = buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    // Indented under their choice, in the order Tab walks them.
    auto* grid = new QGridLayout;
    grid->setColumnMinimumWidth(0, 16);
    grid->addWidget(ThisMachineButton, 0, 0, 1, 4);
    grid->addWidget(unitsLabel, 1, 1);
    grid->addWidget(UnitsField, 1, 2, 1, 2);
    grid->addWidget(FilesButton, 2, 0, 1, 4);
    grid->addWidget(pathsLabel, 3, 1);
    grid->addWidget(PathsField, 3, 2, 1, 2);
    auto* browse = new QHBoxLayout;
    browse->addWidget(FolderButton);
    browse->addWidget(FilesBrowseButton);
    browse->addStretch();
    grid->addLayout(browse, 4, 2, 1, 2);
    grid->addWidget(TabPerMachineBox, 5, 2, 1, 2);
    grid->addWidget(priorityLabel, 6, 0, 1, 2);
    grid->addWidget(PriorityList, 6, 2);
    grid->setColumnStretch(3, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addStretch();
    layout->addWidget(buttons);
    setMinimumWidth(460);

    for (QRadioButton* button : {ThisMachineButton, FilesButton})
        connect(button, &QRadioButton::toggled, this, &JournalDialog::UpdateControls);
    connect(PathsField, &QLineEdit::textChanged, this, &JournalDialog::UpdateControls);
    connect(FolderButton, &QPushButton::clicked, this, &JournalDialog::BrowseFolder);
    connect(FilesBrowseButton, &QPushButton::clicked, this, &JournalDialog::BrowseFiles);

    AssignDialogAccessKeys(*this);
    UpdateControls();
}

void JournalDialog::UpdateControls() {
    const bool files = FilesButton->isChecked();
    UnitsField->setEnabled(!files);
    for (QWidget* w : std::initializer_list<QWidget*>{PathsField, FolderButton, FilesBrowseButton,
                                                      TabPerMachineBox})
        w->setEnabled(files);
    OpenButton->setEnabled(!files || !PathsOfField(PathsField->text()).empty());
}

void JournalDialog::BrowseFolder() {
    const std::vector<std::string> now = PathsOfField(PathsField->text());
    const QString start = now.size() == 1 ? QFile::decodeName(now.front().c_str()) : DefaultFolder;
    if (const std::optional<QString> folder = FolderBrowseDialog::Browse(this, start))
        PathsField->setText(*folder);
}

void JournalDialog::BrowseFiles() {
    const std::vector<std::string> now = PathsOfField(PathsField->text());
    QString start = now.empty() ? DefaultFolder : QFile::decodeName(now.front().c_str());
    if (!QFileInfo(start).isDir())
        start = QFileInfo(start).absolutePath();
    const QStringList files = QFileDialog::getOpenFileNames(
        this, "Journal Files", start, "Journal files (*.journal *.journal~);;All files (*)");
    if (!files.isEmpty())
        PathsField->setText(QuotedPaths(files));
}

std::vector<JournalSource> JournalDialog::Sources() const {
    JournalSource source;
    const int priority = PriorityList->currentData().toInt();
    if (priority >= 0)
        source.MaxPriority = priority;
    if (!FilesButton->isChecked()) {
        static const QRegularExpression separators(QStringLiteral("[,\\s]+"));
        for (const QString& unit : UnitsField->text().split(separators, Qt::SkipEmptyParts))
            source.Units.push_back(unit.toStdString());
        return {source};
    }
    source.SourceKind = JournalSource::Kind::Files;
    source.Paths = PathsOfField(PathsField->text());
    if (source.Paths.empty())
        return {};
    if (!TabPerMachineBox->isChecked())
        return {source};
    std::vector<JournalSource> perMachine;
    for (const std::string& host : ListHosts(source)) {
        JournalSource one = source;
        one.Host = host;
        perMachine.push_back(std::move(one));
    }
    // Files with no machine yet: one tab that shows them when they come.
    if (perMachine.empty())
        perMachine.push_back(source);
    return perMachine;
}

} // namespace marrowlight
