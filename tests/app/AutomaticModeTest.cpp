#include "app/MainWindow.h"
#include "monitor/LogTab.h"
#include "monitor/LogTabs.h"
#include "settings/OptionsDialog.h"
#include "settings/core/MemorySettingsBackend.h"
#include "settings/core/StoredNames.h"
#include "support/core/RecordingSoundOutput.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace marrowlight {
namespace {

// A window after its first activation, whose modal seam answers the
// question box and the Options dialog as told.
struct ModeRig {
    ModeRig() : store(backend, "Marrowlight"), frm(store, {"marrowlight"}) {
        options = new OptionsDialog(store, sound, false, &frm);
        frm.AttachOptions(*options);
        frm.PrepareShow();
        frm.HandleFirstActivation();
        frm.ShowModal = [this](QDialog& dialog) { return Answer(dialog); };
    }

    int Answer(QDialog& dialog) {
        if (auto* box = qobject_cast<QMessageBox*>(&dialog)) {
            questions << box->windowTitle() + "|" + box->text();
            EXPECT_EQ(box->buttons().size(), 2);
            box->button(answerYes ? QMessageBox::Yes : QMessageBox::No)->click();
            return box->result();
        }
        EXPECT_EQ(&dialog, options);
        ++optionsShown;
        pageShown = options->TabWidget->currentWidget();
        focusShown = options->focusWidget();
        options->LogFolderField->setText(typedFolder);
        options->Group2NameField->setText("Alerts");
        return acceptOptions ? QDialog::Accepted : QDialog::Rejected;
    }
    bool ModeOn() const { return frm.AutomaticModeAction->isChecked(); }

    MemorySettingsBackend backend;
    SettingsStore store;
    RecordingSoundOutput sound;
    MainWindow frm;
    OptionsDialog* options = nullptr;

    bool answerYes = false;
    bool acceptOptions = false;
    QString typedFolder;
    QStringList questions;
    int optionsShown = 0;
    QWidget* pageShown = nullptr;
    QWidget* focusShown = nullptr;
};

TEST(AutomaticMode, TheMenuCommandSwitchesAtOnceWhenAFolderIsWatched) {
    const struct {
        bool on;
        const char* folders;
        bool nowOn;
    } cases[] = {
        {true, "", false},
        {true, "/var/log", false},
        {false, "/var/log", true},
        {false, " /var/log ;", true},
    };
    for (const auto& c : cases) {
        ModeRig rig;
        rig.frm.AutomaticModeAction->setChecked(c.on);
        rig.options->LogFolderField->setText(c.folders);
        rig.frm.AutomaticModeAction->trigger();
        EXPECT_EQ(rig.ModeOn(), c.nowOn) << c.on << " '" << c.folders << "'";
        EXPECT_TRUE(rig.questions.isEmpty());
        EXPECT_EQ(rig.optionsShown, 0);
    }
}

TEST(AutomaticMode, WithoutAWatchedFolderTheCommandOffersToDefineTheConditions) {
    const struct {
        bool yes, ok;
        bool nowOn;
    } answers[] = {
        {false, false, false},
        {true, false, false},
        {true, true, true},
    };
    for (const char* folders : {"", "  ", ";/var/log"}) {
        for (const auto& a : answers) {
            ModeRig rig;
            rig.options->LogFolderField->setText(folders);
            rig.options->TabWidget->setCurrentWidget(rig.options->AdvancedTab);
            rig.answerYes = a.yes;
            rig.acceptOptions = a.ok;
            rig.typedFolder = "/srv/logs";
            rig.frm.AutomaticModeAction->trigger();

            const std::string label = std::string("'") + folders + "' yes " +
                                      std::to_string(a.yes) + " ok " + std::to_string(a.ok);
            EXPECT_EQ(rig.questions,
                      QStringList("Confirm|Conditions for automated logs opening/closing were not "
                                  "defined yet.\nDo you want to define them now?"))
                << label;
            EXPECT_EQ(rig.ModeOn(), a.nowOn) << label;
            EXPECT_EQ(rig.optionsShown, a.yes ? 1 : 0) << label;
            if (a.yes) {
                EXPECT_EQ(rig.pageShown, rig.options->AutoOpenCloseTab) << label;
                if (QString(folders).isEmpty()) {
                    EXPECT_EQ(rig.focusShown, rig.options->LogFolderField) << label;
                }
            }
            EXPECT_EQ(rig.options->TabWidget->currentWidget(), rig.options->AdvancedTab)
                << "the page shown before comes back: " << label;
            EXPECT_EQ(rig.options->LogFolderField->text(), a.ok ? "/srv/logs" : folders) << label;
            EXPECT_TRUE(rig.frm.PollTimer->isActive()) << label;
            // Accepted options apply as after the Options command.
            EXPECT_EQ(rig.store.SettingExists("Group2Caption"), a.ok) << label;
        }
    }
}

// The window's update cycle runs the pass while the mode is on, and the
// first cycle brings the log that had the focus at the last close back to
// the front.
TEST(AutomaticMode, TheUpdateCycleKeepsTheTabsInLineWithTheWatchedFolder) {
    QTemporaryDir dir;
    for (const char* name : {"a.log", "b.log", "notes.txt"}) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    auto path = [&dir](const char* name) {
        return QFile::encodeName(dir.filePath(name)).toStdString();
    };
    ModeRig rig;
    rig.store.WriteSetting(stored::LastFocusedFile, path("a.log"));
    rig.options->LogFolderField->setText(dir.path());
    rig.frm.Tabs()->OpenLog(path("notes.txt"));
    rig.frm.AutomaticModeAction->trigger();
    ASSERT_TRUE(rig.ModeOn());

    rig.frm.PollLogs();
    ASSERT_EQ(rig.frm.TabWidget->count(), 2);
    EXPECT_EQ(rig.frm.Tabs()->ActiveFileName(), path("a.log"));

    ASSERT_TRUE(QFile::rename(dir.filePath("a.log"), dir.filePath("a.old")));
    rig.frm.PollLogs();
    ASSERT_EQ(rig.frm.TabWidget->count(), 1);
    EXPECT_EQ(rig.frm.Tabs()->Tab(0)->FileName(), path("b.log"));

    rig.frm.AutomaticModeAction->trigger();
    ASSERT_FALSE(rig.ModeOn());
    ASSERT_TRUE(QFile::rename(dir.filePath("a.old"), dir.filePath("a.log")));
    rig.frm.PollLogs();
    EXPECT_EQ(rig.frm.TabWidget->count(), 1) << "switched off, the folder is not watched";
}

} // namespace
} // namespace marrowlight
