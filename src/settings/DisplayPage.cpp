#include "settings/DisplayPage.h"

#include "settings/FontListBox.h"
#include "settings/PageAccessKeys.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

namespace marrowlight {

namespace {
template <typename T> T* Named(T* widget, const char* name) {
    widget->setObjectName(name);
    return widget;
}
} // namespace

DisplayPage::DisplayPage(QWidget* parent) : QWidget(parent) {
    setObjectName("DisplayOptionsTab");
    auto* page = new QVBoxLayout(this);

    auto* lines = Named(new QGroupBox("Log Lines", this), "GroupBox8");
    auto* linesGrid = new QGridLayout(lines);
    ShowLineTimeChk =
        Named(new QCheckBox("Show line time (new log entries):", lines), "ShowLineTimeChk");
    ShowLineTimeChk->setChecked(true);
    LogLineTimeMaskCbx = Named(new QComboBox(lines), "LogLineTimeMaskCbx");
    LogLineTimeMaskCbx->addItems({"hh:mm:ss", "dd-hh:mm"});
    // No label of its own: it reads on from the check box at its left. On
    // Linux Qt announces a list by its entry, so the description carries it.
    LogLineTimeMaskCbx->setAccessibleName("Line time format");
    LogLineTimeMaskCbx->setAccessibleDescription("Format of the line time");
    ShowLineNumbersChk =
        Named(new QCheckBox("Show line numbers (new log entries)", lines), "ShowLineNumbersChk");
    LastEntriesAtTopChk =
        Named(new QCheckBox("Last entries at top of list", lines), "LastEntriesAtTopChk");
    linesGrid->addWidget(ShowLineTimeChk, 0, 0);
    linesGrid->addWidget(LogLineTimeMaskCbx, 0, 1);
    linesGrid->addWidget(ShowLineNumbersChk, 1, 0, 1, 2);
    linesGrid->addWidget(LastEntriesAtTopChk, 2, 0, 1, 2);
    linesGrid->setColumnStretch(2, 1);
    page->addWidget(lines);

    auto* content = Named(new QGroupBox("Display Log Content", this), "GroupBox5");
    auto* contentBox = new QVBoxLayout(content);
    AllLogLinesRdo = Named(new QRadioButton("All lines of the log", content), "AllLogLinesRdo");
    AllLogLinesRdo->setChecked(true);
    AddedLogLinesRdo =
        Named(new QRadioButton("Only lines that were added since the log was opened", content),
              "AddedLogLinesRdo");
    contentBox->addWidget(AllLogLinesRdo);
    contentBox->addWidget(AddedLogLinesRdo);
    auto* note = new QLabel("Convenient for extremely large log files", content);
    note->setIndent(24);
    contentBox->addWidget(note);
    page->addWidget(content);

    auto* font = Named(new QGroupBox("Font", this), "GroupBox6");
    auto* fontGrid = new QGridLayout(font);
    FontsCBx = Named(new FontListBox(font), "FontsCBx");
    FontSizeCBx = Named(new QComboBox(font), "FontSizeCBx");
    FontSizeCBx->addItems({"6", "7", "8", "9", "10", "11", "12", "13", "14", "15", "16", "18", "20",
                           "22", "28", "36"});
    fontGrid->addWidget(BuddyLabel("Face:", FontsCBx, font), 0, 0);
    fontGrid->addWidget(FontsCBx, 0, 1);
    fontGrid->addWidget(BuddyLabel("Size:", FontSizeCBx, font), 0, 2);
    fontGrid->addWidget(FontSizeCBx, 0, 3);
    fontGrid->setColumnStretch(1, 1);
    page->addWidget(font);
    page->addStretch();
    AssignPageAccessKeys(*this);
}

} // namespace marrowlight
