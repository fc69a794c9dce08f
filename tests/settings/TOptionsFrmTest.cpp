#include "settings/TOptionsFrm.h"

#include "settings/ColorListBox.h"
#include "settings/FontListBox.h"
#include "settings/QSettingsBackend.h"
#include "settings/core/MemorySettingsBackend.h"
#include "support/core/RecordingSoundOutput.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
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
int editAndClose(TOptionsFrm& dlg, const std::function<void()>& edits, bool ok) {
    QTimer::singleShot(0, &dlg, [&dlg, edits, ok] {
        edits();
        ok ? dlg.OkBtn->click() : dlg.CancelBtn->click();
    });
    return dlg.Execute();
}

class TOptionsFrmTest : public ::testing::Test {
  protected:
    MemorySettingsBackend backend;
    SettingsStore store{backend, "Marrowlight"};
    RecordingSound sound;
};

TEST_F(TOptionsFrmTest, EmptyStoreShowsTheDefaults) {
    TOptionsFrm dlg(store, sound, false);
    const std::vector<std::pair<QLineEdit*, QString>> edits = {
        {dlg.Group1NameEdt, "Information"},
        {dlg.Group2NameEdt, "Warnings"},
        {dlg.Group3NameEdt, "Errors"},
        {dlg.Group1Edt, "2006"},
        {dlg.Group2Edt, "Warn;warn"},
        {dlg.Group3Edt, "Error;error"},
        {dlg.LogFolderEdt, ""},
        {dlg.FileMasksEdt, "yyyymmdd.log;exyymmdd.log"},
        {dlg.MatchWildcardsEdt, "*.log"},
    };
    for (const auto& [edit, text] : edits)
        EXPECT_EQ(edit->text(), text) << edit->objectName().toStdString();
    const std::vector<std::pair<QAbstractButton*, bool>> checks = {
        {dlg.ShowLineTimeChk, true},         {dlg.ShowLineNumbersChk, false},
        {dlg.LastEntriesAtTopChk, false},    {dlg.AllLogLinesRdo, true},
        {dlg.AddedLogLinesRdo, false},       {dlg.MatchMaskChk, false},
        {dlg.MatchWildcardsChk, true},       {dlg.MatchDateChk, false},
        {dlg.UpdateDateTimeChangeRdo, true}, {dlg.UpdateForcedRdo, false},
        {dlg.StayOnTopChk, false},           {dlg.RestoreWindowChk, false},
    };
    for (const auto& [button, checked] : checks)
        EXPECT_EQ(button->isChecked(), checked) << button->objectName().toStdString();
    const std::vector<std::pair<QComboBox*, QString>> lists = {
        {dlg.Group1SoundCBx, "None"},  {dlg.Group2SoundCBx, "None"},
        {dlg.Group3SoundCBx, "None"},  {dlg.LogLineTimeMaskCbx, "hh:mm:ss"},
        {dlg.FontSizeCBx, "8"},        {dlg.UpdateEachCBx, "1 second"},
        {dlg.Group1ColorCBx, "Green"}, {dlg.Group2ColorCBx, "Maroon"},
        {dlg.Group3ColorCBx, "Red"},
    };
    for (const auto& [list, text] : lists)
        EXPECT_EQ(list->currentText(), text) << list->objectName().toStdString();
    EXPECT_EQ(dlg.Group1ColorCBx->selectedColor(), QColor(0, 0x80, 0));
    EXPECT_EQ(dlg.Group2ColorCBx->selectedColor(), QColor(0x80, 0, 0));
    EXPECT_EQ(dlg.Group3ColorCBx->selectedColor(), QColor(0xFF, 0, 0));
    EXPECT_FALSE(dlg.UpdateEachCBx->isEnabled());
    EXPECT_GE(dlg.FontsCBx->currentIndex(), 0);
    EXPECT_EQ(dlg.FontSizeCBx->currentText().toInt(), 8);
    EXPECT_EQ(dlg.PageControl->currentWidget(), dlg.GroupsTab);
    EXPECT_EQ(dlg.PageControl->tabText(2), "Automated Open && Close");
    EXPECT_EQ(dlg.windowTitle(), "Options");
    EXPECT_TRUE(sound.played.empty());
}

