// What a screen reader and a keyboard user meet on the Options pages, and the
// texts the pages show.
#include "settings/ColorListBox.h"
#include "settings/FontListBox.h"
#include "settings/OptionsDialog.h"
#include "settings/core/MemorySettingsBackend.h"
#include "support/core/RecordingSoundOutput.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>
#include <map>

namespace marrowlight {
namespace {

class OptionsPages : public ::testing::Test {
  protected:
    MemorySettingsBackend backend;
    SettingsStore store{backend, "Marrowlight"};
    RecordingSoundOutput sound;
    OptionsDialog dlg{store, sound, false};
};

std::string Heard(QAccessible::Text what, QObject* object) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(object);
    return accessible ? accessible->text(what).toStdString() : "(no interface)";
}

// The label a reader announces with a control: the first label it is
// labelled by (Qt on Linux names a list by its entry and links the label so).
std::string LabelledBy(QWidget* widget) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    if (!accessible)
        return "(no interface)";
    const auto labels = accessible->relations(QAccessible::Label);
    return labels.isEmpty() ? "(no label)"
                            : labels.first().first->text(QAccessible::Name).toStdString();
}

TEST_F(OptionsPages, EveryControlIsAnnouncedByWhatIsWrittenBesideIt) {
    const std::pair<QWidget*, const char*> named[] = {
        {dlg.Group1NameField, "Group caption:"},
        {dlg.Group1KeywordsField, "Log lines containing (case sensitive):"},
        {dlg.Group3NameField, "Group caption:"},
        {dlg.Group3KeywordsField, "Log lines containing (case sensitive):"},
        {dlg.ShowLineTimeBox, "Show line time (new log entries):"},
        {dlg.AddedLogLinesButton, "Only lines that were added since the log was opened"},
        {dlg.LogFolderField, "From folder(s):"},
        {dlg.BrowseButton, "Browse for a folder"},
        {dlg.FileMasksField, "If file name matches one of the date masks:"},
        {dlg.WildcardMasksField, "If file name matches one of the wildcard masks:"},
        {dlg.MatchDateBox, "Only if file date/time stamp matches the current date"},
        {dlg.UpdateForcedButton, "Update each:"},
        {dlg.RestoreWindowBox, "Restore window on a new line if focusing is on"},
    };
    for (const auto& [widget, name] : named)
        EXPECT_EQ(Heard(QAccessible::Name, widget), name) << widget->objectName().toStdString();

    const std::pair<QWidget*, const char*> labelled[] = {
        {dlg.Group1ColorList, "Color:"},
        {dlg.Group2SoundList, "Sound alert:"},
        {dlg.FontList, "Face:"},
        {dlg.FontSizeList, "Size:"},
        {dlg.Group2NameField, "Group caption:"},
        {dlg.LogFolderField, "From folder(s):"},
    };
    for (const auto& [widget, label] : labelled)
        EXPECT_EQ(LabelledBy(widget), label) << widget->objectName().toStdString();

    // Lists without a label of their own say what they are for.
    for (QComboBox* list : {dlg.LineTimeFormatList, dlg.UpdateEachList}) {
        EXPECT_FALSE(list->accessibleName().isEmpty()) << list->objectName().toStdString();
        EXPECT_NE(Heard(QAccessible::Description, list), "") << list->objectName().toStdString();
    }
}

// The character after a single "&", upper-cased; 0 when there is none.
char AccessKey(const QString& caption) {
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] == '&' && caption[i + 1] == '&')
            ++i;
        else if (caption[i] == '&')
            return char(caption[i + 1].toUpper().toLatin1());
    }
    return 0;
}

