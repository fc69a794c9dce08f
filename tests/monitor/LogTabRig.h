#pragma once
// One log in a real tab, shown in an active window offscreen, read by the
// real update cycle from a file in a temporary folder.

#include "monitor/LogListModel.h"
#include "monitor/LogListView.h"
#include "monitor/LogTab.h"
#include "monitor/MonitorRig.h"
#include "monitor/UpdateCycle.h"
#include "monitor/core/MonitorTestSupport.h"
#include "settings/OptionsDialog.h"

#include <QCheckBox>
#include <QMainWindow>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <string>

namespace marrowlight::testing {

struct LogTabRig : TabsRig {
    // Lines end in CR LF; the first pass loads them in bulk.
    explicit LogTabRig(const std::vector<std::string>& lines, bool newestAtTop = false) {
        options.LastEntriesAtTopBox->setChecked(newestAtTop);
        path = dir.File("app.log");
        WriteFile(path, Joined(lines));
        tabs->OpenLog(path);
        cycle.Pass();
        tab = tabs->ActiveTab();
        QObject::connect(tabs.get(), &LogTabs::StatusMessage,
                         [this](const QString& text) { statusMessages << text; });
        pageControl.resize(700, 320);
        pageControl.show();
        pageControl.activateWindow();
        activated = QTest::qWaitForWindowActive(&pageControl);
        List().setFocus();
    }
    static std::string Joined(const std::vector<std::string>& lines) {
        std::string bytes;
        for (const std::string& line : lines)
            bytes += line + "\r\n";
        return bytes;
    }
    // Appends lines and lets a pass take them.
    void Arrive(const std::vector<std::string>& lines) {
        AppendFile(path, Joined(lines));
        cycle.Pass();
    }

    LogListView& List() const { return *tab->ListView(); }
    LogListModel& Model() const { return tab->Model(); }
    int Current() const { return List().currentIndex().row(); }
    void SetCurrent(int row) const { List().setCurrentIndex(Model().index(row)); }
    QString Text(int row) const { return Model().Text(row); }
    // The selected rows' texts, top to bottom.
    QStringList SelectedTexts() const {
        QStringList texts;
        for (const RowRange& range : tab->SelectedRows())
            for (size_t row = range.First; row <= range.Last; ++row)
                texts << Text(int(row));
        return texts;
    }

    TempDir dir;
    std::string path;
    QMainWindow window;
    QTimer timer;
    bool firstCycle = false;
    FixedClock clock;
    UpdateCycle cycle{*tabs, window, timer, firstCycle, &clock};
    LogTab* tab = nullptr;
    QStringList statusMessages;
    bool activated = false;
};

} // namespace marrowlight::testing
