#include "settings/OptionsView.h"

#include "settings/ColorListBox.h"
#include "settings/OptionsDialog.h"
#include "settings/core/MemorySettingsBackend.h"
#include "support/core/RecordingSoundOutput.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <functional>
#include <gtest/gtest.h>

namespace marrowlight {
namespace {

TEST(OptionsView, ReadsEachControlAtTheMomentOfTheCall) {
    MemorySettingsBackend backend;
    SettingsStore store(backend, "Marrowlight");
    RecordingSoundOutput sound;
    OptionsDialog dlg(store, sound, false);
    const OptionsView view(dlg);

    const struct {
        const char* what;
        std::function<void()> change;
        std::function<bool()> seen;
    } cases[] = {
        {"change flag", [&] { dlg.AutoOpenChanged = true; },
         [&] { return view.AutoOpenChanged(); }},
        {"keywords", [&] { dlg.Group2KeywordsField->setText("Über;fail"); },
         [&] { return view.Group(2).Keywords() == "Über;fail"; }},
        {"caption", [&] { dlg.Group3NameField->setText("Alarms"); },
         [&] { return view.Group(3).Name() == "Alarms"; }},
        {"colour", [&] { dlg.Group1ColorList->setCurrentIndex(12); },
         [&] { return view.Group(1).Colour() == QColor(0, 0, 0xFF); }},
        {"line numbers", [&] { dlg.ShowLineNumbersBox->setChecked(true); },
         [&] { return view.ShowLineNumbers() && !view.ShowLineTime(); }},
        {"font size", [&] { dlg.FontSizeList->setCurrentText("14"); },
         [&] { return view.FontSize() == 14; }},
        {"update mode", [&] { dlg.UpdateForcedButton->setChecked(true); },
         [&] { return view.UpdateForced() && !view.UpdateOnTimeStampChange(); }},
        {"interval", [&] { dlg.UpdateEachList->setCurrentText("1 minute"); },
         [&] { return view.PollingInterval() == std::chrono::minutes(1); }},
        {"folders", [&] { dlg.LogFolderField->setText("/srv/a;/srv/b"); },
         [&] { return view.LogFolders() == "/srv/a;/srv/b"; }},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(c.seen()) << c.what << " before the change";
        c.change();
        EXPECT_TRUE(c.seen()) << c.what << " after the change";
    }

    dlg.Group3SoundList->setCurrentIndex(7);
    view.Group(3).PlayAlert();
    view.Group(4).PlayAlert();
    EXPECT_EQ(sound.played, (std::vector<std::string>{"400/150"}));
    EXPECT_EQ(view.Group(0).Keywords(), "");
    EXPECT_EQ(view.Group(4).Colour(), QColor(Qt::black));
}

} // namespace
} // namespace marrowlight
