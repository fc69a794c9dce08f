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

    LogFolderEdt = new QLineEdit(box);
    LogFolderEdt->setObjectName("LogFolderEdt");
    AllowLongList(LogFolderEdt);
    BrowseBtn = new QPushButton("...", box);
    BrowseBtn->setObjectName("BrowseBtn");
    BrowseBtn->setToolTip("Browse Folders");
    BrowseBtn->setAccessibleName("Browse for a folder");
    BrowseBtn->setAutoDefault(false);
    QFont bold = BrowseBtn->font();
    bold.setBold(true);
    BrowseBtn->setFont(bold);
    BrowseBtn->setFixedWidth(BrowseBtn->sizeHint().height() + 8);
    grid->addWidget(BuddyLabel("From folder(s):", LogFolderEdt, box), row++, 0, 1, 2);
    grid->addWidget(LogFolderEdt, row, 0);
    grid->addWidget(BrowseBtn, row++, 1);
    grid->addWidget(Note(QString(SeparatorNote) + "\n" + FolderExample +
                             "\nTo edit one of the entries place cursor between the semicolons "
                             "and click Browse button.",
                         box),
                    row++, 0, 1, 2);

    MatchMaskChk = new QCheckBox("If file name matches one of the date masks:", box);
    MatchMaskChk->setObjectName("MatchMaskChk");
    FileMasksEdt = new QLineEdit("yyyymmdd.log;exyymmdd.log", box);
    FileMasksEdt->setObjectName("FileMasksEdt");
    AllowLongList(FileMasksEdt);
    NameAfter(FileMasksEdt, MatchMaskChk);
    grid->addWidget(MatchMaskChk, row++, 0, 1, 2);
    grid->addWidget(FileMasksEdt, row++, 0, 1, 2);
    grid->addWidget(Note(QString(SeparatorNote) +
                             "\nyyyymmdd.log;exyymmdd.log\n"
                             "dd -   stands for current date day represented by 2 characters\n"
                             "mm - stands for current date month represeted by 2 characters\n"
                             "yy -   stands for current year represented by 2 characters\n"
                             "yyyy -stands for current year represented by 4 characters\n"
                             "? -     wild card, stands for any character\n"
                             "All other characters are taken literally.",
                         box),
                    row++, 0, 1, 2);

    MatchWildcardsChk = new QCheckBox("If file name matches one of the wildcards masks:", box);
    MatchWildcardsChk->setObjectName("MatchWildcardsChk");
    MatchWildcardsChk->setChecked(true);
    MatchWildcardsEdt = new QLineEdit("*.log", box);
    MatchWildcardsEdt->setObjectName("MatchWildcardsEdt");
    AllowLongList(MatchWildcardsEdt);
    NameAfter(MatchWildcardsEdt, MatchWildcardsChk);
    grid->addWidget(MatchWildcardsChk, row++, 0, 1, 2);
    grid->addWidget(MatchWildcardsEdt, row++, 0, 1, 2);
    grid->addWidget(Note(QString(SeparatorNote) + "\nex*.log;log_*.csv", box), row++, 0, 1, 2);

    MatchDateChk = new QCheckBox("Only if file date/time stamp matches the current date", box);
    MatchDateChk->setObjectName("MatchDateChk");
    grid->addWidget(MatchDateChk, row++, 0, 1, 2);

    page->addWidget(box);
    page->addStretch();
    AssignPageAccessKeys(*this);
}

} // namespace marrowlight
