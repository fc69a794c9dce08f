#include "settings/AdvancedPage.h"

#include "settings/PageAccessKeys.h"
#include "settings/core/UpdateIntervals.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QRadioButton>
#include <QSystemTrayIcon>
#include <QVBoxLayout>

namespace marrowlight {

AdvancedPage::AdvancedPage(QWidget* parent) : QWidget(parent) {
    setObjectName("AdvancedTab");
    auto* page = new QVBoxLayout(this);

    auto* updating = new QGroupBox("View Updating", this);
    updating->setObjectName("GroupBox4");
    auto* grid = new QGridLayout(updating);
    UpdateOnChangeButton =
        new QRadioButton("Only when date/time stamp of log file changes", updating);
    UpdateOnChangeButton->setObjectName("UpdateDateTimeChangeRdo");
    UpdateOnChangeButton->setChecked(true);
    UpdateForcedButton = new QRadioButton("Update each:", updating);
    UpdateForcedButton->setObjectName("UpdateForcedRdo");
    UpdateEachList = new QComboBox(updating);
    UpdateEachList->setObjectName("UpdateEachCBx");
    for (const UpdateInterval& entry : UpdateIntervals)
        UpdateEachList->addItem(entry.Caption);
    // No label of its own: it reads on from "Update each:" (see the line time format).
    UpdateEachList->setAccessibleName("Update interval");
    UpdateEachList->setAccessibleDescription("Interval of the forced update");
    grid->addWidget(UpdateOnChangeButton, 0, 0, 1, 3);
    grid->addWidget(UpdateForcedButton, 1, 0);
    grid->addWidget(UpdateEachList, 1, 1);
    grid->setColumnStretch(2, 1);
    page->addWidget(updating);

    auto* window = new QGroupBox("Main Marrowlight Window", this);
    window->setObjectName("GroupBox9");
    auto* box = new QVBoxLayout(window);
    StayOnTopBox = new QCheckBox("Always on top", window);
    StayOnTopBox->setObjectName("StayOnTopChk");
    RestoreWindowBox = new QCheckBox("Restore window on a new line if focusing is on", window);
    RestoreWindowBox->setObjectName("RestoreWindowChk");
    box->addWidget(StayOnTopBox);
    box->addWidget(RestoreWindowBox);
    ShowInTrayBox = new QCheckBox("Show in the system tray", window);
    ShowInTrayBox->setObjectName("ShowInTrayChk");
    ReopenSessionBox = new QCheckBox("Reopen the last session at start", window);
    ReopenSessionBox->setObjectName("ReopenSessionChk");
    box->addWidget(ShowInTrayBox);
    box->addWidget(ReopenSessionBox);
    page->addWidget(window);
    page->addStretch();
    AssignPageAccessKeys(*this);
    OfferTray(QSystemTrayIcon::isSystemTrayAvailable());
}

void AdvancedPage::OfferTray(bool offered) {
    TrayOffered = offered;
    ShowInTrayBox->setVisible(offered);
}

} // namespace marrowlight
