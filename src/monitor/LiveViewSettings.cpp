#include "monitor/LiveViewSettings.h"

#include "monitor/MenuChecks.h"
#include "monitor/core/LineClassifier.h"
#include "settings/ColorListBox.h"
#include "settings/FontListBox.h"
#include "settings/TOptionsFrm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

namespace marrowlight {

LiveViewSettings::LiveViewSettings(const TOptionsFrm& options, const MenuChecks& menu)
    : options_(options), menu_(menu) {}

bool LiveViewSettings::AllEntries() const {
    return menu_.AllEntries();
}

bool LiveViewSettings::GroupShown(int g) const {
    return menu_.GroupShown(g);
}

std::string LiveViewSettings::GroupKeywords(int g) const {
    const QLineEdit* edit = g == 1   ? options_.Group1Edt
                            : g == 2 ? options_.Group2Edt
                            : g == 3 ? options_.Group3Edt
                                     : nullptr;
    return edit ? edit->text().toStdString() : std::string();
}

bool LiveViewSettings::LastEntriesAtTop() const {
    return options_.LastEntriesAtTopChk->isChecked();
}

bool LiveViewSettings::AddedLogLinesOnly() const {
    return options_.AddedLogLinesRdo->isChecked();
}

bool LiveViewSettings::AllLogLines() const {
    return options_.AllLogLinesRdo->isChecked();
}

bool LiveViewSettings::UpdateForced() const {
    return options_.UpdateForcedRdo->isChecked();
}

QColor LiveViewSettings::GroupColor(int group) const {
    const ColorListBox* box = group == 1   ? options_.Group1ColorCBx
                              : group == 2 ? options_.Group2ColorCBx
                              : group == 3 ? options_.Group3ColorCBx
                                           : nullptr;
    return box ? box->selectedColor() : QColor(Qt::black);
}

bool LiveViewSettings::ShowLineNumbers() const {
    return options_.ShowLineNumbersChk->isChecked();
}

bool LiveViewSettings::ShowLineTime() const {
    return options_.ShowLineTimeChk->isChecked();
}

QString LiveViewSettings::LineTimeMask() const {
    return options_.LogLineTimeMaskCbx->currentText();
}

bool LiveViewSettings::KeepModifedLogFocused() const {
    return menu_.KeepModifedLogFocused();
}

bool LiveViewSettings::OpenCloseLogsAutomatically() const {
    return menu_.OpenCloseLogsAutomatically();
}

bool LiveViewSettings::RestoreWindow() const {
    return options_.RestoreWindowChk->isChecked();
}

QString LiveViewSettings::FontFace() const {
    return options_.FontsCBx->currentText();
}

int LiveViewSettings::FontSize() const {
    return options_.FontSizeCBx->currentText().toInt();
}

} // namespace marrowlight