TEST_F(OptionsPages, EveryLabelLeadsToItsFieldByAKeyOfItsOwnOnThePage) {
    for (int p = 0; p < dlg.TabWidget->count(); ++p) {
        QWidget* page = dlg.TabWidget->widget(p);
        std::map<char, QString> keys;
        int keyed = 0;
        for (QWidget* widget : page->findChildren<QWidget*>()) {
            QString caption;
            if (auto* label = qobject_cast<QLabel*>(widget)) {
                // A caption ending in ":" names the field it stands beside.
                if (!QString(label->text()).remove('&').endsWith(':'))
                    continue;
                EXPECT_NE(label->buddy(), nullptr) << label->text().toStdString();
                caption = label->text();
            } else if (qobject_cast<QCheckBox*>(widget) || qobject_cast<QRadioButton*>(widget)) {
                caption = static_cast<QAbstractButton*>(widget)->text();
            } else {
                continue;
            }
            const char key = AccessKey(caption);
            EXPECT_NE(key, 0) << caption.toStdString();
            const auto [at, fresh] = keys.emplace(key, caption);
            EXPECT_TRUE(fresh) << caption.toStdString() << " shares its key with "
                               << at->second.toStdString();
            ++keyed;
        }
        EXPECT_GT(keyed, 0) << p;
    }
}

TEST_F(OptionsPages, AnAccessKeyMovesTheFocusToItsField) {
    dlg.TabWidget->setCurrentWidget(dlg.AutoOpenCloseTab);
    dlg.show();
    QApplication::setActiveWindow(&dlg);
    QLabel* folders = nullptr;
    for (QLabel* label : dlg.AutoOpenCloseTab->findChildren<QLabel*>())
        if (label->buddy() == dlg.LogFolderField)
            folders = label;
    ASSERT_NE(folders, nullptr);
    const char key = AccessKey(folders->text());
    ASSERT_NE(key, 0);
    dlg.WildcardMasksField->setFocus();
    QTest::keyClick(&dlg, Qt::Key(Qt::Key_A + (key - 'A')), Qt::AltModifier);
    EXPECT_TRUE(dlg.LogFolderField->hasFocus());
    dlg.hide();
}

TEST_F(OptionsPages, ListFieldsKeepListsOfAnyLength) {
    const QString longList = QString("/var/log/app;").repeated(4000); // 52,000 characters
    for (QLineEdit* field :
         {dlg.Group1KeywordsField, dlg.Group2KeywordsField, dlg.Group3KeywordsField,
          dlg.LogFolderField, dlg.FileMasksField, dlg.WildcardMasksField}) {
        field->setText(longList);
        EXPECT_EQ(field->text().size(), longList.size()) << field->objectName().toStdString();
    }
    dlg.SaveSettings();
    OptionsDialog reloaded(store, sound, false);
    EXPECT_EQ(reloaded.LogFolderField->text().size(), longList.size());
    EXPECT_EQ(reloaded.Group3KeywordsField->text().size(), longList.size());
}

TEST(OptionsDialog, OpensInTheMiddleOfTheScreenNotOverTheWindow) {
    MemorySettingsBackend backend;
    SettingsStore store{backend, "Marrowlight"};
    RecordingSoundOutput sound;
    QWidget window;
    window.setGeometry(0, 0, 200, 150);
    window.show();
    auto* dlg = new OptionsDialog(store, sound, false, &window);
    for (int showing = 0; showing < 2; ++showing) {
        dlg->PrepareExecute();
        dlg->show();
        QApplication::processEvents();
        const QPoint middle = window.screen()->availableGeometry().center();
        // Before the first showing the frame's width is not known yet.
        EXPECT_LE((dlg->frameGeometry().center() - middle).manhattanLength(), 6) << showing;
        dlg->FinishExecute(QDialog::Rejected);
        dlg->hide();
        window.move(40, 30);
    }
}

#ifndef _WIN32
TEST_F(OptionsPages, HintsGiveLinuxExamples) {
    QStringList texts;
    for (QLabel* label : dlg.findChildren<QLabel*>())
        texts << label->text();
    const QString all = texts.join('\n');
    EXPECT_TRUE(all.contains("/var/log;/home/me/logs")) << all.toStdString();
    for (const char* windowsOnly : {"Windows", "c:\\", "Program Files"})
        EXPECT_FALSE(all.contains(windowsOnly)) << windowsOnly;
}
#endif

} // namespace
} // namespace marrowlight
