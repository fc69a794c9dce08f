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
    ShowLineTimeBox =
        Named(new QCheckBox("Show line time (new log entries):", lines), "ShowLineTimeChk");
    ShowLineTimeBox->setChecked(true);
    LineTimeFormatList = Named(new QComboBox(lines), "LogLineTimeMaskCbx");
    LineTimeFormatList->addItems({"hh:mm:ss", "dd-hh:mm"});
    // No label of its own: it reads on from the check box at its left. On
    // Linux Qt announces a list by its entry, so the description carries it.
    LineTimeFormatList->setAccessibleName("Line time format");
    LineTimeFormatList->setAccessibleDescription("Format of the line time");
    ShowLineNumbersBox =
        Named(new QCheckBox("Show line numbers (new log entries)", lines), "ShowLineNumbersChk");
    LastEntriesAtTopBox =
        Named(new QCheckBox("Last entries at top of list", lines), "LastEntriesAtTopChk");
    linesGrid->addWidget(ShowLineTimeBox, 0, 0);
    linesGrid->addWidget(LineTimeFormatList, 0, 1);
    linesGrid->addWidget(ShowLineNumbersBox, 1, 0, 1, 2);
    linesGrid->addWidget(LastEntriesAtTopBox, 2, 0, 1, 2);
    linesGrid->setColumnStretch(2, 1);
    page->addWidget(lines);

    auto* content = Named(new QGroupBox("Display Log Content", this), "GroupBox5");
    auto* contentBox = new QVBoxLayout(content);
    AllLogLinesButton = Named(new QRadioButton("All lines of the log", content), "AllLogLinesRdo");
    AllLogLinesButton->setChecked(true);
    AddedLogLinesButton =
        Named(new QRadioButton("Only lines that were added since the log was opened", content),
              "AddedLogLinesRdo");
    contentBox->addWidget(AllLogLinesButton);
    contentBox->addWidget(AddedLogLinesButton);
    auto* note = new QLabel("Convenient for extremely large log files", content);
    note->setIndent(24);
    contentBox->addWidget(note);
    page->addWidget(content);

    auto* font = Named(new QGroupBox("Font", this), "GroupBox6");
    auto* fontGrid = new QGridLayout(font);
    FontList = Named(new FontListBox(font), "FontsCBx");
    FontSizeList = Named(new QComboBox(font), "FontSizeCBx");
    FontSizeList->addItems({"6", "7", "8", "9", "10", "11", "12", "13", "14", "15", "16", "18",
                            "20", "22", "28", "36"});
    fontGrid->addWidget(BuddyLabel("Face:", FontList, font), 0, 0);
    fontGrid->addWidget(FontList, 0, 1);
    fontGrid->addWidget(BuddyLabel("Size:", FontSizeList, font), 0, 2);
    fontGrid->addWidget(FontSizeList, 0, 3);
    fontGrid->setColumnStretch(1, 1);
    page->addWidget(font);
    page->addStretch();
    AssignPageAccessKeys(*this);
}

} // namespace marrowlight
