#include "settings/OptionsView.h"

#include "settings/AdvancedPage.h"
#include "settings/ColorListBox.h"
#include "settings/FontListBox.h"
#include "settings/GroupsPage.h"
#include "settings/OptionsDialog.h"
#include "settings/core/UpdateIntervals.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

namespace marrowlight {

namespace {

QString ObjectName(std::string_view name) {
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

} // namespace

QString GroupOptions::Name() const {
    const QLineEdit* edit = options_->Group(group_).NameField;
    return edit ? edit->text() : QString();
}

std::string GroupOptions::Keywords() const {
    const QLineEdit* edit = options_->Group(group_).KeywordsField;
    return edit ? edit->text().toStdString() : std::string();
}

QColor GroupOptions::Colour() const {
    const ColorListBox* list = options_->Group(group_).ColorList;
    return list ? list->SelectedColor() : QColor(Qt::black);
}

void GroupOptions::PlayAlert() const {
    options_->PlayGroupSound(group_);
}

bool GroupOptions::Notifies() const {
    const auto* page = qobject_cast<const GroupsPage*>(options_->GroupsTab);
    return page && group_ >= 1 && group_ <= 3 && page->NotifyBox[group_ - 1]->isChecked();
}

bool OptionsView::ShowLineNumbers() const {
    return options_->ShowLineNumbersBox->isChecked();
}

bool OptionsView::ShowLineTime() const {
    return options_->ShowLineTimeBox->isChecked();
}

QString OptionsView::LineTimeMask() const {
    return options_->LineTimeFormatList->currentText();
}

bool OptionsView::LastEntriesAtTop() const {
    return options_->LastEntriesAtTopBox->isChecked();
}

bool OptionsView::AllLogLines() const {
    return options_->AllLogLinesButton->isChecked();
}

bool OptionsView::AddedLogLinesOnly() const {
    return options_->AddedLogLinesButton->isChecked();
}

QString OptionsView::FontFace() const {
    return options_->FontList->currentText();
}

int OptionsView::FontSize() const {
    return options_->FontSizeList->currentText().toInt();
}

std::string OptionsView::LogFolders() const {
    return options_->LogFolderField->text().toStdString();
}

bool OptionsView::MatchMask() const {
    return options_->MatchMaskBox->isChecked();
}

std::string OptionsView::FileMasks() const {
    return options_->FileMasksField->text().toStdString();
}

bool OptionsView::MatchWildcards() const {
    return options_->MatchWildcardsBox->isChecked();
}

std::string OptionsView::WildcardMasks() const {
    return options_->WildcardMasksField->text().toStdString();
}

bool OptionsView::MatchDate() const {
    return options_->MatchDateBox->isChecked();
}

bool OptionsView::UpdateOnTimeStampChange() const {
    return options_->UpdateOnChangeButton->isChecked();
}

bool OptionsView::UpdateForced() const {
    return options_->UpdateForcedButton->isChecked();
}

std::chrono::milliseconds OptionsView::PollingInterval() const {
    return marrowlight::PollingInterval(UpdateOnTimeStampChange(),
                                        options_->UpdateEachList->currentIndex());
}

bool OptionsView::StayOnTop() const {
    return options_->StayOnTopBox->isChecked();
}

bool OptionsView::RestoreWindow() const {
    return options_->RestoreWindowBox->isChecked();
}

bool OptionsView::ShowInTray() const {
    const auto* page = qobject_cast<const AdvancedPage*>(options_->AdvancedTab);
    return page && page->TrayOffered && page->ShowInTrayBox->isChecked();
}

bool OptionsView::ReopenSessionAtStart() const {
    const auto* page = qobject_cast<const AdvancedPage*>(options_->AdvancedTab);
    return page && page->ReopenSessionBox->isChecked();
}

bool OptionsView::NeedsReload() const {
    return options_->NeedsReload;
}

bool OptionsView::FontChanged() const {
    return options_->FontChanged;
}

bool OptionsView::AutoOpenChanged() const {
    return options_->AutoOpenChanged;
}

std::optional<std::string> OptionsView::SaveError() const {
    return options_->SaveError;
}

bool OptionsView::SetCheck(std::string_view controlName, bool on) const {
    auto* check = options_->findChild<QCheckBox*>(ObjectName(controlName));
    if (!check)
        return false;
    if (check->isChecked() == on)
        return true;
    // click() runs the box's own handler, but does nothing while disabled.
    if (check->isEnabled())
        check->click();
    else
        check->setChecked(on);
    return true;
}

bool OptionsView::SetText(std::string_view controlName, const std::string& text) const {
    auto* edit = options_->findChild<QLineEdit*>(ObjectName(controlName));
    if (!edit)
        return false;
    edit->setText(QString::fromStdString(text));
    return true;
}

} // namespace marrowlight
