#include "settings/OptionsDialog.h"

#include "settings/ColorListBox.h"
#include "settings/FontListBox.h"
#include "settings/GroupsPage.h"
#include "settings/QSettingsBackend.h"
#include "settings/core/MemorySettingsBackend.h"
#include "support/core/RecordingSoundOutput.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>
#include <gtest/gtest.h>
#include <set>

namespace marrowlight {
namespace {

using RecordingSound = RecordingSoundOutput;

void typeInto(QWidget* w, const QString& text) {
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
    }
}

void clickInto(QWidget* w) {
    const QPointF at(2, 2);
    QMouseEvent press(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
}

// Shows the dialog, makes the edits while it is open, then closes it with
// Ok or Cancel.
int editAndClose(OptionsDialog& dlg, const std::function<void()>& edits, bool ok) {
    QTimer::singleShot(0, &dlg, [&dlg, edits, ok] {
        edits();
        ok ? dlg.OkButton->click() : dlg.CancelButton->click();
    });
    return dlg.Execute();
}

class OptionsDialogTest : public ::testing::Test {
  protected:
    MemorySettingsBackend backend;
    SettingsStore store{backend, "Marrowlight"};
    RecordingSound sound;
};

TEST_F(OptionsDialogTest, EmptyStoreShowsTheDefaults) {
    OptionsDialog dlg(store, sound, false);
    const std::vector<std::pair<QLineEdit*, QString>> edits = {
        {dlg.Group1NameField, "Information"},
        {dlg.Group2NameField, "Warnings"},
        {dlg.Group3NameField, "Errors"},
        {dlg.Group1KeywordsField, "2006"},
        {dlg.Group2KeywordsField, "Warn;warn"},
        {dlg.Group3KeywordsField, "Error;error"},
        {dlg.LogFolderField, ""},
        {dlg.FileMasksField, "yyyymmdd.log;exyymmdd.log"},
        {dlg.WildcardMasksField, "*.log"},
    };
    for (const auto& [edit, text] : edits)
        EXPECT_EQ(edit->text(), text) << edit->objectName().toStdString();
    const std::vector<std::pair<QAbstractButton*, bool>> checks = {
        {dlg.ShowLineTimeBox, true},      {dlg.ShowLineNumbersBox, false},
        {dlg.LastEntriesAtTopBox, false}, {dlg.AllLogLinesButton, true},
        {dlg.AddedLogLinesButton, false}, {dlg.MatchMaskBox, false},
        {dlg.MatchWildcardsBox, true},    {dlg.MatchDateBox, false},
        {dlg.UpdateOnChangeButton, true}, {dlg.UpdateForcedButton, false},
        {dlg.StayOnTopBox, false},        {dlg.RestoreWindowBox, false},
    };
    for (const auto& [button, checked] : checks)
        EXPECT_EQ(button->isChecked(), checked) << button->objectName().toStdString();
    const std::vector<std::pair<QComboBox*, QString>> lists = {
        {dlg.Group1SoundList, "None"},  {dlg.Group2SoundList, "None"},
        {dlg.Group3SoundList, "None"},  {dlg.LineTimeFormatList, "hh:mm:ss"},
        {dlg.FontSizeList, "8"},        {dlg.UpdateEachList, "1 second"},
        {dlg.Group1ColorList, "Green"}, {dlg.Group2ColorList, "Maroon"},
        {dlg.Group3ColorList, "Red"},
    };
    for (const auto& [list, text] : lists)
        EXPECT_EQ(list->currentText(), text) << list->objectName().toStdString();
    EXPECT_EQ(dlg.Group1ColorList->SelectedColor(), QColor(0, 0x80, 0));
    EXPECT_EQ(dlg.Group2ColorList->SelectedColor(), QColor(0x80, 0, 0));
    EXPECT_EQ(dlg.Group3ColorList->SelectedColor(), QColor(0xFF, 0, 0));
    EXPECT_FALSE(dlg.UpdateEachList->isEnabled());
    EXPECT_GE(dlg.FontList->currentIndex(), 0);
    EXPECT_EQ(dlg.FontSizeList->currentText().toInt(), 8);
    EXPECT_EQ(dlg.TabWidget->currentWidget(), dlg.GroupsTab);
    EXPECT_EQ(dlg.TabWidget->tabText(2), "Automated Open && Close");
    EXPECT_EQ(dlg.windowTitle(), "Options");
    EXPECT_TRUE(sound.played.empty());
}

TEST_F(OptionsDialogTest, SavingWritesExactlyTheDialogsValues) {
    OptionsDialog dlg(store, sound, false);
    dlg.SaveSettings();
    std::set<std::string> formValues, otherValues;
    const std::string formPrefix = "Marrowlight.OptionsFrm.PageControl.";
    for (const auto& [name, value] : backend.values)
        (name.rfind(formPrefix, 0) == 0 ? formValues : otherValues)
            .insert(name.substr(name.rfind(formPrefix, 0) == 0
                                    ? formPrefix.size()
                                    : std::string("Marrowlight.").size()));
    const std::set<std::string> expectedForm = {
        "GroupsTab.GroupBox1.Group1NameEdt",
        "GroupsTab.GroupBox1.Group1Edt",
        "GroupsTab.GroupBox2.Group2NameEdt",
        "GroupsTab.GroupBox2.Group2Edt",
        "GroupsTab.GroupBox3.Group3NameEdt",
        "GroupsTab.GroupBox3.Group3Edt",
        "GroupsTab.GroupBox1.Group1ColorCBx",
        "GroupsTab.GroupBox2.Group2ColorCBx",
        "GroupsTab.GroupBox3.Group3ColorCBx",
        "GroupsTab.GroupBox1.Group1RegexChk",
        "GroupsTab.GroupBox2.Group2RegexChk",
        "GroupsTab.GroupBox3.Group3RegexChk",
        "GroupsTab.GroupBox1.Group1NotifyChk",
        "GroupsTab.GroupBox2.Group2NotifyChk",
        "GroupsTab.GroupBox3.Group3NotifyChk",
        "AutoOpenCloseTab.GroupBox7.LogFolderEdt",
        "AutoOpenCloseTab.GroupBox7.FileMasksEdt",
        "AutoOpenCloseTab.GroupBox7.MatchWildcardsEdt",
        "DisplayOptionsTab.GroupBox8.LastEntriesAtTopChk",
        "DisplayOptionsTab.GroupBox8.ShowLineNumbersChk",
        "DisplayOptionsTab.GroupBox8.ShowLineTimeChk",
        "AutoOpenCloseTab.GroupBox7.MatchDateChk",
        "AutoOpenCloseTab.GroupBox7.MatchMaskChk",
        "AutoOpenCloseTab.GroupBox7.MatchWildcardsChk",
        "AdvancedTab.GroupBox9.StayOnTopChk",
        "AdvancedTab.GroupBox9.RestoreWindowChk",
        "AdvancedTab.GroupBox9.ShowInTrayChk",
        "AdvancedTab.GroupBox9.ReopenSessionChk",
        "DisplayOptionsTab.GroupBox5.AllLogLinesRdo",
        "DisplayOptionsTab.GroupBox5.AddedLogLinesRdo",
        "AdvancedTab.GroupBox4.UpdateDateTimeChangeRdo",
        "AdvancedTab.GroupBox4.UpdateForcedRdo",
    };
    EXPECT_EQ(formValues, expectedForm);
    const std::set<std::string> expectedOther = {
        "UpdateEachCBx",  "FontsCBx",       "FontSizeCBx",    "Group1SoundCBx",
        "Group2SoundCBx", "Group3SoundCBx", "Group1Masks",    "Group2Masks",
        "Group3Masks",    "DateTimeMasks",  "WildcardsMasks", "StayOnTop",
    };
    EXPECT_EQ(otherValues, expectedOther);
    EXPECT_EQ(backend.values["Marrowlight.FontSizeCBx"], "2");
    EXPECT_EQ(backend.values["Marrowlight.UpdateEachCBx"], "0");
    EXPECT_EQ(
        backend.values["Marrowlight.OptionsFrm.PageControl.GroupsTab.GroupBox1.Group1ColorCBx"],
        "2");
}

TEST_F(OptionsDialogTest, StoredValuesLoadWithTheirConsequences) {
    const std::string form = "Marrowlight.OptionsFrm.PageControl.";
    backend.values = {
        {form + "DisplayOptionsTab.GroupBox8.ShowLineTimeChk", "0"},
        {form + "DisplayOptionsTab.GroupBox8.ShowLineNumbersChk", "1"},
        {form + "AutoOpenCloseTab.GroupBox7.MatchMaskChk", "1"},
        {form + "AdvancedTab.GroupBox4.UpdateDateTimeChangeRdo", "0"},
        {form + "AdvancedTab.GroupBox4.UpdateForcedRdo", "1"},
        {form + "GroupsTab.GroupBox1.Group1Edt", "from the walk"},
        {form + "GroupsTab.GroupBox3.Group3ColorCBx", "12"},
        {"Marrowlight.Group1Masks", "  Error\r\nFatal \r\n"},
        {"Marrowlight.UpdateEachCBx", "5"},
        {"Marrowlight.Group2SoundCBx", "7"},
        {"Marrowlight.FontSizeCBx", "15"},
    };
    OptionsDialog dlg(store, sound, false);
    EXPECT_FALSE(dlg.ShowLineTimeBox->isChecked());
    EXPECT_TRUE(dlg.ShowLineNumbersBox->isChecked());
    EXPECT_FALSE(dlg.LineTimeFormatList->isEnabled());
    EXPECT_TRUE(dlg.FileMasksField->isEnabled());
    EXPECT_TRUE(dlg.UpdateForcedButton->isChecked());
    EXPECT_TRUE(dlg.UpdateEachList->isEnabled());
    EXPECT_EQ(dlg.UpdateEachList->currentText(), "1 minute");
    EXPECT_EQ(dlg.Group1KeywordsField->text(), "Error;Fatal");
    EXPECT_EQ(dlg.Group3ColorList->SelectedColor(), QColor(0, 0, 0xFF));
    EXPECT_EQ(dlg.Group2SoundList->currentIndex(), 7);
    EXPECT_EQ(dlg.FontSizeList->currentText(), "36");
    EXPECT_TRUE(sound.played.empty()); // loading a sound list previews nothing
}

TEST_F(OptionsDialogTest, UnusableListIndicesFallBackToTheDefaultEntry) {
    backend.values = {
        {"Marrowlight.UpdateEachCBx", "7"},   {"Marrowlight.FontSizeCBx", "size"},
        {"Marrowlight.Group1SoundCBx", "-1"}, {"Marrowlight.FontsCBx", "99999"},
        {"Marrowlight.Group3SoundCBx", "3"},
    };
    backend.unreadable = {"Marrowlight.Group2SoundCBx"};
    MemorySettingsBackend emptyBackend;
    SettingsStore emptyStore(emptyBackend, "Marrowlight");
    OptionsDialog reference(emptyStore, sound, false);
    OptionsDialog dlg(store, sound, false);
    EXPECT_EQ(dlg.UpdateEachList->currentText(), "1 second");
    EXPECT_EQ(dlg.FontSizeList->currentText(), "8");
    EXPECT_EQ(dlg.Group1SoundList->currentText(), "None");
    EXPECT_EQ(dlg.Group2SoundList->currentText(), "None");
    EXPECT_EQ(dlg.Group3SoundList->currentIndex(), 3);
    EXPECT_EQ(dlg.FontList->currentText(), reference.FontList->currentText());
    EXPECT_FALSE(dlg.FontList->currentText().isEmpty());
}

TEST_F(OptionsDialogTest, OkSavesAndCancelPutsBackWhatWasShown) {
    QSettingsBackend files("Veltaroon", "MarrowlightOptionsTest");
    SettingsStore fileStore(files, "Marrowlight");
    const QString longFolders = QString("/var/log/app;").repeated(23); // 299 characters
    {
        OptionsDialog dlg(fileStore, sound, false);
        auto firstEdits = [&dlg] {
            dlg.LogFolderField->setText("/tmp/unsaved");
            dlg.LineTimeFormatList->setCurrentIndex(1);
            dlg.ShowLineNumbersBox->setChecked(true);
        };
        EXPECT_EQ(editAndClose(dlg, firstEdits, false), QDialog::Rejected);
        // Nothing was ever stored, yet Cancel still undoes the edits.
        EXPECT_EQ(dlg.LogFolderField->text(), "");
        EXPECT_EQ(dlg.LineTimeFormatList->currentIndex(), 0);
        EXPECT_TRUE(dlg.ShowLineTimeBox->isChecked());
        EXPECT_FALSE(dlg.ShowLineNumbersBox->isChecked());
        EXPECT_TRUE(dlg.LineTimeFormatList->isEnabled());
        EXPECT_FALSE(fileStore.SettingExists("WildcardsMasks"));

        auto keptEdits = [&] {
            dlg.LogFolderField->setText(longFolders);
            dlg.Group2KeywordsField->setText("  Warn ");
            dlg.AddedLogLinesButton->setChecked(true);
            dlg.Group1ColorList->setCurrentIndex(12);
            dlg.FontSizeList->setCurrentIndex(5);
            dlg.StayOnTopBox->setChecked(true);
            dlg.LineTimeFormatList->setCurrentIndex(1);
        };
        EXPECT_EQ(editAndClose(dlg, keptEdits, true), QDialog::Accepted);
        EXPECT_EQ(fileStore.ReadSetting("StayOnTop"), "1");
        EXPECT_EQ(fileStore.ReadSetting("Group2Masks"), "  Warn "); // written as shown

        auto droppedEdits = [&dlg] {
            dlg.LogFolderField->setText("/elsewhere");
            dlg.AllLogLinesButton->setChecked(true);
            dlg.FontSizeList->setCurrentIndex(0);
            dlg.LineTimeFormatList->setCurrentIndex(0);
            dlg.Group1ColorList->setCurrentIndex(0);
        };
        EXPECT_EQ(editAndClose(dlg, droppedEdits, false), QDialog::Rejected);
        EXPECT_EQ(dlg.Group1ColorList->currentText(), "Blue");
        EXPECT_EQ(dlg.LogFolderField->text(), longFolders);
        EXPECT_TRUE(dlg.AddedLogLinesButton->isChecked());
        EXPECT_EQ(dlg.FontSizeList->currentText(), "11");
        EXPECT_EQ(dlg.LineTimeFormatList->currentIndex(), 1);
    }
    OptionsDialog next(fileStore, sound, false); // the next start
    EXPECT_EQ(next.LogFolderField->text(), longFolders);
    EXPECT_EQ(next.Group2KeywordsField->text(), "Warn"); // trimmed on load
    EXPECT_TRUE(next.AddedLogLinesButton->isChecked());
    EXPECT_FALSE(next.AllLogLinesButton->isChecked());
    EXPECT_EQ(next.Group1ColorList->currentText(), "Blue");
    EXPECT_EQ(next.FontSizeList->currentText(), "11");
    EXPECT_TRUE(next.StayOnTopBox->isChecked());
    EXPECT_EQ(next.LineTimeFormatList->currentText(), "hh:mm:ss"); // never stored
}

// Ok keeps the dialog open while a group's keywords are expressions that
// cannot be used: the page says which and why, and nothing is stored.
TEST_F(OptionsDialogTest, OkIsRefusedForKeywordsThatAreNoExpressions) {
    OptionsDialog dlg(store, sound, false);
    dlg.CheckRegexKeywords = [](const std::string& keywords) -> std::optional<std::string> {
        if (keywords.empty() || keywords.back() != '[')
            return std::nullopt;
        return "Keyword 1 (" + keywords + "): missing terminating ]";
    };
    auto* page = qobject_cast<GroupsPage*>(dlg.GroupsTab);
    ASSERT_NE(page, nullptr);
    struct Case {
        int group;
        const char* keywords;
        bool regex;
        bool accepted;
    } cases[] = {
        {2, "ERR[", false, true}, // plain keywords: "[" is a character
        {2, "ERR[", true, false},
        {3, "ok;ERR[", true, false},
        {2, "ERR[0-9]+", true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keywords);
        bool open = false;
        QString reason;
        QWidget* focus = nullptr;
        QWidget* shownPage = nullptr;
        QTimer::singleShot(0, &dlg, [&] {
            const OptionsDialog::GroupControls group = dlg.Group(c.group);
            group.KeywordsField->setText(c.keywords);
            group.RegexBox->setChecked(c.regex);
            dlg.TabWidget->setCurrentWidget(dlg.AdvancedTab);
            dlg.OkButton->click();
            open = dlg.isVisible();
            reason = page->KeywordsProblem[c.group - 1]->isVisibleTo(page)
                         ? page->KeywordsProblem[c.group - 1]->text()
                         : QString();
            focus = QApplication::focusWidget();
            shownPage = dlg.TabWidget->currentWidget();
            if (open)
                dlg.CancelButton->click();
        });
        const int result = dlg.Execute();
        EXPECT_EQ(open, !c.accepted);
        EXPECT_EQ(result, c.accepted ? QDialog::Accepted : QDialog::Rejected);
        if (c.accepted) {
            EXPECT_TRUE(reason.isEmpty());
            EXPECT_EQ(store.ReadSetting("Group" + std::to_string(c.group) + "Masks"), c.keywords);
        } else {
            EXPECT_TRUE(reason.contains(QString("(") + c.keywords + "): missing terminating ]"))
                << reason.toStdString();
            EXPECT_EQ(shownPage, dlg.GroupsTab);
            if (focus) { // no window system may give none
                EXPECT_EQ(focus, dlg.Group(c.group).KeywordsField);
            }
        }
    }
    // The box is stored beside the group's values and read back at the next start.
    OptionsDialog next(store, sound, false);
    EXPECT_TRUE(next.Group2RegexBox->isChecked());
    EXPECT_FALSE(next.Group1RegexBox->isChecked());
}

TEST_F(OptionsDialogTest, OkThatCannotSaveStillClosesAsOkAndKeepsTheError) {
    const std::string folderName =
        "Marrowlight.OptionsFrm.PageControl.AutoOpenCloseTab.GroupBox7.LogFolderEdt";
    struct Case {
        const char* what;
        bool readOnly;
        std::set<std::string> unwritable;
        const char* error; // nullptr: any value name of the dialog
    };
    const Case cases[] = {
        {"read-only store", true, {}, nullptr},
        // The first failure is reported; values after it are still written.
        {"two values refused",
         false,
         {folderName, "Marrowlight.Group2Masks"},
         "Failed to set data for 'Marrowlight.OptionsFrm.PageControl.AutoOpenCloseTab."
         "GroupBox7.LogFolderEdt'"},
        {"last value refused",
         false,
         {"Marrowlight.StayOnTop"},
         "Failed to set data for 'Marrowlight.StayOnTop'"},
    };
    for (const Case& c : cases) {
        MemorySettingsBackend failing;
        SettingsStore failingStore{failing, "Marrowlight"};
        OptionsDialog dlg(failingStore, sound, false);
        failing.readOnly = c.readOnly;
        failing.unwritable = c.unwritable;
        auto edits = [&dlg] {
            dlg.LogFolderField->setText("/srv/logs");
            dlg.Group2KeywordsField->setText("Warn");
            dlg.FontSizeList->setCurrentIndex(5);
            dlg.StayOnTopBox->setChecked(true);
        };
        EXPECT_EQ(editAndClose(dlg, edits, true), QDialog::Accepted) << c.what;
        ASSERT_TRUE(dlg.SaveError.has_value()) << c.what;
        if (c.error)
            EXPECT_EQ(*dlg.SaveError, c.error) << c.what;
        else
            EXPECT_EQ(dlg.SaveError->rfind("Failed to set data for 'Marrowlight.OptionsFrm.", 0),
                      0u)
                << *dlg.SaveError;
        // The accepted settings stay in the controls for the program to use.
        EXPECT_EQ(dlg.LogFolderField->text(), "/srv/logs") << c.what;
        EXPECT_EQ(dlg.Group2KeywordsField->text(), "Warn") << c.what;
        EXPECT_EQ(dlg.FontSizeList->currentText(), "11") << c.what;
        EXPECT_TRUE(dlg.StayOnTopBox->isChecked()) << c.what;
        if (!c.readOnly) {
            EXPECT_EQ(failing.values["Marrowlight.FontSizeCBx"], "5") << c.what;
            EXPECT_EQ(failing.values.count("Marrowlight.StayOnTop"),
                      c.unwritable.count("Marrowlight.StayOnTop") ? 0u : 1u)
                << c.what;
        }

        failing.readOnly = false;
        failing.unwritable.clear();
        EXPECT_EQ(editAndClose(
                      dlg, [] {}, true),
                  QDialog::Accepted)
            << c.what;
        EXPECT_FALSE(dlg.SaveError.has_value()) << c.what;
        EXPECT_EQ(failing.values[folderName], "/srv/logs") << c.what;
    }
}

TEST_F(OptionsDialogTest, ChangeFlagsFollowWhatTheUserDid) {
    struct Case {
        const char* what;
        std::function<void(OptionsDialog&)> act;
        bool reload, font, autoOpen;
    };
    const std::vector<Case> cases = {
        {"nothing", [](OptionsDialog&) {}, false, false, false},
        {"keywords", [](OptionsDialog& d) { typeInto(d.Group2KeywordsField, "x"); }, true, false,
         false},
        {"group caption", [](OptionsDialog& d) { typeInto(d.Group1NameField, "x"); }, false, false,
         false},
        {"top", [](OptionsDialog& d) { d.LastEntriesAtTopBox->click(); }, true, false, false},
        {"added lines", [](OptionsDialog& d) { d.AddedLogLinesButton->click(); }, true, false,
         false},
        {"font size", [](OptionsDialog& d) { d.FontSizeList->setCurrentIndex(4); }, false, true,
         false},
        {"folders", [](OptionsDialog& d) { typeInto(d.LogFolderField, "/"); }, false, false, true},
        {"wildcards", [](OptionsDialog& d) { typeInto(d.WildcardMasksField, "x"); }, false, false,
         true},
        {"match date", [](OptionsDialog& d) { d.MatchDateBox->click(); }, false, false, true},
        {"match mask", [](OptionsDialog& d) { d.MatchMaskBox->click(); }, false, false, true},
        {"typing a date mask",
         [](OptionsDialog& d) {
             d.MatchMaskBox->setChecked(true);
             d.PrepareExecute();
             typeInto(d.FileMasksField, "x");
         },
         false, false, false},
        {"clicking into the date masks", [](OptionsDialog& d) { clickInto(d.FileMasksField); },
         false, false, true},
        {"colour and sound",
         [](OptionsDialog& d) {
             d.Group1ColorList->setCurrentIndex(5);
             d.Group1SoundList->setCurrentIndex(0);
             d.StayOnTopBox->click();
         },
         false, false, false},
    };
    OptionsDialog dlg(store, sound, false);
    for (const Case& c : cases) {
        dlg.PrepareExecute();
        c.act(dlg);
        EXPECT_EQ(dlg.NeedsReload, c.reload) << c.what;
        EXPECT_EQ(dlg.FontChanged, c.font) << c.what;
        EXPECT_EQ(dlg.AutoOpenChanged, c.autoOpen) << c.what;
        dlg.FinishExecute(QDialog::Rejected);
    }
}

TEST_F(OptionsDialogTest, DependentControlsFollowTheirSwitches) {
    OptionsDialog dlg(store, sound, false);
    dlg.ShowLineNumbersBox->click();
    EXPECT_FALSE(dlg.ShowLineTimeBox->isChecked());
    EXPECT_FALSE(dlg.LineTimeFormatList->isEnabled());
    dlg.ShowLineNumbersBox->click();
    EXPECT_FALSE(dlg.ShowLineTimeBox->isChecked()); // both may be off
    dlg.ShowLineTimeBox->click();
    EXPECT_TRUE(dlg.LineTimeFormatList->isEnabled());
    dlg.ShowLineNumbersBox->click();
    dlg.ShowLineTimeBox->click();
    EXPECT_FALSE(dlg.ShowLineNumbersBox->isChecked());

    EXPECT_FALSE(dlg.FileMasksField->isEnabled());
    dlg.MatchMaskBox->click();
    EXPECT_TRUE(dlg.FileMasksField->isEnabled());
    dlg.MatchWildcardsBox->click();
    EXPECT_FALSE(dlg.WildcardMasksField->isEnabled());
    dlg.UpdateForcedButton->click();
    EXPECT_TRUE(dlg.UpdateEachList->isEnabled());
    dlg.UpdateOnChangeButton->click();
    EXPECT_FALSE(dlg.UpdateEachList->isEnabled());

    EXPECT_TRUE(dlg.StayOnTopBox->isEnabled());
    OptionsDialog switched(store, sound, true);
    EXPECT_FALSE(switched.StayOnTopBox->isEnabled());
    switched.PrepareExecute();
    EXPECT_FALSE(switched.StayOnTopBox->isEnabled());
}

TEST_F(OptionsDialogTest, TestBeepPlaysOnlyForTheSoundLists) {
    OptionsDialog dlg(store, sound, false);
    dlg.Group2SoundList->setCurrentIndex(7);
    dlg.Group3SoundList->setCurrentIndex(4);
    dlg.FontSizeList->setCurrentIndex(7);
    dlg.PlaySelectedSound(dlg.Group2SoundList);
    dlg.PlaySelectedSound(dlg.Group3SoundList);
    dlg.PlaySelectedSound(dlg.Group1SoundList); // "None"
    dlg.PlaySelectedSound(dlg.FontSizeList);
    dlg.PlaySelectedSound(nullptr);
    dlg.Group1SoundList->setCurrentIndex(-1);
    dlg.PlaySelectedSound(dlg.Group1SoundList);
    EXPECT_EQ(sound.played, (std::vector<std::string>{"400/150", "SystemHand"}));

    sound.played.clear();
    dlg.Group1SoundList->setCurrentIndex(12);
    emit dlg.Group1SoundList->activated(12); // choosing an entry previews it
    EXPECT_EQ(sound.played, std::vector<std::string>{"1200/500"});
}

TEST_F(OptionsDialogTest, BrowseEditsTheEntryUnderTheCaret) {
    OptionsDialog dlg(store, sound, false);
    QString offered;
    std::optional<QString> answer = "/srv/x";
    dlg.BrowseFolder = [&](const QString& initial) {
        offered = initial;
        return answer;
    };
    dlg.LogFolderField->setText("/var/äpp;/opt/b");
    dlg.PrepareExecute();
    dlg.LogFolderField->setCursorPosition(9); // just after the ";"
    dlg.BrowseButton->click();
    EXPECT_EQ(offered, "/opt/b");
    EXPECT_EQ(dlg.LogFolderField->text(), "/var/äpp;/srv/x");
    EXPECT_TRUE(dlg.NeedsReload);
    EXPECT_TRUE(dlg.AutoOpenChanged);

    dlg.PrepareExecute();
    answer.reset();
    dlg.LogFolderField->setCursorPosition(2);
    dlg.BrowseButton->click();
    EXPECT_EQ(offered, "/var/äpp");
    EXPECT_EQ(dlg.LogFolderField->text(), "/var/äpp;/srv/x");
    EXPECT_FALSE(dlg.NeedsReload);

    QString topic;
    dlg.ShowHelp = [&topic](const QString& t) { topic = t; };
    dlg.HelpButton->click();
    EXPECT_EQ(topic, "Options.htm");
}

} // namespace
} // namespace marrowlight
