// The main window's menu commands: what each item of File, View, Options and
// Help does. Start-up, placement and closing are in TVtMarrowlightFrm.cpp.
#include "app/MenuAccessKeys.h"
#include "app/TFileHistory.h"
#include "app/TVtMarrowlightFrm.h"
#include "app/core/ProgramInfo.h"
#include "autoopen/core/AutoOpenRules.h"
#include "monitor/LogTab.h"
#include "monitor/LogTabs.h"
#include "settings/OpenFileDialog.h"
#include "settings/TOptionsFrm.h"
#include "settings/core/SettingsWrites.h"
#include "settings/core/StoredNames.h"
#include "support/core/TextUtils.h"

#include <QAbstractItemView>
#include <QAction>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>
#include <cstdio>

namespace marrowlight {
namespace {

// Long enough to be read, short enough not to hide the log's panels for long.
constexpr int StatusMessageMs = 8000;

} // namespace

void TVtMarrowlightFrm::FileMnuClick() {
    // By hand or automatically, not both: while logs come and go by
    // themselves, the commands that open or close one are greyed out.
    const bool byHand = !menuChecks_.OpenCloseLogsAutomatically();
    for (QAction* item : {OpenLogMnu, CloseLogMnu, CloseAllLogsMnu})
        item->setEnabled(byHand);
    history_->SetItemsEnabled(byHand);
}

QString TVtMarrowlightFrm::WatchedFolderText() const {
    return options_ ? QString::fromStdString(options_->LogFolders()).trimmed() : QString();
}

void TVtMarrowlightFrm::OpenLogMnuClick() {
    if (!tabs_)
        return;
    // A single watched folder is where the logs are; once chosen it stays.
    if (OpenLogDlg->directory.isEmpty()) {
        const QString folders = WatchedFolderText();
        if (!folders.isEmpty() && !folders.contains(';'))
            OpenLogDlg->directory = folders;
    }
    if (!ExecuteOpenLogDlg(*OpenLogDlg))
        return;
    OpenLogByHand(QFile::encodeName(OpenLogDlg->fileName).toStdString());
}

void TVtMarrowlightFrm::ShowStatusMessage(const QString& text) {
    StatusBar->showMessage(text, StatusMessageMs);
}

void TVtMarrowlightFrm::OpenLogByHand(const std::string& path) {
    if (!tabs_)
        return;
    tabs_->OpenLog(path);
    history_->AddFile(path);
}

void TVtMarrowlightFrm::FileHistoryClick(QAction* item) {
    // The item carries its path: equal captions or an "&" in a path cannot
    // lead to another entry. Opening it does not move it in the list.
    const std::string path = history_->FileForMenuItem(item);
    if (tabs_ && !path.empty())
        tabs_->OpenLog(path);
}

void TVtMarrowlightFrm::ExitMnuClick() {
    close();
}

void TVtMarrowlightFrm::ViewMnuClick() {
    RestartChangeDelay();
    const bool byGroup = !AllEntriesMnu->isChecked();
    QAction* const groupItems[] = {InformationMnu, WarningsMnu, ErrorsMnu};
    for (int g = 1; g <= 3; ++g) {
        QAction* item = groupItems[g - 1];
        item->setEnabled(byGroup);
        const std::string name = ReadReadableSetting(Store, stored::GroupCaption(g)).value_or("");
        // A blank name would leave an item nobody can read; keep the last one.
        if (TrimText(name).empty())
            continue;
        QString caption = QString::fromStdString(name);
        caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
        item->setText(caption);
    }
    AssignMenuAccessKeys(*ViewMnu);
}

void TVtMarrowlightFrm::AllEntriesMnuClick() {
    RestartChangeDelay();
}

void TVtMarrowlightFrm::InformationMnuClick() {
    RestartChangeDelay();
}

void TVtMarrowlightFrm::WarningsMnuClick() {
    RestartChangeDelay();
}

void TVtMarrowlightFrm::ErrorsMnuClick() {
    RestartChangeDelay();
}

void TVtMarrowlightFrm::KeepModifedLogFocusedMnuClick() {
    if (!KeepModifedLogFocusedMnu->isChecked() || !tabs_)
        return;
    // Only one tab carries the marker at a time.
    for (int i = 0; i < tabs_->Count(); ++i)
        if (LogTab* tab = tabs_->Tab(i); tab && tab->Image == MenuImageIndex::NewLines)
            tabs_->Activate(*tab);
}

void TVtMarrowlightFrm::ContentsMnuClick() {
    if (ShowHelpTopic)
        ShowHelpTopic("Overview.htm");
}

void TVtMarrowlightFrm::AboutMnuClick() {
    QMessageBox box(this);
    box.setObjectName("AboutBox");
    box.setWindowTitle("About Marrowlight");
    box.setWindowIcon(windowIcon());
    box.setIconPixmap(windowIcon().pixmap(64, 64));
    box.setText(QString::fromStdString(AboutText(qVersion())));
    box.setStandardButtons(QMessageBox::Ok);
    ShowModal(box);
}

void TVtMarrowlightFrm::CloseLogMnuClick() {
    if (tabs_)
        tabs_->CloseLog(PageControl->currentWidget());
}

void TVtMarrowlightFrm::CloseAllLogsMnuClick() {
    if (!tabs_)
        return;
    // Bounded, so a tab that refuses to go cannot hang the window.
    for (int left = PageControl->count(); left > 0 && PageControl->currentWidget(); --left)
        tabs_->CloseLog(PageControl->currentWidget());
}

void TVtMarrowlightFrm::OpenCloseLogsAutomaticallyMnuClick() {
    QAction* const mode = OpenCloseLogsAutomaticallyMnu;
    if (mode->isChecked()) {
        // Logs already open stay open.
        mode->setChecked(false);
        return;
    }
    if (!options_)
        return;
    // Blanks or a leading ";" watch no folder either.
    if (!WatchedFolders(options_->LogFolders()).empty()) {
        mode->setChecked(true);
        return;
    }
    if (AskToDefineAutoOpenConditions())
        ShowOptions(OptionsPage::AutoOpenClose, [mode] { mode->setChecked(true); });
}

bool TVtMarrowlightFrm::AskToDefineAutoOpenConditions() {
    QMessageBox box(QMessageBox::Question, "Confirm",
                    "Conditions for automated logs opening/closing were not defined yet.\n"
                    "Do you want to define them now?",
                    QMessageBox::Yes | QMessageBox::No, this);
    box.setObjectName("ConfirmAutoOpenBox");
    box.setDefaultButton(QMessageBox::Yes);
    return ShowModal(box) == QMessageBox::Yes;
}

void TVtMarrowlightFrm::Options1MnuClick() {
    ShowOptions(std::nullopt);
}

void TVtMarrowlightFrm::ShowOptions(std::optional<OptionsPage> page,
                                    const std::function<void()>& accepted) {
    if (!optionsFrm_ || !options_)
        return;
    UpdateListsTmr->stop();
    // Polling must resume even when applying the result fails.
    struct RestartTimer {
        QTimer* timer;
        ~RestartTimer() { timer->start(); }
    } restart{UpdateListsTmr};

    // A Cancel restores what the dialog showed on opening; switches are not
    // applied again, or they would undo the user's changes since start-up.
    const bool wasOnTop = options_->StayOnTop();
    if (optionsFrm_->Execute(page, ShowModal) != QDialog::Accepted)
        return;
    if (accepted)
        accepted();
    const std::optional<SettingsError> captionError = StoreGroupCaptions();
    ApplyOptionsResult();
    if (options_->StayOnTop() != wasOnTop)
        QMessageBox::information(this, "Marrowlight", StayOnTopMessage(!wasOnTop));
    SetPollingInterval();
    // The accepted values are in use even when storing them failed.
    if (const std::optional<std::string> saveError = options_->SaveError())
        throw SettingsError(*saveError);
    if (captionError)
        throw *captionError;
}

std::optional<SettingsError> TVtMarrowlightFrm::StoreGroupCaptions() {
    SettingsWrites writes;
    for (int g = 1; g <= 3; ++g)
        writes.Write(Store, stored::GroupCaption(g), options_->Group(g).Name().toStdString());
    return writes.FirstFailure();
}

void TVtMarrowlightFrm::ApplyOptionsResult() {
    if (options_->AutoOpenChanged()) {
        CloseAllLogsMnuClick();
        return;
    }
    if (tabs_ && (options_->FontChanged() || options_->NeedsReload()))
        tabs_->ResetAllLogs();
    if (tabs_ && options_->FontChanged())
        tabs_->ApplyFontToAll();
    // Colours and gutter settings show at once.
    if (QWidget* page = PageControl->currentWidget())
        for (QAbstractItemView* list : page->findChildren<QAbstractItemView*>())
            list->viewport()->update();
}

QString StayOnTopMessage(bool nowOnTop) {
    return nowOnTop
               ? QStringLiteral("You have selected that Marrowlight should stay on top of all the "
                                "other windows.\nThis change will take effect next time "
                                "Marrowlight is started.")
               : QStringLiteral("You have selected that Marrowlight should not stay on top of all "
                                "the other windows any more.\nThis change will take effect next "
                                "time Marrowlight is started.");
}

} // namespace marrowlight
