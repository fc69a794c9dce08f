#include "settings/AutoOpenClosePage.h"

#include "settings/PageAccessKeys.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace marrowlight {

namespace {
const char* const SeparatorNote = "Use ; (semicolon) to separate multiple entries, for example:";
#ifdef _WIN32
const char* const FolderExample = "c:\\Logs;c:\\Program Files\\My Application\\Log Files";
#else
const char* const FolderExample = "/var/log;/home/me/logs";
#endif

// An edit under a check box is announced by the check box's caption.
void NameAfter(QLineEdit* field, const QCheckBox* check) {
    field->setAccessibleName(check->text());
}

QLabel* Note(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setIndent(20);
    return label;
}
} // namespace

AutoOpenClosePage::AutoOpenClosePage(QWidget* parent) : QWidget(parent) {
    setObjectName("AutoOpenCloseTab");
    auto* page = new QVBoxLayout(this);
    auto* box = new QGroupBox("Open Logs Automatically", this);
    box->setObjectName("GroupBox7");
    auto* grid = new QGridLayout(box);
    int row = 0;

    LogFolderField = new QLineEdit(box);
    LogFolderField->setObjectName("LogFolderEdt");
    AllowLongList(LogFolderField);
    BrowseButton = new QPushButton("...", box);
    BrowseButton->setObjectName("BrowseBtn");
    BrowseButton->setToolTip("Browse Folders");
    BrowseButton->setAccessibleName("Browse for a folder");
    BrowseButton->setAutoDefault(false);
    QFont bold = BrowseButton->font();
    bold.setBold(true);
    BrowseButton->setFont(bold);
    BrowseButton->setFixedWidth(BrowseButton->sizeHint().height() + 8);
    grid->addWidget(BuddyLabel("From folder(s):", LogFolderField, box), row++, 0, 1, 2);
    grid->addWidget(LogFolderField, row, 0);
    grid->addWidget(BrowseButton, row++, 1);
    grid->addWidget(
        Note(QString(SeparatorNote) + "\n" + FolderExample +
                 "\nTo edit one of the entries, place the cursor between its semicolons "
                 "and click the Browse button.",
             box),
        row++, 0, 1, 2);

    MatchMaskBox = new QCheckBox("If file name matches one of the date masks:", box);
    MatchMaskBox->setObjectName("MatchMaskChk");
    FileMasksField = new QLineEdit("yyyymmdd.log;exyymmdd.log", box);
    FileMasksField->setObjectName("FileMasksEdt");
    AllowLongList(FileMasksField);
    NameAfter(FileMasksField, MatchMaskBox);
    grid->addWidget(MatchMaskBox, row++, 0, 1, 2);
    grid->addWidget(FileMasksField, row++, 0, 1, 2);
    grid->addWidget(Note(QString(SeparatorNote) +
                             "\nyyyymmdd.log;exyymmdd.log\n"
                             "dd -   stands for the day of the current date, as 2 digits\n"
                             "mm - stands for the month of the current date, as 2 digits\n"
                             "yy -   stands for the current year, as 2 digits\n"
                             "yyyy -stands for the current year, as 4 digits\n"
                             "? -     wildcard, stands for any character\n"
                             "All other characters are taken literally.",
                         box),
                    row++, 0, 1, 2);

    MatchWildcardsBox = new QCheckBox("If file name matches one of the wildcard masks:", box);
    MatchWildcardsBox->setObjectName("MatchWildcardsChk");
    MatchWildcardsBox->setChecked(true);
    WildcardMasksField = new QLineEdit("*.log", box);
    WildcardMasksField->setObjectName("MatchWildcardsEdt");
    AllowLongList(WildcardMasksField);
    NameAfter(WildcardMasksField, MatchWildcardsBox);
    grid->addWidget(MatchWildcardsBox, row++, 0, 1, 2);
    grid->addWidget(WildcardMasksField, row++, 0, 1, 2);
    grid->addWidget(Note(QString(SeparatorNote) + "\nex*.log;log_*.csv", box), row++, 0, 1, 2);

    MatchDateBox = new QCheckBox("Only if file date/time stamp matches the current date", box);
    MatchDateBox->setObjectName("MatchDateChk");
    grid->addWidget(MatchDateBox, row++, 0, 1, 2);

    page->addWidget(box);
    page->addStretch();
    AssignPageAccessKeys(*this);
}

} // namespace marrowlight
