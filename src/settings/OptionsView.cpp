#include "settings/OptionsView.h"

#include "settings/ColorListBox.h"
#include "settings/FontListBox.h"
#include "settings/TOptionsFrm.h"

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
    const QLineEdit* edit = options_->Group(group_).NameEdt;
    return edit ? edit->text() : QString();
}

std::string GroupOptions::Keywords() const {
    const QLineEdit* edit = options_->Group(group_).Edt;
    return edit ? edit->text().toStdString() : std::string();
}

QColor GroupOptions::Colour() const {
    const ColorListBox* list = options_->Group(group_).ColorCBx;
    return list ? list->SelectedColor() : QColor(Qt::black);
}

void GroupOptions::PlayAlert() const {
    options_->PlayGroupSound(group_);
}

bool OptionsView::ShowLineNumbers() const {
    return options_->ShowLineNumbersChk->isChecked();
}

bool OptionsView::ShowLineTime() const {
    return options_->ShowLineTimeChk->isChecked();
}

QString OptionsView::LineTimeMask() const {
    return options_->LogLineTimeMaskCbx->currentText();
}

bool OptionsView::LastEntriesAtTop() const {
    return options_->LastEntriesAtTopChk->isChecked();
}

bool OptionsView::AllLogLines() const {
    return options_->AllLogLinesRdo->isChecked();
}

bool OptionsView::AddedLogLinesOnly() const {
    return options_->AddedLogLinesRdo->isChecked();
}

QString OptionsView::FontFace() const {
    return options_->FontsCBx->currentText();
}

int OptionsView::FontSize() const {
    return options_->FontSizeCBx->currentText().toInt();
}

std::string OptionsView::LogFolders() const {
    return options_->LogFolderEdt->text().toStdString();
}

bool OptionsView::MatchMask() const {
    return options_->MatchMaskChk->isChecked();
}

std::string OptionsView::FileMasks() const {
    return options_->FileMasksEdt->text().toStdString();
}

bool OptionsView::MatchWildcards() const {
    return options_->MatchWildcardsChk->isChecked();
}

std::string OptionsView::WildcardMasks() const {
    return options_->MatchWildcardsEdt->text().toStdString();
}

bool OptionsView::MatchDate() const {
    return options_->MatchDateChk->isChecked();
}

bool OptionsView::UpdateOnTimeStampChange() const {
    return options_->UpdateDateTimeChangeRdo->isChecked();
}

bool OptionsView::UpdateForced() const {
    return options_->UpdateForcedRdo->isChecked();
}

int OptionsView::UpdateEachIndex() const {
    return options_->UpdateEachCBx->currentIndex();
}

bool OptionsView::StayOnTop() const {
    return options_->StayOnTopChk->isChecked();
}

bool OptionsView::RestoreWindow() const {
    return options_->RestoreWindowChk->isChecked();
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
