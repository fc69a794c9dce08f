#include "settings/GroupsPage.h"

#include "settings/ColorListBox.h"
#include "settings/PageAccessKeys.h"
#include "settings/core/SoundChoices.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace marrowlight {

namespace {
const char* const DefaultNames[3] = {"Information", "Warnings", "Errors"};
const char* const DefaultKeywords[3] = {"2006", "Warn;warn", "Error;error"};
} // namespace

GroupsPage::GroupsPage(QWidget* parent) : QWidget(parent) {
    setObjectName("GroupsTab");
    auto* page = new QVBoxLayout(this);
    for (int g = 0; g < 3; ++g) {
        const QString n = QString::number(g + 1);
        auto* box = new QGroupBox("Display Group " + n, this);
        box->setObjectName("GroupBox" + n);
        auto* grid = new QGridLayout(box);

        NameField[g] = new QLineEdit(DefaultNames[g], box);
        NameField[g]->setObjectName("Group" + n + "NameEdt");
        ColorList[g] = new ColorListBox(box);
        ColorList[g]->setObjectName("Group" + n + "ColorCBx");
        SoundList[g] = new QComboBox(box);
        SoundList[g]->setObjectName("Group" + n + "SoundCBx");
        for (const SoundChoice& choice : SoundChoices())
            SoundList[g]->addItem(QString::fromLatin1(choice.text));
        // A caption with letters the page's other captions lack, so each of
        // the three still finds an access key of its own.
        RegexBox[g] = new QCheckBox("Keywords as regular expressions", box);
        KeywordsField[g] = new QLineEdit(DefaultKeywords[g], box);
        KeywordsField[g]->setObjectName("Group" + n + "Edt");
        AllowLongList(KeywordsField[g]);

        grid->addWidget(BuddyLabel("Group caption:", NameField[g], box), 0, 0);
        grid->addWidget(NameField[g], 0, 1);
        grid->addWidget(BuddyLabel("Color:", ColorList[g], box), 0, 2);
        grid->addWidget(ColorList[g], 0, 3);
        grid->addWidget(BuddyLabel("Sound alert:", SoundList[g], box), 1, 2);
        grid->addWidget(SoundList[g], 1, 3);
        NotifyBox[g] = new QCheckBox("Notify on the desktop", box);
        NotifyBox[g]->setObjectName("Group" + n + "NotifyChk");
        NotifyBox[g]->setChecked(g == 2); // errors, not every line of information
        grid->addWidget(NotifyBox[g], 1, 0, 1, 2);
        grid->addWidget(BuddyLabel("Log lines containing (case sensitive):", KeywordsField[g], box),
                        2, 0, 1, 4);
        grid->addWidget(KeywordsField[g], 3, 0, 1, 4);
        // Stored beside the group's other values, by its path in the box.
        QWidget::setTabOrder(KeywordsField[g], RegexBox[g]);
        RegexBox[g]->setObjectName("Group" + n + "RegexChk");
        RegexBox[g]->setAccessibleDescription("Keywords of display group " + n +
                                              " are regular expressions");
        grid->addWidget(RegexBox[g], 4, 0, 1, 4);
        KeywordsProblem[g] = new QLabel(box);
        KeywordsProblem[g]->setWordWrap(true);
        KeywordsProblem[g]->setTextFormat(Qt::PlainText);
        KeywordsProblem[g]->setStyleSheet("color: #B00000");
        KeywordsProblem[g]->hide();
        grid->addWidget(KeywordsProblem[g], 5, 0, 1, 4);
        // A new expression may be valid: the old reason goes with the edit.
        connect(KeywordsField[g], &QLineEdit::textEdited, this,
                [this, g] { ShowKeywordsProblem(g, {}); });
        connect(RegexBox[g], &QCheckBox::toggled, this, [this, g] { ShowKeywordsProblem(g, {}); });
        grid->setColumnStretch(1, 1);
        page->addWidget(box);
    }
    page->addWidget(new QLabel("Use ; (semicolon) to separate multiple entries, for example:\n"
                               "error;fatal;terminated",
                               this));
#ifdef _WIN32
    page->addWidget(new QLabel(
        "Sound is affected by the currently selected sound schema and other settings in Windows.",
        this));
#else
    page->addWidget(new QLabel(
        "Sound is affected by the currently selected sound schema and other settings.", this));
#endif
    page->addStretch();
    AssignPageAccessKeys(*this);
}

void GroupsPage::ShowKeywordsProblem(int g, const QString& text) {
    if (g < 0 || g > 2 || KeywordsProblem[g]->text() == text)
        return;
    KeywordsProblem[g]->setText(text);
    KeywordsProblem[g]->setVisible(!text.isEmpty());
    KeywordsField[g]->setAccessibleDescription(text);
}

} // namespace marrowlight
