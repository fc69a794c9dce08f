// The main window's menu commands: what each item of File, View, Options and
// Help does. Start-up, placement and closing are in MainWindow.cpp.
#include "app/JournalDialog.h"
#include "app/MainWindow.h"
#include "app/MenuAccessKeys.h"
#include "app/Notifier.h"
#include "app/RecentFiles.h"
#include "app/Session.h"
#include "app/core/ProgramInfo.h"
#include "autoopen/core/AutoOpenRules.h"
#include "monitor/LogTab.h"
#include "monitor/LogTabs.h"
#include "monitor/UpdateCycle.h"
#include "settings/OpenFileDialog.h"
#include "settings/OptionsDialog.h"
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

void MainWindow::UpdateFileMenu() {
    // By hand or automatically, not both: while logs come and go by
    // themselves, the commands that open or close one are greyed out.
    const bool byHand = !menuChecks_.OpenCloseLogsAutomatically();
    for (QAction* item : {OpenLogAction, OpenJournalAction, ReopenSessionAction, CloseLogAction,
                          CloseAllLogsAction})
        item->setEnabled(byHand);
    history_->SetItemsEnabled(byHand);
}

QString MainWindow::WatchedFolderText() const {
    return options_ ? QString::fromStdString(options_->LogFolders()).trimmed() : QString();
}

void MainWindow::OpenLogFromDialog() {
    if (!tabs_)
        return;
    // A single watched folder is where the logs are; once chosen it stays.
    if (OpenLogDialog->directory.isEmpty()) {
        const QString folders = WatchedFolderText();
        if (!folders.isEmpty() && !folders.contains(';'))
            OpenLogDialog->directory = folders;
    }
    if (!RunOpenLogDialog(*OpenLogDialog))
        return;
    OpenLogByHand(QFile::encodeName(OpenLogDialog->fileName).toStdString());
}

void MainWindow::OpenJournalFromDialog() {
    if (!tabs_ || ShowModal(*OpenJournalDialog) != QDialog::Accepted)
        return;
    // Each source goes where a log's path goes: its tab, the recent files.
    for (const JournalSource& source : OpenJournalDialog->Sources())
        OpenLogByHand(FormatJournalAddress(source));
}

void MainWindow::ShowStatusMessage(const QString& text) {
    StatusBar->showMessage(text, StatusMessageMs);
}

void MainWindow::OpenLogByHand(const std::string& path) {
    if (!tabs_)
        return;
    tabs_->OpenLog(path);
    history_->AddFile(path);
}

void MainWindow::OpenRecentFile(QAction* item) {
    // The item carries its path: equal captions or an "&" in a path cannot
    // lead to another entry. Opening it does not move it in the list.
    const std::string path = history_->FileForMenuItem(item);
    if (!tabs_ || path.empty())
        return;
    tabs_->OpenLog(path);
}

void MainWindow::ExitProgram() {
    close();
}

void MainWindow::UpdateViewMenu() {
    RestartChangeDelay();
    const bool byGroup = !AllEntriesAction->isChecked();
    QAction* const groupItems[] = {Group1Action, Group2Action, Group3Action};
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
    AssignMenuAccessKeys(*ViewMenu);
}

void MainWindow::ToggleAllEntries() {
    RestartChangeDelay();
}

void MainWindow::ToggleGroup1() {
    RestartChangeDelay();
}

void MainWindow::ToggleGroup2() {
    RestartChangeDelay();
}

void MainWindow::ToggleGroup3() {
    RestartChangeDelay();
}

void MainWindow::ToggleWrapLongLines() {
    // Only the drawing changes: no log is read again.
    if (tabs_)
        tabs_->ApplyWrapToAll();
}

void MainWindow::ToggleKeepModifiedLogFocused() {
    if (!KeepModifiedLogFocusedAction->isChecked() || !tabs_)
        return;
    // Only one tab carries the marker at a time.
    for (int i = 0; i < tabs_->Count(); ++i)
        if (LogTab* tab = tabs_->Tab(i); tab && tab->Image == MenuImageIndex::NewLines)
            tabs_->Activate(*tab);
}

void MainWindow::ReopenLastSession() {
    if (!tabs_)
        return;
    const QString missing = ReopenSession(ReadStoredSession(Store), *tabs_, LogExists);
    if (!missing.isEmpty())
        ShowStatusMessage(missing);
}

