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
    return edit ? options_->TextInForce(edit) : QString();
}

std::string GroupOptions::Keywords() const {
    const QLineEdit* edit = options_->Group(group_).KeywordsField;
    return edit ? options_->TextInForce(edit).toStdString() : std::string();
}

bool GroupOptions::RegularExpressions() const {
    const QCheckBox* box = options_->Group(group_).RegexBox;
    return box && box->isChecked();
}

QColor GroupOptions::Colour() const {
    const ColorListBox* list = options_->Group(group_).ColorList;
    return list ? ColorListBox::ColorAt(options_->IndexInForce(list)) : QColor(Qt::black);
}

void GroupOptions::PlayAlert() const {
    options_->PlayGroupSound(group_);
}

bool GroupOptions::Notifies() const {
    const auto* page = qobject_cast<const GroupsPage*>(options_->GroupsTab);
    return page && group_ >= 1 && group_ <= 3 && page->NotifyBox[group_ - 1]->isChecked();
}

bool OptionsView::ShowLineNumbers() const {
    return options_->CheckedInForce(options_->ShowLineNumbersBox);
}

bool OptionsView::ShowLineTime() const {
    return options_->CheckedInForce(options_->ShowLineTimeBox);
}

QString OptionsView::LineTimeMask() const {
    return options_->ItemTextInForce(options_->LineTimeFormatList);
}

bool OptionsView::LastEntriesAtTop() const {
    return options_->CheckedInForce(options_->LastEntriesAtTopBox);
}

bool OptionsView::AllLogLines() const {
    return options_->CheckedInForce(options_->AllLogLinesButton);
}

bool OptionsView::AddedLogLinesOnly() const {
    return options_->CheckedInForce(options_->AddedLogLinesButton);
}

QString OptionsView::FontFace() const {
    return options_->ItemTextInForce(options_->FontList);
}

int OptionsView::FontSize() const {
    return options_->ItemTextInForce(options_->FontSizeList).toInt();
}

std::string OptionsView::LogFolders() const {
    return options_->TextInForce(options_->LogFolderField).toStdString();
}

bool OptionsView::MatchMask() const {
    return options_->CheckedInForce(options_->MatchMaskBox);
}

std::string OptionsView::FileMasks() const {
    return options_->TextInForce(options_->FileMasksField).toStdString();
}

bool OptionsView::MatchWildcards() const {
    return options_->CheckedInForce(options_->MatchWildcardsBox);
}

std::string OptionsView::WildcardMasks() const {
    return options_->TextInForce(options_->WildcardMasksField).toStdString();
}

bool OptionsView::MatchDate() const {
    return options_->CheckedInForce(options_->MatchDateBox);
}

bool OptionsView::UpdateOnTimeStampChange() const {
    return options_->CheckedInForce(options_->UpdateOnChangeButton);
}

bool OptionsView::UpdateForced() const {
    return options_->CheckedInForce(options_->UpdateForcedButton);
}

std::chrono::milliseconds OptionsView::PollingInterval() const {
    return marrowlight::PollingInterval(UpdateOnTimeStampChange(),
                                        options_->IndexInForce(options_->UpdateEachList));
}

bool OptionsView::StayOnTop() const {
    return options_->CheckedInForce(options_->StayOnTopBox);
}

bool OptionsView::RestoreWindow() const {
    return options_->CheckedInForce(options_->RestoreWindowBox);
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
