#include "app/JournalDialog.h"

#include "support/core/AccessKeys.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>
#include <set>

namespace marrowlight {
namespace {

std::vector<std::string> Addresses(const JournalDialog& dialog) {
    std::vector<std::string> written;
    for (const JournalSource& source : dialog.Sources())
        written.push_back(FormatJournalAddress(source));
    return written;
}

TEST(JournalDialog, ChoicesBecomeTheSourcesOfTabs) {
    const struct {
        bool files;
        QString units, paths;
        bool perMachine;
        int priorityIndex;
        std::vector<std::string> hosts;
        std::vector<std::string> written;
    } cases[] = {
        {false, "", "", false, 0, {}, {"journal://system"}},
        {false,
         " nginx.service, ssh  cron ",
         "",
         false,
         5,
         {},
         {"journal://unit/nginx.service,ssh,cron?priority=warning"}},
        {true,
         " /var/log/journal/remote ",
         "",
         false,
         0,
         {"db02", "web01"},
         {"journal://files//var/log/journal/remote"}},
        {true,
         "/var/log/journal/remote",
         "",
         true,
         0,
         {"db02", "web01"},
         {"journal://files//var/log/journal/remote?host=db02",
          "journal://files//var/log/journal/remote?host=web01"}},
        // A folder with no machine yet still opens, and follows.
        {true, "/srv/empty", "", true, 0, {}, {"journal://files//srv/empty"}},
        {true,
         "\"/j/a.journal\" \"/j/b;c.journal\"",
         "",
         false,
         1,
         {},
         {"journal://files//j/a.journal,/j/b%3Bc.journal?priority=emerg"}},
        {true, "  ", "", false, 0, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.units.toStdString());
        JournalDialog dialog;
        dialog.ListHosts = [&c](const JournalSource&) { return c.hosts; };
        (c.files ? dialog.FilesButton : dialog.ThisMachineButton)->setChecked(true);
        (c.files ? dialog.PathsField : dialog.UnitsField)->setText(c.units);
        dialog.TabPerMachineBox->setChecked(c.perMachine);
        dialog.PriorityList->setCurrentIndex(c.priorityIndex);
        EXPECT_EQ(Addresses(dialog), c.written);
        EXPECT_EQ(dialog.OpenButton->isEnabled(), !c.written.empty());
        EXPECT_EQ(dialog.UnitsField->isEnabled(), !c.files);
        for (QWidget* w :
             std::initializer_list<QWidget*>{dialog.PathsField, dialog.FolderButton,
                                             dialog.FilesBrowseButton, dialog.TabPerMachineBox})
            EXPECT_EQ(w->isEnabled(), c.files);
    }
}

TEST(JournalDialog, EveryControlIsNamedAndHasItsOwnKey) {
    JournalDialog dialog;
    std::set<QWidget*> labelled;
    std::set<std::string> keys;
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
        ASSERT_NE(label->buddy(), nullptr) << label->text().toStdString();
        labelled.insert(label->buddy());
    }
    for (QWidget* field :
         std::initializer_list<QWidget*>{dialog.UnitsField, dialog.PathsField, dialog.PriorityList})
        EXPECT_TRUE(labelled.count(field)) << field->metaObject()->className();
    for (QAbstractButton* button : dialog.findChildren<QAbstractButton*>()) {
        const std::string text = button->text().toStdString();
        const std::size_t mark = text.find('&');
        ASSERT_NE(mark, std::string::npos) << text;
        EXPECT_TRUE(keys.insert(std::string(1, char(std::toupper(text[mark + 1])))).second) << text;
    }
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
        const std::string text = label->text().toStdString();
        const std::size_t mark = text.find('&');
        ASSERT_NE(mark, std::string::npos) << text;
        EXPECT_TRUE(keys.insert(std::string(1, char(std::toupper(text[mark + 1])))).second) << text;
    }
}

} // namespace
} // namespace marrowlight