void MainWindow::ToggleMuteAlerts() {
    // Lines that came while muted bring no notification later.
    if (MuteAlertsAction->isChecked() && notifier_)
        notifier_->Clear();
}

void MainWindow::ShowHelpContents() {
    if (ShowHelpTopic)
        ShowHelpTopic("Overview.htm");
}

void MainWindow::ShowAbout() {
    QMessageBox box(this);
    box.setObjectName("AboutBox");
    box.setWindowTitle("About Marrowlight");
    box.setWindowIcon(windowIcon());
    box.setIconPixmap(windowIcon().pixmap(64, 64));
    box.setText(QString::fromStdString(AboutText(qVersion())));
    box.setStandardButtons(QMessageBox::Ok);
    ShowModal(box);
}

void MainWindow::CloseActiveLog() {
    if (tabs_)
        tabs_->CloseLog(TabWidget->currentWidget());
}

void MainWindow::CloseAllLogsFromMenu() {
    if (!tabs_)
        return;
    // Bounded, so a tab that refuses to go cannot hang the window.
    for (int left = TabWidget->count(); left > 0 && TabWidget->currentWidget(); --left)
        tabs_->CloseLog(TabWidget->currentWidget());
}

void MainWindow::ToggleAutomaticMode() {
    QAction* const mode = AutomaticModeAction;
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
        PollSoon();
        return;
    }
    if (AskToDefineAutoOpenConditions())
        ShowOptions(OptionsPage::AutoOpenClose, [this, mode] {
            mode->setChecked(true);
            PollSoon();
        });
}

bool MainWindow::AskToDefineAutoOpenConditions() {
    QMessageBox box(QMessageBox::Question, "Confirm",
                    "Conditions for automated logs opening/closing were not defined yet.\n"
                    "Do you want to define them now?",
                    QMessageBox::Yes | QMessageBox::No, this);
    box.setObjectName("ConfirmAutoOpenBox");
    box.setDefaultButton(QMessageBox::Yes);
    return ShowModal(box) == QMessageBox::Yes;
}

void MainWindow::ShowOptionsDialog() {
    ShowOptions(std::nullopt);
}

void MainWindow::ShowOptions(std::optional<OptionsPage> page,
                             const std::function<void()>& accepted) {
    if (!optionsDialog_ || !options_)
        return;
    // Polling goes on while the dialog is open, with the settings it opened
    // with (OptionsView answers those): rows keep their arrival times and
    // alerts sound on time. A Cancel restores what the dialog showed on
    // opening; switches are not applied again, or they would undo the user's
    // changes since start-up.
    const bool wasOnTop = options_->StayOnTop();
    if (optionsDialog_->Execute(page, ShowModal) != QDialog::Accepted)
        return;
    if (accepted)
        accepted();
    const std::optional<SettingsError> captionError = StoreGroupCaptions();
    ApplyOptionsResult();
    ApplyAlertOptions();
    if (options_->StayOnTop() != wasOnTop)
        QMessageBox::information(this, "Marrowlight", StayOnTopMessage(!wasOnTop));
    SetPollingInterval();
    // The accepted values are in use even when storing them failed.
    if (const std::optional<std::string> saveError = options_->SaveError())
        throw SettingsError(*saveError);
    if (captionError)
        throw *captionError;
}

std::optional<SettingsError> MainWindow::StoreGroupCaptions() {
    SettingsWrites writes;
    for (int g = 1; g <= 3; ++g)
        writes.Write(Store, stored::GroupCaption(g), options_->Group(g).Name().toStdString());
    return writes.FirstFailure();
}

void MainWindow::ApplyOptionsResult() {
    // New conditions close only what no longer qualifies, and only while
    // logs come and go automatically: a log opened by hand is the person's.
    // The pass runs now, not an interval later.
    if (options_->AutoOpenChanged() && menuChecks_.OpenCloseLogsAutomatically() && cycle_)
        PollSoon();
    if (tabs_ && (options_->FontChanged() || options_->NeedsReload())) {
        tabs_->ResetAllLogs();
        if (cycle_)
            cycle_->ReadAllSoon();
    }
    if (tabs_ && options_->FontChanged())
        tabs_->ApplyFontToAll();
    // Colours and gutter settings show at once.
    if (QWidget* page = TabWidget->currentWidget())
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