TEST_F(TOptionsFrmTest, SavingWritesExactlyTheDialogsValues) {
    TOptionsFrm dlg(store, sound, false);
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

TEST_F(TOptionsFrmTest, StoredValuesLoadWithTheirConsequences) {
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
    TOptionsFrm dlg(store, sound, false);
    EXPECT_FALSE(dlg.ShowLineTimeChk->isChecked());
    EXPECT_TRUE(dlg.ShowLineNumbersChk->isChecked());
    EXPECT_FALSE(dlg.LogLineTimeMaskCbx->isEnabled());
    EXPECT_TRUE(dlg.FileMasksEdt->isEnabled());
    EXPECT_TRUE(dlg.UpdateForcedRdo->isChecked());
    EXPECT_TRUE(dlg.UpdateEachCBx->isEnabled());
    EXPECT_EQ(dlg.UpdateEachCBx->currentText(), "1 minute");
    EXPECT_EQ(dlg.Group1Edt->text(), "Error;Fatal");
    EXPECT_EQ(dlg.Group3ColorCBx->selectedColor(), QColor(0, 0, 0xFF));
    EXPECT_EQ(dlg.Group2SoundCBx->currentIndex(), 7);
    EXPECT_EQ(dlg.FontSizeCBx->currentText(), "36");
    EXPECT_TRUE(sound.played.empty()); // loading a sound list previews nothing
}

TEST_F(TOptionsFrmTest, UnusableListIndicesFallBackToTheDefaultEntry) {
    backend.values = {
        {"Marrowlight.UpdateEachCBx", "7"},   {"Marrowlight.FontSizeCBx", "size"},
        {"Marrowlight.Group1SoundCBx", "-1"}, {"Marrowlight.FontsCBx", "99999"},
        {"Marrowlight.Group3SoundCBx", "3"},
    };
    backend.unreadable = {"Marrowlight.Group2SoundCBx"};
    MemorySettingsBackend emptyBackend;
    SettingsStore emptyStore(emptyBackend, "Marrowlight");
    TOptionsFrm reference(emptyStore, sound, false);
    TOptionsFrm dlg(store, sound, false);
    EXPECT_EQ(dlg.UpdateEachCBx->currentText(), "1 second");
    EXPECT_EQ(dlg.FontSizeCBx->currentText(), "8");
    EXPECT_EQ(dlg.Group1SoundCBx->currentText(), "None");
    EXPECT_EQ(dlg.Group2SoundCBx->currentText(), "None");
    EXPECT_EQ(dlg.Group3SoundCBx->currentIndex(), 3);
    EXPECT_EQ(dlg.FontsCBx->currentText(), reference.FontsCBx->currentText());
    EXPECT_FALSE(dlg.FontsCBx->currentText().isEmpty());
}

TEST_F(TOptionsFrmTest, OkSavesAndCancelPutsBackWhatWasShown) {
    QSettingsBackend files("Veltaroon", "MarrowlightOptionsTest");
    SettingsStore fileStore(files, "Marrowlight");
    const QString longFolders = QString("/var/log/app;").repeated(23); // 299 characters
    {
        TOptionsFrm dlg(fileStore, sound, false);
        auto firstEdits = [&dlg] {
            dlg.LogFolderEdt->setText("/tmp/unsaved");
            dlg.LogLineTimeMaskCbx->setCurrentIndex(1);
            dlg.ShowLineNumbersChk->setChecked(true);
        };
        EXPECT_EQ(editAndClose(dlg, firstEdits, false), QDialog::Rejected);
        // Nothing was ever stored, yet Cancel still undoes the edits.
        EXPECT_EQ(dlg.LogFolderEdt->text(), "");
        EXPECT_EQ(dlg.LogLineTimeMaskCbx->currentIndex(), 0);
        EXPECT_TRUE(dlg.ShowLineTimeChk->isChecked());
        EXPECT_FALSE(dlg.ShowLineNumbersChk->isChecked());
        EXPECT_TRUE(dlg.LogLineTimeMaskCbx->isEnabled());
        EXPECT_FALSE(fileStore.SettingExists("WildcardsMasks"));

        auto keptEdits = [&] {
            dlg.LogFolderEdt->setText(longFolders);
            dlg.Group2Edt->setText("  Warn ");
            dlg.AddedLogLinesRdo->setChecked(true);
            dlg.Group1ColorCBx->setCurrentIndex(12);
            dlg.FontSizeCBx->setCurrentIndex(5);
            dlg.StayOnTopChk->setChecked(true);
            dlg.LogLineTimeMaskCbx->setCurrentIndex(1);
        };
        EXPECT_EQ(editAndClose(dlg, keptEdits, true), QDialog::Accepted);
        EXPECT_EQ(fileStore.ReadSetting("StayOnTop"), "1");
        EXPECT_EQ(fileStore.ReadSetting("Group2Masks"), "  Warn "); // written as shown

        auto droppedEdits = [&dlg] {
            dlg.LogFolderEdt->setText("/elsewhere");
            dlg.AllLogLinesRdo->setChecked(true);
            dlg.FontSizeCBx->setCurrentIndex(0);
            dlg.LogLineTimeMaskCbx->setCurrentIndex(0);
            dlg.Group1ColorCBx->setCurrentIndex(0);
        };
        EXPECT_EQ(editAndClose(dlg, droppedEdits, false), QDialog::Rejected);
        EXPECT_EQ(dlg.Group1ColorCBx->currentText(), "Blue");
        EXPECT_EQ(dlg.LogFolderEdt->text(), longFolders);
        EXPECT_TRUE(dlg.AddedLogLinesRdo->isChecked());
        EXPECT_EQ(dlg.FontSizeCBx->currentText(), "11");
        EXPECT_EQ(dlg.LogLineTimeMaskCbx->currentIndex(), 1);
    }
    TOptionsFrm next(fileStore, sound, false); // the next start
    EXPECT_EQ(next.LogFolderEdt->text(), longFolders);
    EXPECT_EQ(next.Group2Edt->text(), "Warn"); // trimmed on load
    EXPECT_TRUE(next.AddedLogLinesRdo->isChecked());
    EXPECT_FALSE(next.AllLogLinesRdo->isChecked());
    EXPECT_EQ(next.Group1ColorCBx->currentText(), "Blue");
    EXPECT_EQ(next.FontSizeCBx->currentText(), "11");
    EXPECT_TRUE(next.StayOnTopChk->isChecked());
    EXPECT_EQ(next.LogLineTimeMaskCbx->currentText(), "hh:mm:ss"); // never stored
}

TEST_F(TOptionsFrmTest, OkThatCannotSaveStillClosesAsOkAndKeepsTheError) {
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
        TOptionsFrm dlg(failingStore, sound, false);
        failing.readOnly = c.readOnly;
        failing.unwritable = c.unwritable;
        auto edits = [&dlg] {
            dlg.LogFolderEdt->setText("/srv/logs");
            dlg.Group2Edt->setText("Warn");
            dlg.FontSizeCBx->setCurrentIndex(5);
            dlg.StayOnTopChk->setChecked(true);
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
        EXPECT_EQ(dlg.LogFolderEdt->text(), "/srv/logs") << c.what;
        EXPECT_EQ(dlg.Group2Edt->text(), "Warn") << c.what;
        EXPECT_EQ(dlg.FontSizeCBx->currentText(), "11") << c.what;
        EXPECT_TRUE(dlg.StayOnTopChk->isChecked()) << c.what;
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

TEST_F(TOptionsFrmTest, ChangeFlagsFollowWhatTheUserDid) {
    struct Case {
        const char* what;
        std::function<void(TOptionsFrm&)> act;
        bool reload, font, autoOpen;
    };
    const std::vector<Case> cases = {
        {"nothing", [](TOptionsFrm&) {}, false, false, false},
        {"keywords", [](TOptionsFrm& d) { typeInto(d.Group2Edt, "x"); }, true, false, false},
        {"group caption", [](TOptionsFrm& d) { typeInto(d.Group1NameEdt, "x"); }, false, false,
         false},
        {"top", [](TOptionsFrm& d) { d.LastEntriesAtTopChk->click(); }, true, false, false},
        {"added lines", [](TOptionsFrm& d) { d.AddedLogLinesRdo->click(); }, true, false, false},
        {"font size", [](TOptionsFrm& d) { d.FontSizeCBx->setCurrentIndex(4); }, false, true,
         false},
        {"folders", [](TOptionsFrm& d) { typeInto(d.LogFolderEdt, "/"); }, false, false, true},
        {"wildcards", [](TOptionsFrm& d) { typeInto(d.MatchWildcardsEdt, "x"); }, false, false,
         true},
        {"match date", [](TOptionsFrm& d) { d.MatchDateChk->click(); }, false, false, true},
        {"match mask", [](TOptionsFrm& d) { d.MatchMaskChk->click(); }, false, false, true},
        {"typing a date mask",
         [](TOptionsFrm& d) {
             d.MatchMaskChk->setChecked(true);
             d.PrepareExecute();
             typeInto(d.FileMasksEdt, "x");
         },
         false, false, false},
        {"clicking into the date masks", [](TOptionsFrm& d) { clickInto(d.FileMasksEdt); }, false,
         false, true},
        {"colour and sound",
         [](TOptionsFrm& d) {
             d.Group1ColorCBx->setCurrentIndex(5);
             d.Group1SoundCBx->setCurrentIndex(0);
             d.StayOnTopChk->click();
         },
         false, false, false},
    };
    TOptionsFrm dlg(store, sound, false);
    for (const Case& c : cases) {
        dlg.PrepareExecute();
        c.act(dlg);
        EXPECT_EQ(dlg.NeedsReload, c.reload) << c.what;
        EXPECT_EQ(dlg.FontChanged, c.font) << c.what;
        EXPECT_EQ(dlg.AutoOpenChanged, c.autoOpen) << c.what;
        dlg.FinishExecute(QDialog::Rejected);
    }
}

TEST_F(TOptionsFrmTest, DependentControlsFollowTheirSwitches) {
    TOptionsFrm dlg(store, sound, false);
    dlg.ShowLineNumbersChk->click();
    EXPECT_FALSE(dlg.ShowLineTimeChk->isChecked());
    EXPECT_FALSE(dlg.LogLineTimeMaskCbx->isEnabled());
    dlg.ShowLineNumbersChk->click();
    EXPECT_FALSE(dlg.ShowLineTimeChk->isChecked()); // both may be off
    dlg.ShowLineTimeChk->click();
    EXPECT_TRUE(dlg.LogLineTimeMaskCbx->isEnabled());
    dlg.ShowLineNumbersChk->click();
    dlg.ShowLineTimeChk->click();
    EXPECT_FALSE(dlg.ShowLineNumbersChk->isChecked());

    EXPECT_FALSE(dlg.FileMasksEdt->isEnabled());
    dlg.MatchMaskChk->click();
    EXPECT_TRUE(dlg.FileMasksEdt->isEnabled());
    dlg.MatchWildcardsChk->click();
    EXPECT_FALSE(dlg.MatchWildcardsEdt->isEnabled());
    dlg.UpdateForcedRdo->click();
    EXPECT_TRUE(dlg.UpdateEachCBx->isEnabled());
    dlg.UpdateDateTimeChangeRdo->click();
    EXPECT_FALSE(dlg.UpdateEachCBx->isEnabled());

    EXPECT_TRUE(dlg.StayOnTopChk->isEnabled());
    TOptionsFrm switched(store, sound, true);
    EXPECT_FALSE(switched.StayOnTopChk->isEnabled());
    switched.PrepareExecute();
    EXPECT_FALSE(switched.StayOnTopChk->isEnabled());
}

TEST_F(TOptionsFrmTest, TestBeepPlaysOnlyForTheSoundLists) {
    TOptionsFrm dlg(store, sound, false);
    dlg.Group2SoundCBx->setCurrentIndex(7);
    dlg.Group3SoundCBx->setCurrentIndex(4);
    dlg.FontSizeCBx->setCurrentIndex(7);
    dlg.DoTestBeep(dlg.Group2SoundCBx);
    dlg.DoTestBeep(dlg.Group3SoundCBx);
    dlg.DoTestBeep(dlg.Group1SoundCBx); // "None"
    dlg.DoTestBeep(dlg.FontSizeCBx);
    dlg.DoTestBeep(nullptr);
    dlg.Group1SoundCBx->setCurrentIndex(-1);
    dlg.DoTestBeep(dlg.Group1SoundCBx);
    EXPECT_EQ(sound.played, (std::vector<std::string>{"400/150", "SystemHand"}));

    sound.played.clear();
    dlg.Group1SoundCBx->setCurrentIndex(12);
    emit dlg.Group1SoundCBx->activated(12); // choosing an entry previews it
    EXPECT_EQ(sound.played, std::vector<std::string>{"1200/500"});
}

TEST_F(TOptionsFrmTest, BrowseEditsTheEntryUnderTheCaret) {
    TOptionsFrm dlg(store, sound, false);
    QString offered;
    std::optional<QString> answer = "/srv/x";
    dlg.BrowseFolder = [&](const QString& initial) {
        offered = initial;
        return answer;
    };
    dlg.LogFolderEdt->setText("/var/äpp;/opt/b");
    dlg.PrepareExecute();
    dlg.LogFolderEdt->setCursorPosition(9); // just after the ";"
    dlg.BrowseBtn->click();
    EXPECT_EQ(offered, "/opt/b");
    EXPECT_EQ(dlg.LogFolderEdt->text(), "/var/äpp;/srv/x");
    EXPECT_TRUE(dlg.NeedsReload);
    EXPECT_TRUE(dlg.AutoOpenChanged);

    dlg.PrepareExecute();
    answer.reset();
    dlg.LogFolderEdt->setCursorPosition(2);
    dlg.BrowseBtn->click();
    EXPECT_EQ(offered, "/var/äpp");
    EXPECT_EQ(dlg.LogFolderEdt->text(), "/var/äpp;/srv/x");
    EXPECT_FALSE(dlg.NeedsReload);

    QString topic;
    dlg.ShowHelp = [&topic](const QString& t) { topic = t; };
    dlg.HelpBtn->click();
    EXPECT_EQ(topic, "Options.htm");
}

} // namespace
} // namespace marrowlight
