// A settings file written by the build before the controls got their present
// C++ names: every value must still reach the control it came from, and
// saving must write the same names back.
#include "app/MainWindow.h"
#include "app/RecentFiles.h"
#include "monitor/LogTabs.h"
#include "settings/ColorListBox.h"
#include "settings/FontListBox.h"
#include "settings/OptionsDialog.h"
#include "settings/QSettingsBackend.h"
#include "support/core/RecordingSoundOutput.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <QSettings>
#include <QStandardPaths>
#include <gtest/gtest.h>
#include <map>

namespace marrowlight {
namespace {

using Values = std::map<std::string, std::string>;

// The raw lines of a settings file, so quoting and byte arrays are compared
// as written.
Values ReadLines(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text)) << path.toStdString();
    Values values;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const qsizetype eq = line.indexOf('=');
        if (eq > 0)
            values[line.left(eq).toStdString()] = line.mid(eq + 1).toStdString();
    }
    return values;
}

QString SettingsFile(const QString& application) {
    return QSettings(stored::Organization, application).fileName();
}

TEST(StoredNames, ASettingsFileFromBeforeTheRenamesIsReadIntoItsControlsAndWrittenBack) {
    const QString before = MARROWLIGHT_TESTS_DIR "/app/data/settings-before-renames.conf";
    const QString application = "MarrowlightStoredNames";
    const QString path = SettingsFile(application);
    QDir().mkpath(QFileInfo(path).path());
    QFile::remove(path);
    ASSERT_TRUE(QFile::copy(before, path));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);

    QSettingsBackend backend(stored::Organization, application);
    SettingsStore store(backend, "Marrowlight");
    RecordingSoundOutput sound;
    auto window = std::make_unique<MainWindow>(store, std::vector<std::string>{"marrowlight"});
    auto* options = new OptionsDialog(store, sound, false, window.get());
    window->AttachOptions(*options);
    window->PrepareShow();

    const std::vector<std::pair<QLineEdit*, QString>> fields = {
        {options->Group1NameField, "Notes"},
        {options->Group2NameField, "Cautions"},
        {options->Group3NameField, "Failures"},
        {options->Group1KeywordsField, "INFO;Started"},
        {options->Group2KeywordsField, "WARN"},
        {options->Group3KeywordsField, "ERR;Fatal"},
        {options->LogFolderField, "/var/log/app;/srv/logs"},
        {options->FileMasksField, "yyyymmdd.txt"},
        {options->WildcardMasksField, "*.out;app*.log"},
    };
    for (const auto& [field, text] : fields)
        EXPECT_EQ(field->text(), text) << field->objectName().toStdString();
    const std::vector<std::pair<QAbstractButton*, bool>> boxes = {
        {options->ShowLineTimeBox, false},      {options->ShowLineNumbersBox, true},
        {options->LastEntriesAtTopBox, true},   {options->AllLogLinesButton, false},
        {options->AddedLogLinesButton, true},   {options->MatchMaskBox, true},
        {options->MatchWildcardsBox, false},    {options->MatchDateBox, true},
        {options->UpdateOnChangeButton, false}, {options->UpdateForcedButton, true},
        {options->StayOnTopBox, true},          {options->RestoreWindowBox, true},
    };
    for (const auto& [box, checked] : boxes)
        EXPECT_EQ(box->isChecked(), checked) << box->objectName().toStdString();
    const std::vector<std::pair<QComboBox*, int>> lists = {
        {options->Group1ColorList, 2},  {options->Group2ColorList, 5},
        {options->Group3ColorList, 12}, {options->Group1SoundList, 1},
        {options->Group2SoundList, 2},  {options->Group3SoundList, 3},
        {options->FontList, 7},         {options->FontSizeList, 3},
        {options->UpdateEachList, 4},
    };
    for (const auto& [list, index] : lists)
        EXPECT_EQ(list->currentIndex(), index) << list->objectName().toStdString();
    const std::vector<std::pair<QAction*, bool>> actions = {
        {window->AutomaticModeAction, false}, {window->AllEntriesAction, false},
        {window->Group1Action, false},        {window->Group2Action, true},
        {window->Group3Action, true},         {window->KeepModifiedLogFocusedAction, false},
    };
    for (const auto& [action, checked] : actions)
        EXPECT_EQ(action->isChecked(), checked) << action->objectName().toStdString();
    const std::vector<std::string> recent = {"/var/log/caf\xe9.log", "/var/log/old/first.log"};
    EXPECT_EQ(window->FileHistory().Entries(), recent);

    // Written anew into an empty file: the same names with the same values.
    const std::string lastFocused = store.ReadSetting(stored::LastFocusedFile);
    EXPECT_EQ(lastFocused, "/var/log/app/current.log");
    QFile::remove(path);
    window->Tabs()->OpenLog(lastFocused);
    options->SaveSettings();
    window->HandleClose();
    window->SaveRecentFiles();
    Values expected = ReadLines(before), written = ReadLines(path);
    for (Values* values : {&expected, &written}) // where the window stands depends on the screen
        for (const char* name : {stored::PlacementTop, stored::PlacementLeft,
                                 stored::PlacementWidth, stored::PlacementHeight})
            values->erase(std::string("Marrowlight.") + name);
    // Every name of the old file comes back with its value; values the
    // program came to keep after that file was written are added beside them.
    for (const auto& [name, value] : expected) {
        const auto it = written.find(name);
        EXPECT_TRUE(it != written.end() && it->second == value)
            << name << " = " << value << ", written as "
            << (it == written.end() ? std::string("nothing") : it->second);
    }
}

} // namespace
} // namespace marrowlight
