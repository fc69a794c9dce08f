#include "settings/GroupsPage.h"

#include "settings/ColorListBox.h"
#include "settings/PageAccessKeys.h"
#include "settings/core/SoundChoices.h"

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

        NameEdt[g] = new QLineEdit(DefaultNames[g], box);
        NameEdt[g]->setObjectName("Group" + n + "NameEdt");
        ColorCBx[g] = new ColorListBox(box);
        ColorCBx[g]->setObjectName("Group" + n + "ColorCBx");
        SoundCBx[g] = new QComboBox(box);
        SoundCBx[g]->setObjectName("Group" + n + "SoundCBx");
        for (const SoundChoice& choice : SoundChoices())
            SoundCBx[g]->addItem(QString::fromLatin1(choice.text));
        Edt[g] = new QLineEdit(DefaultKeywords[g], box);
        Edt[g]->setObjectName("Group" + n + "Edt");
        AllowLongList(Edt[g]);

        grid->addWidget(BuddyLabel("Group caption:", NameEdt[g], box), 0, 0);
        grid->addWidget(NameEdt[g], 0, 1);
        grid->addWidget(BuddyLabel("Color:", ColorCBx[g], box), 0, 2);
        grid->addWidget(ColorCBx[g], 0, 3);
        grid->addWidget(BuddyLabel("Sound alert:", SoundCBx[g], box), 1, 2);
        grid->addWidget(SoundCBx[g], 1, 3);
        grid->addWidget(BuddyLabel("Log lines containing (case sensitive):", Edt[g], box), 2, 0, 1,
                        4);
        grid->addWidget(Edt[g], 3, 0, 1, 4);
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

} // namespace marrowlight
