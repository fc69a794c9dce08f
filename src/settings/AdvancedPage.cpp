#include "settings/AdvancedPage.h"

#include "settings/PageAccessKeys.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

namespace marrowlight {

AdvancedPage::AdvancedPage(QWidget* parent) : QWidget(parent) {
    setObjectName("AdvancedTab");
    auto* page = new QVBoxLayout(this);

    auto* updating = new QGroupBox("View Updating", this);
    updating->setObjectName("GroupBox4");
    auto* grid = new QGridLayout(updating);
    UpdateDateTimeChangeRdo =
        new QRadioButton("Only when date/time stamp of log file changes", updating);
    UpdateDateTimeChangeRdo->setObjectName("UpdateDateTimeChangeRdo");
    UpdateDateTimeChangeRdo->setChecked(true);
    UpdateForcedRdo = new QRadioButton("Update each:", updating);
    UpdateForcedRdo->setObjectName("UpdateForcedRdo");
    UpdateEachCBx = new QComboBox(updating);
    UpdateEachCBx->setObjectName("UpdateEachCBx");
    UpdateEachCBx->addItems({"1 second", "2 seconds", "5 seconds", "10 seconds", "30 seconds",
                             "1 minute", "5 minutes"});
    // No label of its own: it reads on from "Update each:" (see the line time format).
    UpdateEachCBx->setAccessibleName("Update interval");
    UpdateEachCBx->setAccessibleDescription("Interval of the forced update");
    grid->addWidget(UpdateDateTimeChangeRdo, 0, 0, 1, 3);
    grid->addWidget(UpdateForcedRdo, 1, 0);
    grid->addWidget(UpdateEachCBx, 1, 1);
    grid->setColumnStretch(2, 1);
    page->addWidget(updating);

    auto* window = new QGroupBox("Main Marrowlight Window", this);
    window->setObjectName("GroupBox9");
    auto* box = new QVBoxLayout(window);
    StayOnTopChk = new QCheckBox("Always on top", window);
    StayOnTopChk->setObjectName("StayOnTopChk");
    RestoreWindowChk = new QCheckBox("Restore window on a new line if focusing is on", window);
    RestoreWindowChk->setObjectName("RestoreWindowChk");
    box->addWidget(StayOnTopChk);
    box->addWidget(RestoreWindowChk);
    page->addWidget(window);
    page->addStretch();
    AssignPageAccessKeys(*this);
}

} // namespace marrowlight
